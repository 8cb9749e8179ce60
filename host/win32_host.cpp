#include "host/win32_host.h"

#include <type_traits>

#include "host/command_line.h"
#include "host/host_state.h"
#include "host/saver_window.h"
#include "host/win32_handles.h"
#include "host/win32_scene_window.h"

namespace roamlets::host {
namespace {

// Static, and with nothing to destroy: the fault guard uses it until the
// process is gone, after saver_entry has returned.
HostState g_state;
static_assert(std::is_trivially_destructible_v<HostState>);
Host* g_host = nullptr;
SaverProcedure* g_next = nullptr;

}  // namespace

LRESULT CALLBACK saver_window_callback(HWND window, UINT id, WPARAM wparam, LPARAM lparam) {
  return saver_window_proc(*g_host, *g_next, to_message(window, id, wparam, lparam));
}

int saver_entry(Platform& platform) {
  Host host{g_state, platform};
  SceneSaverProcedure scene(host);
  g_host = &host;
  g_next = &scene;
  const char* tail = command_tail(platform, GetCommandLineA());
  return saver_main(host, to_module(GetModuleHandleA(nullptr)), tail);
}

}  // namespace roamlets::host
