#include "render/frame.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "render/gl.h"
#include "render/scene_setup.h"
#include "render/star_list.h"

namespace roamlets {
namespace {

constexpr GLfloat kRestDistance = 3.0f;

// What the parts of a frame cost in software OpenGL (llvmpipe on two cores,
// 1920 x 1080), in microseconds, fitted to render_bench: a star about 0.17
// plus 1.4 ns a pixel of its square. A trail costs about 20 plus 1.4 ns a
// pixel it covers, and that depends on how near the camera it passes: the
// Chase camera rides on a trail, and a segment near it crosses the screen. So
// a trail is counted at its worst, 48 segments each as long as the screen is
// wide, up to the widest line Mesa draws: 130 per pixel of width.
// Only the ratio to kAskEvery matters: a frame asks whether to go on each time
// it has drawn about that much. Asking first waits until OpenGL has drawn what
// it was given (a software renderer draws on threads of its own and would run
// dozens of pieces behind, which a close must then wait for when the context
// goes), up to a millisecond or two in software, so a light frame (the
// defaults take 3 ms) never asks, the densest field of small stars (60 ms)
// three times, and the heaviest frame (seconds: stars 64 pixels wide and
// smoothed, the widest lines) after every piece of stars and every trail.
constexpr double kAskEvery = 20000.0;
constexpr double kWidestLine = 255.0;

double star_cost(float size) { return 0.17 + 0.0014 * static_cast<double>(size) * static_cast<double>(size); }
double trail_cost(float width) { return 20.0 + 130.0 * std::min(static_cast<double>(width), kWidestLine); }

}  // namespace

void place_camera(const SceneState& scene, const Settings& settings) {
  switch (static_cast<ViewMode>(settings.VIEW_MODE)) {
    case ViewMode::Chase:
      if (scene.chasers.empty()) {
        glTranslatef(0.0f, 0.0f, -kRestDistance);
      } else {
        const Mover& lead = scene.chasers.front();
        const Vec4 eye = lead.position - lead.heading;
        gluLookAt(static_cast<double>(eye.x), static_cast<double>(eye.y), static_cast<double>(eye.z),
                  static_cast<double>(lead.position.x), static_cast<double>(lead.position.y),
                  static_cast<double>(lead.position.z), 0.0, 1.0, 0.0);
      }
      break;
    case ViewMode::Rotate:
    case ViewMode::Snapshot:
      glTranslatef(scene.translate[0], scene.translate[1], scene.translate[2]);
      glRotatef(scene.angle_x, 1.0f, 0.0f, 0.0f);
      glRotatef(scene.angle_y, 0.0f, 1.0f, 0.0f);
      glRotatef(scene.angle_z, 0.0f, 0.0f, 1.0f);
      glScalef(scene.scale, scene.scale, scene.scale);
      break;
    default:
      break;
  }
}

void scene_render(const SceneState& scene, const SceneView& view, const Settings& settings) {
  scene_render(scene, view, settings, [] { return false; });
}

bool scene_render(const SceneState& scene, const SceneView& view, const Settings& settings,
                  const FrameCheck& abandon) {
  // Nothing draws with a stencil buffer, but a window we are given may have one
  // packed with the depth buffer: clearing it too spares OpenGL keeping its
  // bits through the depth clear (in software, 60 % of such a frame's cost).
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glPushMatrix();
  place_camera(scene, settings);
  // Counts what was drawn since the last question; once it is enough, hands
  // it to the rasteriser and asks whether to go on.
  double drawn = 0.0;
  const auto give_up = [&](double cost) {
    drawn += cost;
    if (drawn < kAskEvery) return false;
    drawn = 0.0;
    glFinish();
    if (!abandon()) return false;
    glPopMatrix();
    return true;
  };

  glDisable(GL_LIGHTING);
  glColor4fv(kStarColour);
  if (view.star_pieces == 0) glCallList(view.star_list);
  const double piece = kStarsPerPiece * star_cost(drawn_star_size(settings));
  for (std::uint32_t i = 1; i <= view.star_pieces; ++i) {
    glCallList(view.star_list + i);
    if (give_up(piece)) return false;
  }

  const double trail = trail_cost(drawn_line_width(settings));
  for (const std::vector<Mover>* movers : {&scene.chasers, &scene.roamlets}) {
    for (const Mover& mover : *movers) {
      draw_trail(mover);
      if (give_up(trail)) return false;
    }
  }

  glPopMatrix();
  glFlush();
  return true;
}

void draw_trail(const Mover& mover) {
  glColor4f(mover.colour.x, mover.colour.y, mover.colour.z, mover.colour.w);
  glBegin(GL_LINE_STRIP);
  const int head = mover.trail.head;
  for (int i = 1; i < Trail::kLength; ++i) {
    const Vec4& point = mover.trail.slots[static_cast<std::size_t>((head + i) % Trail::kLength)];
    glVertex3f(point.x, point.y, point.z);
  }
  glEnd();
}

}  // namespace roamlets
