#include "render/star_list.h"

#include "render/gl.h"
#include "scene/starfield.h"

namespace roamlets {
namespace {

// Compiles the stars into the piece lists that follow `list`, then `list`
// itself as a replay of all of them.
class PieceSink final : public StarSink {
 public:
  explicit PieceSink(GLuint list) : list_(list) {}
  void star(float x, float y, float z) override {
    if (in_piece_ == kStarsPerPiece) end_piece();
    if (in_piece_ == 0) {
      glNewList(list_ + ++pieces_, GL_COMPILE);
      glBegin(GL_POINTS);
    }
    glVertex3f(x, y, z);
    ++in_piece_;
  }
  void finish() {
    end_piece();
    glNewList(list_, GL_COMPILE);
    for (GLuint piece = 1; piece <= pieces_; ++piece) glCallList(list_ + piece);
    glEndList();
  }

 private:
  void end_piece() {
    if (in_piece_ == 0) return;
    glEnd();
    glEndList();
    in_piece_ = 0;
  }

  GLuint list_;
  GLuint pieces_ = 0;
  std::uint32_t in_piece_ = 0;
};

}  // namespace

StarLists compile_starfield(std::int32_t density, Lcg& lcg) {
  const float step = star_step(density);
  const std::uint32_t pieces = (star_count(step) + kStarsPerPiece - 1) / kStarsPerPiece;

  const GLuint list = glGenLists(static_cast<GLsizei>(1 + pieces));
  if (list == 0) {
    skip_starfield(step, lcg);
    return {};
  }
  PieceSink sink(list);
  build_starfield(step, lcg, sink);
  sink.finish();
  return {list, pieces};
}

void delete_starfield(SceneView& view) {
  if (view.star_list != 0) glDeleteLists(view.star_list, static_cast<GLsizei>(1 + view.star_pieces));
  view.star_list = 0;
  view.star_pieces = 0;
}

void rebuild_starfield(SceneView& view, std::int32_t density, Lcg& lcg) {
  delete_starfield(view);
  const StarLists lists = compile_starfield(density, lcg);
  view.star_list = lists.list;
  view.star_pieces = lists.pieces;
}

}  // namespace roamlets
