// The About dialog's decisions: OK and Cancel close it, the web address opens
// in the user's browser and leaves it open.
#pragma once

#include <cstdint>

#include "resources/maker.h"
#include "saver/dialog_controls.h"

namespace roamlets {

// The address the link opens.
inline constexpr const char* kWebAddress = ROAMLETS_WEB_ADDRESS;

// A command from control `id` (the low 16 bits of the message's wParam),
// whatever its notification code. True when the id is one the dialog acts on.
bool about_command(DialogControls& dialog, std::uint16_t id);

}  // namespace roamlets
