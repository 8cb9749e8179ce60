#include "win32/win32_configuration.h"

#include "scene/population.h"
#include "scene/starfield.h"
#include "settings/user_store.h"
#include "win32/win32_dialogs.h"

namespace roamlets::saver {
namespace {

// A configuration run has no window and no rendering context: the edits reach
// the scene model only. A new density compiles no star field, but the field's
// draws from the generator are still made.
class SceneModelEdits final : public SceneEdits {
 public:
  explicit SceneModelEdits(SceneState& scene) : scene_(scene) {}
  void resize_roamlets(std::int32_t count) override { roamlets::resize_roamlets(scene_, count); }
  void resize_chasers(std::int32_t count) override { roamlets::resize_chasers(scene_, count); }
  void rebuild_starfield(std::int32_t density) override { skip_starfield(star_step(density), scene_.lcg); }

 private:
  SceneState& scene_;
};

}  // namespace

int configure_settings(HINSTANCE instance, HWND owner, ProcessRecords& records) {
  SceneModelEdits edits(records.scene);
  const auto store = make_user_settings_store();
  ConfigDialog dialog(records.settings, *store, edits);
  return config_dialog_box(instance, owner, dialog);
}

}  // namespace roamlets::saver
