// A stand-in for the dialog manager that records what a dialog asks of it
// and behaves as the controls do where it matters: an edit's new text is
// reported back to the dialog as a command before set_item_text returns, and
// the text read back is cut to the first kFieldChars characters.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "saver/config_dialog.h"
#include "saver/dialog_controls.h"

namespace roamlets::testing {

class FakeDialog final : public DialogControls {
 public:
  // Called with each control id whose text changes; the configuration
  // dialog's tests route it to ConfigDialog::command.
  std::function<void(int id)> on_text_change;

  // One readable record per call: "text 1015 60", "check 1012..1014 1013",
  // "message 1017 0x465 0 0x101f4", "end 1", "about", "open <address>".
  std::vector<std::string> log;
  std::map<int, std::string> texts;
  // How deep set_item_text calls nest at most; a loop would exceed any bound.
  int depth = 0;
  int deepest = 0;

  void init_common_controls() override { log.push_back("init common controls"); }
  std::string item_text(int id) override { return texts[id].substr(0, kFieldChars); }
  void set_item_text(int id, const std::string& text) override;
  void check_radio_button(int first, int last, int checked) override;
  void send_item_message(int id, std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override;
  void end_dialog(int result) override { log.push_back("end " + std::to_string(result)); }
  void run_about_dialog() override { log.push_back("about"); }
  void shell_open(const char* address) override { log.push_back(std::string("open ") + address); }
};

// The scene edits, recorded as "roamlets 10", "chasers 25", "stars 200".
class RecordingSceneEdits final : public SceneEdits {
 public:
  std::vector<std::string> log;
  void resize_roamlets(std::int32_t count) override { log.push_back("roamlets " + std::to_string(count)); }
  void resize_chasers(std::int32_t count) override { log.push_back("chasers " + std::to_string(count)); }
  void rebuild_starfield(std::int32_t density) override { log.push_back("stars " + std::to_string(density)); }
};

}  // namespace roamlets::testing
