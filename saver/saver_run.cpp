#include "saver/saver_run.h"

#include "render/scene_setup.h"
#include "scene/scene_driver.h"

namespace roamlets::saver {

SaverRun::SaverRun(ProcessRecords& records, EndOfRunSave end_save)
    : scene_(records.scene), settings_(records.settings), end_save_(end_save) {}

void SaverRun::load(SettingsStore& store) { load_settings(settings_, store); }

void SaverRun::start(std::uint32_t seed) { scene_init(scene_, view_, settings_, seed); }

void SaverRun::resize(std::int32_t width, std::int32_t height) { scene_resize(view_, width, height); }

void SaverRun::tick() { scene_tick(scene_, settings_); }

bool SaverRun::frame(const FrameCheck& abandon) { return scene_render(scene_, view_, settings_, abandon); }

void SaverRun::end(SettingsStore& store) const {
  switch (end_save_) {
    case EndOfRunSave::AbsentValues:
      save_absent_settings(settings_, store);
      break;
    case EndOfRunSave::Nothing:
      break;
  }
}

}  // namespace roamlets::saver
