// The render state a saver run sets once, the star list, and the projection,
// read back from a real OpenGL context.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "render/frame.h"
#include "render/scene_setup.h"
#include "render/star_list.h"
#include "scene/scene_driver.h"
#include "tests/render/gl_test_support.h"

namespace roamlets {
namespace {

using testing_gl::GlTest;

GLint get_int(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}

GLfloat get_float(GLenum name) {
  GLfloat value = 0.0f;
  glGetFloatv(name, &value);
  return value;
}

std::array<GLfloat, 4> get_float4(GLenum name) {
  std::array<GLfloat, 4> value{};
  glGetFloatv(name, value.data());
  return value;
}

std::array<GLint, 4> viewport() {
  std::array<GLint, 4> value{};
  glGetIntegerv(GL_VIEWPORT, value.data());
  return value;
}

std::array<GLdouble, 16> matrix(GLenum name) {
  std::array<GLdouble, 16> value{};
  glGetDoublev(name, value.data());
  return value;
}

constexpr std::array<GLdouble, 16> kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

using RenderState = GlTest;

TEST_F(RenderState, InitWithDefaultsLeavesTheBlendFunctionAlone) {
  SceneState scene;
  SceneView view;
  scene_init(scene, view, Settings{}, 1);

  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(get_int(GL_BLEND_SRC), GL_ONE);
  EXPECT_EQ(get_int(GL_BLEND_DST), GL_ZERO);
  EXPECT_EQ(get_float(GL_LINE_WIDTH), 2.0f);
  EXPECT_TRUE(glIsEnabled(GL_LINE_SMOOTH));
  EXPECT_EQ(get_int(GL_LINE_SMOOTH_HINT), GL_NICEST);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_EQ(get_int(GL_DEPTH_FUNC), GL_LESS);
  EXPECT_EQ(get_float(GL_POINT_SIZE), 2.0f);
  EXPECT_FALSE(glIsEnabled(GL_POINT_SMOOTH));
  EXPECT_EQ(get_int(GL_POINT_SMOOTH_HINT), GL_DONT_CARE);
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

  // Fog is on by default.
  EXPECT_TRUE(glIsEnabled(GL_FOG));
  EXPECT_EQ(get_int(GL_FOG_MODE), GL_EXP);
  EXPECT_EQ(get_float(GL_FOG_DENSITY), 0.18f);
  EXPECT_EQ(get_float4(GL_FOG_COLOR), (std::array<GLfloat, 4>{0, 0, 0, 1}));
  EXPECT_EQ(get_float4(GL_COLOR_CLEAR_VALUE), (std::array<GLfloat, 4>{0, 0, 0, 1}));

  // The window size before the first resize.
  EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 12, 12}));
  EXPECT_EQ(get_int(GL_MATRIX_MODE), GL_MODELVIEW);
  EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), kIdentity);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderState, StarSmoothingBlendsAdditivelyAndSmoothsPoints) {
  Settings settings;
  settings.STAR_SMOOTH = 5;
  settings.LINE_WIDTH = 3;
  settings.STAR_SIZE = 4;
  SceneState scene;
  SceneView view;
  scene_init(scene, view, settings, 1);

  EXPECT_EQ(get_int(GL_BLEND_SRC), GL_SRC_ALPHA);
  EXPECT_EQ(get_int(GL_BLEND_DST), GL_ONE);
  EXPECT_TRUE(glIsEnabled(GL_POINT_SMOOTH));
  EXPECT_EQ(get_int(GL_POINT_SMOOTH_HINT), GL_NICEST);
  EXPECT_EQ(get_float(GL_LINE_WIDTH), 3.0f);
  EXPECT_EQ(get_float(GL_POINT_SIZE), 4.0f);
}

TEST_F(RenderState, FogOffTouchesNoFogStateNorTheClearColour) {
  Settings settings;
  settings.FOG_ENABLE = 0;
  SceneState scene;
  SceneView view;
  scene_init(scene, view, settings, 1);

  EXPECT_FALSE(glIsEnabled(GL_FOG));
  EXPECT_EQ(get_float(GL_FOG_DENSITY), 1.0f);
  EXPECT_EQ(get_float4(GL_FOG_COLOR), (std::array<GLfloat, 4>{0, 0, 0, 0}));
  EXPECT_EQ(get_float4(GL_COLOR_CLEAR_VALUE), (std::array<GLfloat, 4>{0, 0, 0, 0}));
}

TEST_F(RenderState, ResizeSetsViewportAspectAndPerspective) {
  SceneState scene;
  SceneView view;
  scene_init(scene, view, Settings{}, 1);
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(1.0f, 2.0f, 3.0f);

  scene_resize(view, 800, 600);

  EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 800, 600}));
  EXPECT_EQ(view.viewport_width, 800);
  EXPECT_EQ(view.viewport_height, 600);
  EXPECT_EQ(view.aspect, 1.3333334f);
  EXPECT_EQ(get_int(GL_MATRIX_MODE), GL_MODELVIEW);
  EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), kIdentity);
  const auto projection = matrix(GL_PROJECTION_MATRIX);

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(120.0, static_cast<double>(1.3333334f), 0.1, 100.0);
  EXPECT_EQ(projection, matrix(GL_PROJECTION_MATRIX));
  // 120 degrees vertically: the y scale is cot(60 degrees).
  EXPECT_NEAR(projection[5], 1.0 / std::sqrt(3.0), 1e-6);
  EXPECT_NEAR(projection[0], projection[5] / 1.3333334, 1e-6);
}

