#include "tests/render/gl_test_support.h"

#include <cstddef>

namespace roamlets::testing_gl {
namespace {

constexpr std::size_t kFeedbackCapacity = 1u << 22;
constexpr std::size_t kVertexFloats = 7;  // x, y, z, r, g, b, a

WindowVertex vertex_at(const std::vector<GLfloat>& buffer, std::size_t at) {
  return {buffer[at],     buffer[at + 1], buffer[at + 2], buffer[at + 3],
          buffer[at + 4], buffer[at + 5], buffer[at + 6]};
}

}  // namespace

Feedback capture_feedback(const std::function<void()>& draw) {
  std::vector<GLfloat> buffer(kFeedbackCapacity);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  EXPECT_GE(used, 0) << "feedback buffer overflow";

  Feedback feedback;
  std::size_t at = 0;
  const auto end = static_cast<std::size_t>(used < 0 ? 0 : used);
  while (at < end) {
    const auto token = static_cast<GLenum>(buffer[at++]);
    switch (token) {
      case GL_POINT_TOKEN:
        feedback.points.push_back(vertex_at(buffer, at));
        at += kVertexFloats;
        break;
      case GL_LINE_RESET_TOKEN:
        feedback.strips.push_back({vertex_at(buffer, at), vertex_at(buffer, at + kVertexFloats)});
        at += 2 * kVertexFloats;
        break;
      case GL_LINE_TOKEN:
        if (feedback.strips.empty()) feedback.strips.emplace_back(1, vertex_at(buffer, at));
        feedback.strips.back().push_back(vertex_at(buffer, at + kVertexFloats));
        at += 2 * kVertexFloats;
        break;
      case GL_PASS_THROUGH_TOKEN:
        at += 1;
        break;
      default:
        ADD_FAILURE() << "unexpected feedback token " << token;
        return feedback;
    }
  }
  return feedback;
}

GLuint compile_points(const std::vector<std::array<float, 3>>& points) {
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  glBegin(GL_POINTS);
  for (const auto& p : points) glVertex3f(p[0], p[1], p[2]);
  glEnd();
  glEndList();
  return list;
}

Rgba Frame::at(int x, int y) const {
  const std::size_t i =
      (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4u;
  return {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
}

bool Frame::lit(int x, int y) const {
  const Rgba c = at(x, y);
  return c[0] != 0 || c[1] != 0 || c[2] != 0;
}

}  // namespace roamlets::testing_gl
