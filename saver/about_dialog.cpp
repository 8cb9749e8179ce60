#include "saver/about_dialog.h"

#include "resources/resource_ids.h"

namespace roamlets {

bool about_command(DialogControls& dialog, std::uint16_t id) {
  switch (id) {
    case IDC_OK:
    case IDC_CANCEL:
      dialog.end_dialog(id);
      return true;
    case IDC_WEB_ADDRESS:
      // The outcome is not looked at, and the dialog stays open.
      dialog.shell_open(kWebAddress);
      return true;
    default:
      return false;
  }
}

}  // namespace roamlets
