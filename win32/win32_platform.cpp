#include "win32/win32_platform.h"

#include <exception>
#include <utility>

#include "saver/messages.h"
#include "saver/saver_window.h"
#include "win32/win32_configuration.h"
#include "win32/win32_handles.h"

namespace roamlets::saver {

static_assert(kWmCreate == WM_CREATE && kWmDestroy == WM_DESTROY && kWmSize == WM_SIZE &&
              kWmActivate == WM_ACTIVATE && kWmSetText == WM_SETTEXT && kWmPaint == WM_PAINT &&
              kWmClose == WM_CLOSE && kWmEraseBackground == WM_ERASEBKGND && kWmShowWindow == WM_SHOWWINDOW &&
              kWmActivateApp == WM_ACTIVATEAPP && kWmSetCursor == WM_SETCURSOR && kWmPower == WM_POWER &&
              kWmHelp == WM_HELP && kWmContextMenu == WM_CONTEXTMENU && kWmNcActivate == WM_NCACTIVATE &&
              kWmKeyDown == WM_KEYDOWN && kWmSysKeyDown == WM_SYSKEYDOWN && kWmSysCommand == WM_SYSCOMMAND &&
              kWmTimer == WM_TIMER && kWmMouseMove == WM_MOUSEMOVE && kWmLButtonDown == WM_LBUTTONDOWN &&
              kWmRButtonDown == WM_RBUTTONDOWN && kWmMButtonDown == WM_MBUTTONDOWN &&
              kWmMouseWheel == WM_MOUSEWHEEL && kWmXButtonDown == WM_XBUTTONDOWN &&
              kWmMouseHWheel == WM_MOUSEHWHEEL && kWmPowerBroadcast == WM_POWERBROADCAST && kWmApp == WM_APP);
static_assert(kPowerCriticalResume == PWR_CRITICALRESUME && kScNextWindow == SC_NEXTWINDOW &&
              kScPrevWindow == SC_PREVWINDOW && kScScreenSave == SC_SCREENSAVE);

namespace {

// The status of a process that a C++ exception nothing caught has ended: the
// one abort() gives, which is how such a process ended before the guard.
constexpr UINT kUncaughtExceptionStatus = 3;

// The fault guard's state: the callback for a handled fault and the filter
// that was in place before ours. The callback is made once and never
// destroyed: the guard stays in force until the process is gone, through the
// destruction of static objects during its exit.
std::function<void()>& on_fault_handled() {
  static auto* const callback = new std::function<void()>;
  return *callback;
}
LPTOP_LEVEL_EXCEPTION_FILTER g_previous_filter = nullptr;

LONG WINAPI fault_filter(EXCEPTION_POINTERS* exception) {
  // The system's last-chance filter calls the installed top-level filter
  // itself: put the previous one back first, so that it does not call us again.
  SetUnhandledExceptionFilter(g_previous_filter);
  const LONG verdict = UnhandledExceptionFilter(exception);
  if (verdict == EXCEPTION_EXECUTE_HANDLER && on_fault_handled()) on_fault_handled()();
  return verdict;
}

// std::terminate's handler: a C++ exception that nothing caught (or one thrown
// where none may be) ends the process like a handled fault, not in abort().
[[noreturn]] void end_on_uncaught_exception() {
  if (on_fault_handled()) on_fault_handled()();
  ExitProcess(kUncaughtExceptionStatus);
}

// The saver window class's procedure: the window is made with its platform
// as its creation data.
LRESULT CALLBACK saver_window_procedure(HWND window, UINT id, WPARAM wparam, LPARAM lparam) {
  auto* const platform = creation_data<Win32Platform>(window, id, lparam);
  if (platform == nullptr) return DefWindowProcA(window, id, wparam, lparam);
  return platform->saver_window_message(to_message(window, id, wparam, lparam));
}

template <typename Function>
Function entry_as(Entry entry) {
  return reinterpret_cast<Function>(entry);
}

}  // namespace

void Win32Platform::serve(Host& host, SaverProcedure& next, ProcessRecords& records) {
  host_ = &host;
  next_ = &next;
  records_ = &records;
}

LResult Win32Platform::saver_window_message(const Message& message) {
  return saver_window_proc(*host_, *next_, message);
}

bool Win32Platform::version_is_win9x() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  return GetVersionExA(&info) != FALSE && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

const char* Win32Platform::next_char(const char* text) { return CharNextA(text); }

void Win32Platform::install_fault_guard(std::function<void()> on_handled) {
  on_fault_handled() = std::move(on_handled);
  g_previous_filter = SetUnhandledExceptionFilter(fault_filter);
  std::set_terminate(end_on_uncaught_exception);
}

LResult Win32Platform::default_window_proc(const Message& message) {
  return DefWindowProcA(to_hwnd(message.window), message.id, message.wparam, message.lparam);
}

bool Win32Platform::post_message(const Message& message) {
  return PostMessageA(to_hwnd(message.window), message.id, message.wparam, message.lparam) != FALSE;
}

LResult Win32Platform::send_message(const Message& message) {
  return SendMessageA(to_hwnd(message.window), message.id, message.wparam, message.lparam);
}

void Win32Platform::remove_one_timer_message(Window window) {
  MSG message;
  PeekMessageA(&message, to_hwnd(window), WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
}

std::optional<Message> Win32Platform::peek_message(std::uint32_t id) {
  MSG message;
  if (!PeekMessageA(&message, nullptr, id, id, PM_NOREMOVE | PM_NOYIELD)) return std::nullopt;
  return to_message(message.hwnd, message.message, message.wParam, message.lParam);
}

void Win32Platform::post_quit_message(int code) { PostQuitMessage(code); }

int Win32Platform::message_loop() {
  MSG message{};
  BOOL got = FALSE;
  while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  // 0: WM_QUIT, which carries the run's code. -1: the loop failed, and the
  // message holds whatever came before; that ends the run too (rather than
  // spinning on the error) with -1, the code of every run this program could
  // not carry out (a rejected command line, a preview parent that is gone).
  return got == 0 ? static_cast<int>(message.wParam) : -1;
}

void Win32Platform::yield_processor() { Sleep(0); }

bool Win32Platform::is_window(Window window) { return IsWindow(to_hwnd(window)) != FALSE; }

Window Win32Platform::parent_of(Window window) { return to_window(GetParent(to_hwnd(window))); }

Window Win32Platform::foreground_window() { return to_window(GetForegroundWindow()); }

void Win32Platform::set_foreground_window(Window window) { SetForegroundWindow(to_hwnd(window)); }

Window Win32Platform::find_window(const char* class_name, const char* title) {
  return to_window(FindWindowA(class_name, title));
}

std::uint32_t Win32Platform::register_window_message(const char* name) {
  return RegisterWindowMessageA(name);
}

Rect Win32Platform::client_rect(Window window) {
  RECT rect{};
  GetClientRect(to_hwnd(window), &rect);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

Rect Win32Platform::screen_clip_box() {
  RECT rect{};
  HDC screen = GetDC(nullptr);
  GetClipBox(screen, &rect);
  ReleaseDC(nullptr, screen);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

Point Win32Platform::cursor_pos() {
  POINT point{};
  GetCursorPos(&point);
  return {point.x, point.y};
}

void Win32Platform::hide_cursor() { SetCursor(nullptr); }

bool Win32Platform::register_saver_class(Instance instance) {
  WNDCLASSA window_class{};
  window_class.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
  window_class.lpfnWndProc = saver_window_procedure;
  window_class.hInstance = to_hinstance(instance);
  // The program ships no icon under this id; the class goes without one.
  window_class.hIcon = LoadIconA(to_hinstance(instance), MAKEINTRESOURCEA(100));
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  window_class.lpszClassName = kSaverClassName;
  return RegisterClassA(&window_class) != 0;
}

Window Win32Platform::create_saver_window(Instance instance, const SaverWindowLayout& layout) {
  return to_window(CreateWindowExA(layout.ex_style, kSaverClassName, layout.title, layout.style,
                                   layout.bounds.left, layout.bounds.top, layout.bounds.right,
                                   layout.bounds.bottom, to_hwnd(layout.parent), nullptr,
                                   to_hinstance(instance), this));
}

int Win32Platform::run_configuration_dialog(Instance instance, Window owner) {
  return configure_settings(to_hinstance(instance), to_hwnd(owner), *records_);
}

bool Win32Platform::read_desktop_value(const char* name, std::uint32_t& value) {
  HKEY key = nullptr;
  if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) != ERROR_SUCCESS) return false;
  DWORD data = 0;
  DWORD size = sizeof(data);
  const bool read =
      RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) == ERROR_SUCCESS;
  RegCloseKey(key);
  if (read) value = data;
  return read;
}

std::uint32_t Win32Platform::tick_count() { return GetTickCount(); }

void Win32Platform::set_screen_saver_running(bool on) {
  UINT previous = 0;
  SystemParametersInfoA(SPI_SCREENSAVERRUNNING, on ? 1 : 0, &previous, 0);
}

std::string Win32Platform::system_directory() {
  char path[MAX_PATH + 1] = {};
  const UINT length = GetSystemDirectoryA(path, sizeof(path));
  return length > 0 && length < sizeof(path) ? std::string(path, length) : std::string();
}

Module Win32Platform::load_library(const std::string& path) { return to_module(LoadLibraryA(path.c_str())); }

Module Win32Platform::loaded_module(const char* name) { return to_module(GetModuleHandleA(name)); }

Entry Win32Platform::find_entry(Module module, const char* name) {
  return reinterpret_cast<Entry>(GetProcAddress(to_hmodule(module), name));
}

void Win32Platform::free_library(Module module) { FreeLibrary(to_hmodule(module)); }

std::int32_t Win32Platform::call_verify_password(Entry entry, Window window) {
  using VerifyScreenSavePwd = BOOL(WINAPI*)(HWND);
  return entry_as<VerifyScreenSavePwd>(entry)(to_hwnd(window));
}

void Win32Platform::call_change_password(Entry entry, const char* provider, Window owner) {
  using PwdChangePasswordA = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);
  entry_as<PwdChangePasswordA>(entry)(provider, to_hwnd(owner), 0, nullptr);
}

Handle Win32Platform::call_ime_associate(Entry entry, Window window, Handle context) {
  using ImmAssociateContext = HANDLE(WINAPI*)(HWND, HANDLE);
  return reinterpret_cast<Handle>(
      entry_as<ImmAssociateContext>(entry)(to_hwnd(window), reinterpret_cast<HANDLE>(context)));
}

}  // namespace roamlets::saver
