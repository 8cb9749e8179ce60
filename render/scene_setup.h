// What a saver run sets up once in its OpenGL context: the fixed render state,
// the star field, the scene model and fog; and the projection that follows
// the window size. Every call needs the context to be current; what the
// renderer keeps of it is in the run's SceneView.
#pragma once

#include <cstdint>

#include "render/scene_view.h"
#include "scene/scene_state.h"
#include "settings/settings.h"

namespace roamlets {

// Vertical field of view in degrees, and the near and far planes.
inline constexpr double kFieldOfView = 120.0;
inline constexpr double kNearPlane = 0.1;
inline constexpr double kFarPlane = 100.0;

// The largest star drawn, in pixels; a larger stored size draws at this one.
// A star's cost grows with its area and input waits for the frame being drawn:
// in the densest field, stars of OpenGL's own largest size (255 pixels in
// Mesa) took over half a minute a frame in software; at 64 the same frame
// takes about a second and a half. Many drivers draw smooth points no larger
// anyway.
inline constexpr std::int32_t kLargestStarSize = 64;

// The point size and line width set for STAR_SIZE and LINE_WIDTH: at least 1
// (OpenGL refuses less), stars at most kLargestStarSize; OpenGL holds lines to
// the widest it draws.
float drawn_star_size(const Settings& settings);
float drawn_line_width(const Settings& settings);

// Sets the viewport, projection and fixed state (blending, line width and
// smoothing, depth test, point size, star smoothing), compiles the star field
// from the scene's generator as it stands into `view`, then initialises the
// scene model with `seed` (a saver run passes calendar_seed()) and applies
// fog. Settings changed later do not reach this state.
void scene_init(SceneState& scene, SceneView& view, const Settings& settings, std::uint32_t seed);

// Follows a new window size: viewport, stored size, aspect and projection.
// A size without area (a minimised window reports 0 x 0) keeps the previous
// aspect, and negative sizes count as 0.
void scene_resize(SceneView& view, std::int32_t width, std::int32_t height);

// Loads the perspective projection for the view's aspect and resets the
// model-view matrix, leaving the model-view matrix selected.
void apply_projection(const SceneView& view);

// Exponential fog in black, and a black clear colour, when FOG_ENABLE is set;
// with it off nothing is touched.
void apply_fog(const Settings& settings);

}  // namespace roamlets
