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

PIXELFORMATDESCRIPTOR requested_format() {
  PIXELFORMATDESCRIPTOR format{};
  format.nSize = sizeof(format);
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_DEPTH_DONTCARE;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = 24;
  return format;
}

void register_scene_class(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSA window_class{};
  window_class.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIconId));
  window_class.lpszClassName = kSceneClassName;
  RegisterClassA(&window_class);
}

}  // namespace

SaverRunProcedure::SaverRunProcedure(Host& host, ProcessRecords& records)
    : host_(host), run_(records, EndOfRunSave::AbsentValues) {}

// A palette for a display format that needs one, selected and realised.
void SaverRunProcedure::setup_palette() {
  PIXELFORMATDESCRIPTOR format{};
  DescribePixelFormat(scene_dc_, GetPixelFormat(scene_dc_), sizeof(format), &format);
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
  palette_ = CreatePalette(reinterpret_cast<const LOGPALETTE*>(&logical));
  SelectPalette(scene_dc_, palette_, FALSE);
  RealizePalette(scene_dc_);
}

void SaverRunProcedure::create_scene(HWND window) {
  scene_dc_ = GetDC(window);
  const PIXELFORMATDESCRIPTOR format = requested_format();
  SetPixelFormat(scene_dc_, ChoosePixelFormat(scene_dc_, &format), &format);
  setup_palette();
  gl_context_ = wglCreateContext(scene_dc_);
  wglMakeCurrent(scene_dc_, gl_context_);
  run_.start(calendar_seed());
  SetTimer(window, kFrameTimer, static_cast<UINT>(kTimerPeriodMs), nullptr);
}

void SaverRunProcedure::destroy_scene(HWND window) {
  KillTimer(window, kFrameTimer);
  wglMakeCurrent(scene_dc_, nullptr);
  wglDeleteContext(gl_context_);
  gl_context_ = nullptr;
  ReleaseDC(window, scene_dc_);
  scene_dc_ = nullptr;
  if (palette_ != nullptr) {
    DeleteObject(palette_);
    palette_ = nullptr;
  }
  run_.end(*make_user_settings_store());
}

// A frame can take seconds in software OpenGL. One drawn while a close waits
// in the queue is given up between its pieces and never shown, so the close
// is handled at once.
void SaverRunProcedure::paint_frame(HWND window) {
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  if (run_.frame([this] { return close_pending(host_); })) {
    SwapBuffers(scene_dc_);
  }
  EndPaint(window, &paint);
}

// The scene window is made with its procedure as its creation data.
LRESULT CALLBACK SaverRunProcedure::scene_window_proc(HWND window, UINT id, WPARAM wparam, LPARAM lparam) {
  auto* const procedure = creation_data<SaverRunProcedure>(window, id, lparam);
  if (procedure == nullptr) return DefWindowProcA(window, id, wparam, lparam);
  return procedure->scene_message(window, id, wparam, lparam);
}

LRESULT SaverRunProcedure::scene_message(HWND window, UINT id, WPARAM wparam, LPARAM lparam) {
  switch (id) {
    case WM_CREATE:
      create_scene(window);
      return 0;
    case WM_DESTROY:
      destroy_scene(window);
      return 0;
    case WM_SIZE:
      run_.resize(LOWORD(lparam), HIWORD(lparam));
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
      return scene_input_proc(host_, to_message(window, id, wparam, lparam));
    default:
      return DefWindowProcA(window, id, wparam, lparam);
  }
}

void SaverRunProcedure::on_saver_created(HWND saver) {
  run_.load(*make_user_settings_store());
  const HINSTANCE instance = to_hinstance(host_.state.instance);
  register_scene_class(instance, scene_window_proc);
  if (saver_width_ == 0) {
    RECT client{};
    GetClientRect(saver, &client);
    saver_width_ = client.right;
    saver_height_ = client.bottom;
  }
  scene_window_ =
      CreateWindowExA(0, kSceneClassName, kSceneWindowTitle, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                      0, 0, saver_width_, saver_height_, saver, nullptr, instance, this);
  SetTimer(saver, kTickTimer, static_cast<UINT>(kTimerPeriodMs), nullptr);
}

void SaverRunProcedure::on_saver_destroyed(HWND saver) {
  run_.end(*make_user_settings_store());
  KillTimer(saver, kTickTimer);
  DestroyWindow(scene_window_);
  PostQuitMessage(0);
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
      return default_saver_proc(host_, message);
  }
}

}  // namespace roamlets::saver
