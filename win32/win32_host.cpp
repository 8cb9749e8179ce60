#include "win32/win32_host.h"

#include <type_traits>

#include "saver/run_modes.h"
#include "saver/host_state.h"
#include "saver/saver_window.h"
#include "win32/win32_handles.h"
#include "win32/win32_scene_window.h"

namespace roamlets::saver {
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
  SaverRunProcedure scene(host);
  g_host = &host;
  g_next = &scene;
  const char* tail = command_tail(platform, GetCommandLineA());
  return saver_main(host, to_module(GetModuleHandleA(nullptr)), tail);
}

}  // namespace roamlets::saver
