// The platform seam: every operating-system call the host's decisions make.
// The Win32 adapter implements it with the ANSI calls named beside each
// operation; the unit tests implement it with a recording fake.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "saver/platform_types.h"

namespace roamlets::saver {

// What run_saver creates: a full-screen popup, or a child of the preview parent.
struct SaverWindowLayout {
  Rect bounds;  // left/top = position; right/bottom = width/height
  std::uint32_t style = 0;
  std::uint32_t ex_style = 0;
  const char* title = "";
  Window parent = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Process (GetVersionExA, CharNextA, SetUnhandledExceptionFilter,
  // std::set_terminate).
  // True when the version call succeeds and names the Windows 95/98/Me family.
  virtual bool version_is_win9x() = 0;
  // One character on from `text`, double-byte aware.
  virtual const char* next_char(const char* text) = 0;
  // Hands faults that escape the program to the system's last-chance filter;
  // when that filter elects to handle one, calls `on_handled` and ends the
  // process. A C++ exception that nothing catches calls `on_handled` as well
  // and ends the process with status 3. The guard stays in force until the
  // process is gone: `on_handled` may use only what lives that long.
  virtual void install_fault_guard(std::function<void()> on_handled) = 0;

  // Messages (DefWindowProcA, PostMessageA, SendMessageA, PeekMessageA,
  // PostQuitMessage, GetMessageA/TranslateMessage/DispatchMessageA, Sleep(0)).
  virtual LResult default_window_proc(const Message& message) = 0;
  virtual bool post_message(const Message& message) = 0;
  virtual LResult send_message(const Message& message) = 0;
  // Removes at most one waiting WM_TIMER message of `window`, without yielding.
  virtual void remove_one_timer_message(Window window) = 0;
  // The first waiting message with this id, for any window of the thread, left
  // in the queue (PeekMessageA with PM_NOREMOVE, without yielding); nothing
  // when none waits.
  virtual std::optional<Message> peek_message(std::uint32_t id) = 0;
  virtual void post_quit_message(int code) = 0;
  // Runs the message loop until WM_QUIT; the result is that message's wParam,
  // or -1 when the loop fails before it.
  virtual int message_loop() = 0;
  virtual void yield_processor() = 0;

  // Windows (IsWindow, GetParent, GetForegroundWindow, SetForegroundWindow,
  // FindWindowA, RegisterWindowMessageA, GetClientRect,
  // GetDC/GetClipBox/ReleaseDC).
  virtual bool is_window(Window window) = 0;
  virtual Window parent_of(Window window) = 0;
  virtual Window foreground_window() = 0;
  virtual void set_foreground_window(Window window) = 0;
  virtual Window find_window(const char* class_name, const char* title) = 0;
  virtual std::uint32_t register_window_message(const char* name) = 0;
  virtual Rect client_rect(Window window) = 0;
  virtual Rect screen_clip_box() = 0;

  // The cursor (GetCursorPos, SetCursor(NULL)).
  virtual Point cursor_pos() = 0;
  virtual void hide_cursor() = 0;

  // The saver window (RegisterClassA, CreateWindowExA).
  virtual bool register_saver_class(Instance instance) = 0;
  virtual Window create_saver_window(Instance instance, const SaverWindowLayout& layout) = 0;

  // The configuration dialog (DialogBoxParamA): its end code, or -1.
  virtual int run_configuration_dialog(Instance instance, Window owner) = 0;

  // Registry (RegOpenKeyA, RegQueryValueExA, RegCloseKey): reads a value of at
  // most four bytes under HKEY_CURRENT_USER\Control Panel\Desktop, whatever
  // its type. False when the key or value is missing or the value is longer.
  virtual bool read_desktop_value(const char* name, std::uint32_t& value) = 0;

  // Time and system state (GetTickCount, SystemParametersInfoA with
  // SPI_SCREENSAVERRUNNING).
  virtual std::uint32_t tick_count() = 0;
  virtual void set_screen_saver_running(bool on) = 0;

  // Modules (GetSystemDirectoryA, LoadLibraryA, GetModuleHandleA,
  // GetProcAddress, FreeLibrary) and calls through entries found in them.
  virtual std::string system_directory() = 0;
  virtual Module load_library(const std::string& path) = 0;
  // A module already loaded in the process, or 0; never loads one.
  virtual Module loaded_module(const char* name) = 0;
  virtual Entry find_entry(Module module, const char* name) = 0;
  virtual void free_library(Module module) = 0;
  // VerifyScreenSavePwd(window) -> BOOL.
  virtual std::int32_t call_verify_password(Entry entry, Window window) = 0;
  // PwdChangePasswordA(provider, owner, 0, 0); the result is ignored.
  virtual void call_change_password(Entry entry, const char* provider, Window owner) = 0;
  // ImmAssociateContext(window, context) -> the previous context.
  virtual Handle call_ime_associate(Entry entry, Window window, Handle context) = 0;
};

// The host's record and the platform it works through, passed to every
// decision of the host.
struct HostState;
struct Host {
  HostState& state;
  Platform& platform;
};

}  // namespace roamlets::saver
