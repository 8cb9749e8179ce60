// The records a process works on, one of each: the scene model and the user's
// settings. A saver run builds, ticks and draws the scene from the settings;
// a configuration run edits the settings and applies count and density edits
// to the scene at once.
#pragma once

#include "scene/scene_state.h"
#include "settings/settings.h"

namespace roamlets::saver {

SceneState& process_scene();
Settings& process_settings();

}  // namespace roamlets::saver
