// What the configuration and About dialogs ask of the dialog they run in. The
// Windows dialog manager serves it; the unit tests serve it with a recording
// fake.
#pragma once

#include <cstdint>
#include <string>

namespace roamlets {

class DialogControls {
 public:
  virtual ~DialogControls() = default;

  // Registers the common controls' window classes.
  virtual void init_common_controls() = 0;

  // The text of control `id`, cut to its first kFieldChars characters.
  virtual std::string item_text(int id) = 0;

  // Replaces the text of control `id`. An edit reports the change to the
  // dialog before this returns, so the dialog's command handling for that
  // control runs again inside the call.
  virtual void set_item_text(int id, const std::string& text) = 0;

  // Checks radio button `checked` among `first` to `last` and clears the
  // others; a `checked` outside that range clears them all.
  virtual void check_radio_button(int first, int last, int checked) = 0;

  // Sends a control message to control `id`; the result is not needed.
  virtual void send_item_message(int id, std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) = 0;

  // Ends the modal dialog with `result`.
  virtual void end_dialog(int result) = 0;

  // Runs the About dialog, owned by this one, until it closes.
  virtual void run_about_dialog() = 0;

  // Asks the shell to "open" a web address in the user's browser. Failures
  // are silent.
  virtual void shell_open(const char* address) = 0;
};

// How many characters of a field the dialogs read: nine digits at most, so a
// field's number always fits in 32 bits.
inline constexpr std::size_t kFieldChars = 9;

}  // namespace roamlets
