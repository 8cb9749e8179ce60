#include "render/star_list.h"

#include "render/gl.h"
#include "scene/starfield.h"

namespace roamlets {
namespace {

class VertexSink final : public StarSink {
 public:
  void star(float x, float y, float z) override { glVertex3f(x, y, z); }
};

class DiscardSink final : public StarSink {
 public:
  void star(float, float, float) override {}
};

}  // namespace

std::uint32_t compile_starfield(std::int32_t density, Lcg& lcg) {
  const GLuint list = glGenLists(1);
  if (list == 0) {
    DiscardSink discard;
    build_starfield(star_step(density), lcg, discard);
    return 0;
  }
  glNewList(list, GL_COMPILE);
  glBegin(GL_POINTS);
  VertexSink sink;
  build_starfield(star_step(density), lcg, sink);
  glEnd();
  glEndList();
  return list;
}

void rebuild_starfield(SceneState& scene, std::int32_t density) {
  if (scene.star_list != 0) glDeleteLists(scene.star_list, 1);
  scene.star_list = compile_starfield(density, scene.lcg);
}

}  // namespace roamlets
