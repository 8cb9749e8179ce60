#include "host/win32_host.h"

#include "host/command_line.h"
#include "host/host_state.h"
#include "host/saver_window.h"
#include "host/win32_handles.h"
#include "host/win32_scene_window.h"

namespace roamlets::host {
namespace {

HostState g_state;
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
