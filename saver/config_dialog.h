// The configuration dialog's decisions: what it shows when it opens, what each
// control changes in the settings and the scene, and what OK and Cancel keep.
// The dialog procedure only translates messages into these calls.
#pragma once

#include <cstdint>
#include <string_view>

#include "saver/dialog_controls.h"
#include "settings/ranges.h"
#include "settings/settings.h"
#include "settings/settings_store.h"

namespace roamlets {

// The scene changes the count fields make at once.
class SceneEdits {
 public:
  virtual ~SceneEdits() = default;
  virtual void resize_roamlets(std::int32_t count) = 0;
  virtual void resize_chasers(std::int32_t count) = 0;
  virtual void rebuild_starfield(std::int32_t density) = 0;
};

// The number a field holds: leading white space skipped, an optional sign,
// then digits up to the first other character; no digits give 0. Only the
// first kFieldChars characters are read.
std::int32_t read_field_number(std::string_view text);

// The dialog works on the process's settings record and scene directly; it
// keeps no state of its own.
class ConfigDialog {
 public:
  ConfigDialog(Settings& settings, SettingsStore& store, SceneEdits& scene)
      : settings_(settings), store_(store), scene_(scene) {}

  // The dialog opens: loads the settings and fills every control. A stored
  // count or density outside its range is first brought into range, so that
  // a field can always be put back to its setting.
  void initialise(DialogControls& dialog);

  // A command from control `id` (the low 16 bits of the message's wParam).
  void command(DialogControls& dialog, std::uint16_t id);

 private:
  // Reads a count field; a number outside [lower, upper] puts the field back
  // to the setting's value, which runs this again for the restored text.
  void check_and_apply(DialogControls& dialog, int id, std::int32_t& field, std::int32_t lower, std::int32_t upper);

  Settings& settings_;
  SettingsStore& store_;
  SceneEdits& scene_;
};

}  // namespace roamlets