TEST_F(RenderState, ResizeWithoutAreaKeepsTheLastAspect) {
  SceneState scene;
  SceneView view;
  scene_init(scene, view, Settings{}, 1);
  scene_resize(view, 800, 600);
  const auto projection = matrix(GL_PROJECTION_MATRIX);

  for (const auto& size : {std::array<std::int32_t, 2>{800, 0}, {0, 0}, {0, 600}, {-5, -7}}) {
    scene_resize(view, size[0], size[1]);
    EXPECT_EQ(view.aspect, 1.3333334f);
    EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), projection);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << size[0] << " x " << size[1];
  }
  EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 0, 0}));

  scene_resize(view, 1000, 500);
  EXPECT_EQ(view.aspect, 2.0f);
}

TEST_F(RenderState, UnusableWidthsAndSizesLeaveTheContextUsable) {
  constexpr std::int32_t kValues[] = {0, -1, std::numeric_limits<std::int32_t>::min(),
                                      std::numeric_limits<std::int32_t>::max()};
  for (const std::int32_t value : kValues) {
    SetUp();
    Settings settings;
    settings.LINE_WIDTH = value;
    settings.STAR_SIZE = value;
    settings.STAR_SMOOTH = 1;
    SceneState scene;
    SceneView view;
    scene_init(scene, view, settings, 1);
    scene_resize(view, kWidth, kHeight);
    EXPECT_GE(get_float(GL_LINE_WIDTH), 1.0f);
    EXPECT_GE(get_float(GL_POINT_SIZE), 1.0f);
    for (int i = 0; i < 2; ++i) {
      scene_tick(scene, settings);
      scene_render(scene, view, settings);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << value;

    const auto picture = frame();
    int lit = 0;
    for (int y = 0; y < picture.height; y += 2) {
      for (int x = 0; x < picture.width; x += 2) lit += picture.lit(x, y) ? 1 : 0;
    }
    EXPECT_GT(lit, 100) << value;
  }
}

TEST_F(RenderState, StarsAreDrawnAtMostSixtyFourPixelsWide) {
  // Lines keep the stored width (OpenGL holds it to what it can draw); stars
  // stop at 64 pixels, so that a dense field of large stars cannot hold a
  // frame, and the input waiting behind it, for half a minute.
  const std::pair<std::int32_t, float> kCases[] = {{63, 63.0f}, {64, 64.0f}, {65, 64.0f}, {255, 64.0f},
                                                    {std::numeric_limits<std::int32_t>::max(), 64.0f}};
  for (const auto& [stored, drawn] : kCases) {
    SetUp();
    Settings settings;
    settings.STAR_SIZE = stored;
    settings.LINE_WIDTH = 9;
    SceneState scene;
    SceneView view;
    scene_init(scene, view, settings, 1);
    EXPECT_EQ(get_float(GL_POINT_SIZE), drawn) << stored;
    EXPECT_EQ(get_float(GL_LINE_WIDTH), 9.0f) << stored;
  }
}

TEST_F(RenderState, StarFieldIsDrawnFromTheGeneratorBeforeTheSeed) {
  SceneState scene;
  SceneView view;
  scene_init(scene, view, Settings{}, 99);

  // Seeding after the star field leaves the generator as if no star had been
  // drawn.
  SceneState model_only;
  init_scene_model(model_only, Settings{}, 99);
  EXPECT_EQ(scene.lcg.state(), model_only.lcg.state());

  // Every star of the list, seen through a box that holds the whole cube:
  // window x = (x + 20) x 20, y = (y + 20) x 15 on the 800 x 600 surface.
  glViewport(0, 0, kWidth, kHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-20, 20, -20, 20, -20, 20);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const auto feedback = testing_gl::capture_feedback([&] { glCallList(view.star_list); });
  ASSERT_EQ(feedback.points.size(), 1688u);
  EXPECT_NEAR(feedback.points[0].x, (1.7f + 20.0f) * 20.0f, 1e-3);
  EXPECT_NEAR(feedback.points[0].y, (-10.9f + 20.0f) * 15.0f, 1e-3);
}

TEST_F(RenderState, RebuildReplacesTheStarList) {
  SceneState scene;
  SceneView view;
  scene_init(scene, view, Settings{}, 5);
  const std::uint32_t old_list = view.star_list;
  ASSERT_NE(old_list, 0u);
  Lcg expected = scene.lcg;
  for (int i = 0; i < 36; ++i) expected.next();

  rebuild_starfield(view, 30000, scene.lcg);

  EXPECT_FALSE(glIsList(old_list) && old_list != view.star_list);
  EXPECT_TRUE(glIsList(view.star_list));
  EXPECT_EQ(scene.lcg.state(), expected.state());  // 12 stars, three draws each
  const auto feedback = testing_gl::capture_feedback([&] {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-20, 20, -20, 20, -20, 20);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glCallList(view.star_list);
  });
  EXPECT_EQ(feedback.points.size(), 12u);
}

TEST_F(RenderState, StarDrawsHappenWithoutAContext) {
  surface_.reset();  // no current context: list names cannot be allocated
  SceneState scene;
  const StarLists lists = compile_starfield(200, scene.lcg);
  EXPECT_EQ(lists.list, 0u);
  Lcg expected;
  for (int i = 0; i < 3 * 1688; ++i) expected.next();
  EXPECT_EQ(scene.lcg.state(), expected.state());
}

}  // namespace
}  // namespace roamlets
