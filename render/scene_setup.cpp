#include "render/scene_setup.h"

#include <algorithm>

#include "render/gl.h"
#include "render/star_list.h"
#include "scene/scene_driver.h"

namespace roamlets {
namespace {

constexpr GLfloat kFogDensity = 0.18f;
constexpr GLfloat kBlack[4] = {0.0f, 0.0f, 0.0f, 1.0f};

// Widths and sizes are stored as integers. OpenGL rejects 0 and below with an
// error that would linger in the context, so the thinnest drawable value, 1
// (also OpenGL's default), stands in for them; large values are clamped by
// OpenGL itself when it rasterises.
GLfloat drawable_size(std::int32_t value) { return static_cast<GLfloat>(std::max(value, 1)); }

// The state set before the star field is compiled, in this order.
void set_fixed_state(const SceneView& view, const Settings& settings) {
  glViewport(0, 0, view.viewport_width, view.viewport_height);
  apply_projection(view);

  glEnable(GL_BLEND);
  glLineWidth(drawn_line_width(settings));
  glEnable(GL_LINE_SMOOTH);
  glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
  glEnable(GL_DEPTH_TEST);
  glPointSize(drawn_star_size(settings));

  if (settings.STAR_SMOOTH != 0) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_POINT_SMOOTH);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
  }
}

}  // namespace

float drawn_star_size(const Settings& settings) {
  return drawable_size(std::min(settings.STAR_SIZE, kLargestStarSize));
}

float drawn_line_width(const Settings& settings) { return drawable_size(settings.LINE_WIDTH); }

// The star field draws from the generator before the scene model seeds it.
void scene_init(SceneState& scene, SceneView& view, const Settings& settings, std::uint32_t seed) {
  set_fixed_state(view, settings);
  const StarLists stars = compile_starfield(settings.DENSITY, scene.lcg);
  view.star_list = stars.list;
  view.star_pieces = stars.pieces;
  init_scene_model(scene, settings, seed);
  apply_fog(settings);
}

void scene_resize(SceneView& view, std::int32_t width, std::int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  glViewport(0, 0, width, height);
  view.viewport_width = width;
  view.viewport_height = height;
  if (width > 0 && height > 0) {
    view.aspect = static_cast<float>(static_cast<double>(width) / static_cast<double>(height));
  }
  apply_projection(view);
}

void apply_projection(const SceneView& view) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(kFieldOfView, static_cast<double>(view.aspect), kNearPlane, kFarPlane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void apply_fog(const Settings& settings) {
  if (settings.FOG_ENABLE == 0) return;
  glEnable(GL_FOG);
  glFogi(GL_FOG_MODE, GL_EXP);
  glFogf(GL_FOG_DENSITY, kFogDensity);
  glFogfv(GL_FOG_COLOR, kBlack);
  glClearColor(kBlack[0], kBlack[1], kBlack[2], kBlack[3]);
}

}  // namespace roamlets
