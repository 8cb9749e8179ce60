#include "win32/win32_scene_window.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "saver/close_rules.h"
#include "saver/host_state.h"
#include "saver/messages.h"
#include "saver/palette.h"
#include "saver/saver_run.h"
#include "win32/win32_handles.h"
#include "render/gl.h"
#include "scene/scene_driver.h"
#include "settings/user_store.h"

namespace roamlets::saver {
namespace {

constexpr UINT_PTR kTickTimer = 101;
constexpr UINT_PTR kFrameTimer = 102;
constexpr WORD kIconId = 108;

struct SceneWindowState {
  std::int32_t saver_width = 0;
  std::int32_t saver_height = 0;
  HWND scene_window = nullptr;
  HDC scene_dc = nullptr;
  HGLRC gl_context = nullptr;
  HPALETTE palette = nullptr;
};

Host* g_host = nullptr;
SaverRun* g_run = nullptr;
SceneWindowState g_window;

PIXELFORMATDESCRIPTOR requested_format() {
  PIXELFORMATDESCRIPTOR format{};
  format.nSize = sizeof(format);
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_DEPTH_DONTCARE;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = 24;
  return format;
}

void load_user_settings() {
  const auto store = make_user_settings_store();
  g_run->load(*store);
}

void save_user_settings() {
  const auto store = make_user_settings_store();
  g_run->end(*store);
}

// A palette for a display format that needs one, selected and realised.
void setup_palette() {
  PIXELFORMATDESCRIPTOR format{};
  DescribePixelFormat(g_window.scene_dc, GetPixelFormat(g_window.scene_dc), sizeof(format), &format);
  if ((format.dwFlags & PFD_NEED_PALETTE) == 0) return;

  const std::vector<PaletteEntry> entries = palette_entries(
      {format.cColorBits, format.cRedBits, format.cRedShift, format.cGreenBits, format.cGreenShift,
       format.cBlueBits, format.cBlueShift});
  if (entries.empty()) return;

  // A logical palette laid out for the largest palette a format can need.
  struct {
    WORD version;
    WORD count;
    PALETTEENTRY slots[std::size_t{1} << kMaxPaletteBits];
  } logical{};
  logical.version = 0x300;
  logical.count = static_cast<WORD>(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    logical.slots[i] = {entries[i].red, entries[i].green, entries[i].blue, entries[i].flags};
  }
  g_window.palette = CreatePalette(reinterpret_cast<const LOGPALETTE*>(&logical));
  SelectPalette(g_window.scene_dc, g_window.palette, FALSE);
  RealizePalette(g_window.scene_dc);
}

void create_scene(HWND window) {
  g_window.scene_dc = GetDC(window);
  const PIXELFORMATDESCRIPTOR format = requested_format();
  SetPixelFormat(g_window.scene_dc, ChoosePixelFormat(g_window.scene_dc, &format), &format);
  setup_palette();
  g_window.gl_context = wglCreateContext(g_window.scene_dc);
  wglMakeCurrent(g_window.scene_dc, g_window.gl_context);
  g_run->start(calendar_seed());
  SetTimer(window, kFrameTimer, static_cast<UINT>(kTimerPeriodMs), nullptr);
}

void destroy_scene(HWND window) {
  KillTimer(window, kFrameTimer);
  wglMakeCurrent(g_window.scene_dc, nullptr);
  wglDeleteContext(g_window.gl_context);
  g_window.gl_context = nullptr;
  ReleaseDC(window, g_window.scene_dc);
  g_window.scene_dc = nullptr;
  if (g_window.palette != nullptr) {
    DeleteObject(g_window.palette);
    g_window.palette = nullptr;
  }
  save_user_settings();
}

// A frame can take seconds in software OpenGL. One drawn while a close waits
// in the queue is given up between its pieces and never shown, so the close
// is handled at once.
void paint_frame(HWND window) {
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  if (g_run->frame([] { return close_pending(*g_host); })) {
    SwapBuffers(g_window.scene_dc);
  }
  EndPaint(window, &paint);
}

LRESULT CALLBACK scene_window_proc(HWND window, UINT id, WPARAM wparam, LPARAM lparam) {
  switch (id) {
    case WM_CREATE:
      create_scene(window);
      return 0;
    case WM_DESTROY:
      destroy_scene(window);
      return 0;
    case WM_SIZE:
      g_run->resize(LOWORD(lparam), HIWORD(lparam));
      return 0;
    case WM_PAINT:
      paint_frame(window);
      return 0;
    case WM_TIMER:
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_ERASEBKGND:
      return 0;
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_SETCURSOR:
    case WM_NCACTIVATE:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_SYSCOMMAND:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      return scene_input_proc(*g_host, to_message(window, id, wparam, lparam));
    default:
      return DefWindowProcA(window, id, wparam, lparam);
  }
}

void register_scene_class(HINSTANCE instance) {
  WNDCLASSA window_class{};
  window_class.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = scene_window_proc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIconId));
  window_class.lpszClassName = kSceneClassName;
  RegisterClassA(&window_class);
}

void on_saver_created(HWND saver) {
  load_user_settings();
  const HINSTANCE instance = to_hinstance(g_host->state.instance);
  register_scene_class(instance);
  if (g_window.saver_width == 0) {
    RECT client{};
    GetClientRect(saver, &client);
    g_window.saver_width = client.right;
    g_window.saver_height = client.bottom;
  }
  g_window.scene_window =
      CreateWindowExA(0, kSceneClassName, kSceneWindowTitle, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                      0, 0, g_window.saver_width, g_window.saver_height, saver, nullptr, instance, nullptr);
  SetTimer(saver, kTickTimer, static_cast<UINT>(kTimerPeriodMs), nullptr);
}

void on_saver_destroyed(HWND saver) {
  save_user_settings();
  KillTimer(saver, kTickTimer);
  DestroyWindow(g_window.scene_window);
  PostQuitMessage(0);
}

}  // namespace

SaverRunProcedure::SaverRunProcedure(Host& host) : run_(EndOfRunSave::AbsentValues) {
  g_host = &host;
  g_run = &run_;
}

LResult SaverRunProcedure::handle(const Message& message) {
  switch (message.id) {
    case kWmCreate:
      on_saver_created(to_hwnd(message.window));
      return 0;
    case kWmDestroy:
      on_saver_destroyed(to_hwnd(message.window));
      return 0;
    case kWmTimer:
      run_.tick();
      return 0;
    default:
      return default_saver_proc(*g_host, message);
  }
}

}  // namespace roamlets::saver
