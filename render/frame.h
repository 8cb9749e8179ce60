// One frame of the scene: the camera of the view mode, the star field and
// every mover's trail. Reads the scene and its view, never changes them.
#pragma once

#include <functional>

#include "render/scene_view.h"
#include "scene/mover.h"
#include "scene/scene_state.h"
#include "settings/settings.h"

namespace roamlets {

// Star colour: a translucent grey.
inline constexpr float kStarColour[4] = {0.5f, 0.5f, 0.5f, 0.6f};

// Asked between the pieces of a frame: true abandons the rest of it.
using FrameCheck = std::function<bool()>;

// Clears, places the camera for VIEW_MODE, replays the view's star list,
// draws the chasers' trails and then the roamlets', and flushes. The
// model-view matrix is left as it was found. In Chase mode without a chaser
// the camera takes the fixed view of the other modes at rest: the scene's
// centre three units ahead, unrotated.
void scene_render(const SceneState& scene, const SceneView& view, const Settings& settings);

// The same frame, drawn so that a run can give it up part way: the star
// field's pieces one by one, then the trails one by one. Whenever what it drew
// since it last asked would take about 20 ms in software OpenGL, it waits
// until OpenGL has drawn that (glFinish) and asks `abandon`: given up, the
// frame leaves nothing queued that a close would wait for. Returns false when
// that answered true: the model-view matrix is put back, but the back buffer
// holds part of a frame and must not be shown. A frame drawn whole has the
// pixels of one drawn without the questions.
bool scene_render(const SceneState& scene, const SceneView& view, const Settings& settings,
                  const FrameCheck& abandon);

// Multiplies the model-view matrix by the camera of VIEW_MODE: the Chase view
// behind the first chaser (or the fixed view without one), the Rotate and
// Snapshot transform, or nothing for any other mode.
void place_camera(const SceneState& scene, const Settings& settings);

// One line strip in the mover's colour through its 49 newest recorded
// positions, oldest first (slots head + 1 ... 49, then 0 ... head - 1).
// Lighting must be off, as scene_render leaves it before the trails.
void draw_trail(const Mover& mover);

}  // namespace roamlets
