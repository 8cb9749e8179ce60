// The one record of flags and handles that the host's parts share.
#pragma once

#include <cstdint>

#include "saver/platform_types.h"

namespace roamlets::saver {

struct HostState {
  Instance instance = 0;
  Window saver_window = 0;
  // 1 from the moment a preview run is asked for; never cleared.
  std::uint32_t in_preview = 0;
  // Non-zero once a close has been granted (it takes the provider's verdict);
  // a refused prompt sets it back to 0.
  std::uint32_t closing = 0;
  // 1 while the password verdict is awaited.
  std::uint32_t verifying = 0;
  Module password_module = 0;
  Entry verify_password = 0;
  // The id registered for "QueryCancelAutoPlay"; 0 when not registered.
  std::uint32_t autoplay_message = 0;
  // The input-method module when it was already loaded at window creation,
  // its association entry, and the context detached from the saver window.
  Module ime_module = 0;
  Entry ime_associate = 0;
  Handle saved_ime_context = 0;
  std::uint32_t on_win9x = 0;
  // Where mouse movement is measured from.
  Point cursor_origin;
  // The largest movement, in pixels summed over both axes, that does not close.
  std::uint32_t mouse_threshold = 4;
  // The tick count at the end of the latest password prompt; all ones = none yet.
  std::uint32_t last_prompt_tick = 0xFFFFFFFFu;
};

}  // namespace roamlets::saver
