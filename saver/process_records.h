// The records a process works on, one of each: the scene model and the user's
// settings. A saver run builds, ticks and draws the scene from the settings;
// a configuration run edits the settings and applies count and density edits
// to the scene at once. Each program owns one and hands it to the run.
#pragma once

#include "scene/scene_state.h"
#include "settings/settings.h"

namespace roamlets::saver {

struct ProcessRecords {
  SceneState scene;
  Settings settings;
};

}  // namespace roamlets::saver
