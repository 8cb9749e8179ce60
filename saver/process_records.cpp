#include "saver/process_records.h"

namespace roamlets::saver {

SceneState& process_scene() {
  static SceneState scene;
  return scene;
}

Settings& process_settings() {
  static Settings settings;
  return settings;
}

}  // namespace roamlets::saver
