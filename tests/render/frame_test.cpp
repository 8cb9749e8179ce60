// Frames drawn into a real OpenGL context: the trails' vertices and colours,
// the camera of each view mode, and the pixels of whole frames.
#include "render/frame.h"

#include <GL/osmesa.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "render/scene_setup.h"
#include "scene/scene_driver.h"
#include "tests/render/gl_test_support.h"

namespace roamlets {
namespace {

using testing_gl::capture_feedback;
using testing_gl::compile_points;
using testing_gl::GlTest;
using testing_gl::WindowVertex;

constexpr double kPi = 3.14159265358979323846;

// A view in which window x = (x + 1) x 10 and window y = (y + 1) x 10 on a
// 520 x 520 viewport.
void load_grid_view() {
  glViewport(0, 0, 520, 520);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-1, 51, -1, 51, -10, 10);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

// Slot i of the trail at (i, i mod 7, 0), so that a vertex names its slot.
Mover mover_with_numbered_slots(int head) {
  Mover mover;
  mover.colour = {0.25f, 0.5f, 0.75f, 1.0f};
  for (int i = 0; i < Trail::kLength; ++i) {
    mover.trail.slots[static_cast<std::size_t>(i)] = {static_cast<float>(i), static_cast<float>(i % 7), 0.0f,
                                                      1.0f};
  }
  mover.trail.head = head;
  mover.position = {100.0f, 100.0f, 0.0f, 1.0f};
  return mover;
}

int slot_of(const WindowVertex& v) {
  return static_cast<int>(std::lround(static_cast<double>(v.x) / 10.0 - 1.0));
}

using TrailDrawing = GlTest;

TEST_F(TrailDrawing, RunsFromTheSecondOldestSlotToTheNewestInRingOrder) {
  load_grid_view();
  for (const int head : {0, 1, 20, 48, 49}) {
    const Mover mover = mover_with_numbered_slots(head);
    const auto feedback = capture_feedback([&] { draw_trail(mover); });
    ASSERT_EQ(feedback.strips.size(), 1u);
    const auto& strip = feedback.strips[0];
    ASSERT_EQ(strip.size(), 49u) << "head " << head;
    for (std::size_t k = 0; k < strip.size(); ++k) {
      const int expected = (head + 1 + static_cast<int>(k)) % Trail::kLength;
      EXPECT_EQ(slot_of(strip[k]), expected) << "head " << head << ", vertex " << k;
      EXPECT_NEAR(strip[k].y, ((expected % 7) + 1) * 10.0, 1e-3);
      EXPECT_EQ(strip[k].r, 0.25f);
      EXPECT_EQ(strip[k].g, 0.5f);
      EXPECT_EQ(strip[k].b, 0.75f);
      EXPECT_EQ(strip[k].a, 1.0f);
    }
  }
}

// Window position of an eye-space point under the scene's projection on the
// 800 x 600 surface, from the field of view alone.
std::array<double, 2> project_eye(double x, double y, double z) {
  const double f = 1.0 / std::tan(60.0 * kPi / 180.0);
  const double aspect = 800.0 / 600.0;
  return {(f / aspect * x / -z + 1.0) * 400.0, (f * y / -z + 1.0) * 300.0};
}

std::array<double, 3> rotate(std::array<double, 3> v, int axis, double degrees) {
  const double c = std::cos(degrees * kPi / 180.0);
  const double s = std::sin(degrees * kPi / 180.0);
  const int a = (axis + 1) % 3;
  const int b = (axis + 2) % 3;
  const double va = v[static_cast<std::size_t>(a)];
  const double vb = v[static_cast<std::size_t>(b)];
  v[static_cast<std::size_t>(a)] = c * va - s * vb;
  v[static_cast<std::size_t>(b)] = s * va + c * vb;
  return v;
}

class FrameScene : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    scene_resize(view_, kWidth, kHeight);
  }

  std::vector<WindowVertex> rendered_stars(const Settings& settings) {
    return capture_feedback([&] { scene_render(scene_, view_, settings); }).points;
  }

  // Draws a star field of the one point in `mode` and expects it where the
  // eye-space point `eye` shows.
  void expect_lone_star_seen_as(std::int32_t mode, std::array<float, 3> point, std::array<double, 3> eye) {
    view_.star_list = compile_points({point});
    Settings settings;
    settings.VIEW_MODE = mode;
    const auto stars = rendered_stars(settings);
    ASSERT_EQ(stars.size(), 1u);
    const auto expected = project_eye(eye[0], eye[1], eye[2]);
    EXPECT_NEAR(stars[0].x, expected[0], 0.01);
    EXPECT_NEAR(stars[0].y, expected[1], 0.01);
  }

  SceneState scene_;
  SceneView view_;
};

TEST_F(FrameScene, RotateAndSnapshotTranslateRotateXYZThenScale) {
  scene_.angle_x = 30.0f;
  scene_.angle_y = 45.0f;
  scene_.angle_z = 60.0f;
  scene_.scale = -0.5f;
  const std::vector<std::array<float, 3>> points = {
      {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.3f, -0.2f, 0.9f}};
  view_.star_list = compile_points(points);

  for (const ViewMode mode : {ViewMode::Rotate, ViewMode::Snapshot}) {
    Settings settings;
    settings.VIEW_MODE = static_cast<std::int32_t>(mode);
    const auto stars = rendered_stars(settings);
    ASSERT_EQ(stars.size(), points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
      std::array<double, 3> v{};
      for (std::size_t a = 0; a < 3; ++a) v[a] = -0.5 * static_cast<double>(points[i][a]);
      v = rotate(rotate(rotate(v, 2, 60.0), 1, 45.0), 0, 30.0);
      const auto expected = project_eye(v[0], v[1], v[2] - 3.0);
      EXPECT_NEAR(stars[i].x, expected[0], 0.01) << "point " << i;
      EXPECT_NEAR(stars[i].y, expected[1], 0.01) << "point " << i;
    }
  }

  // Any other mode: no camera at all.
  expect_lone_star_seen_as(7, {0.5f, 0.25f, -2.0f}, {0.5, 0.25, -2.0});
}

TEST_F(FrameScene, ChaseRidesOneUnitBehindTheFirstChaser) {
  Mover lead;
  lead.position = {1.0f, 2.0f, 3.0f, 1.0f};
  lead.heading = {0.6f, 0.0f, -0.8f, 0.0f};
  Mover other;
  other.position = {-4.0f, 0.0f, 0.0f, 1.0f};
  other.heading = {1.0f, 0.0f, 0.0f, 0.0f};
  scene_.chasers = {lead, other};
  const auto along = [&](float t) -> std::array<float, 3> {
    return {1.0f + 0.6f * t, 2.0f, 3.0f - 0.8f * t};
  };
  // On the line of pursuit 2 ahead, 0.8 behind (in front of the eye) and 1.2
  // behind (behind the eye); then 0.5 above the chaser and 0.5 to its right.
  view_.star_list = compile_points(
      {along(2.0f), along(-0.8f), along(-1.2f), {1.0f, 2.5f, 3.0f}, {1.0f + 0.4f, 2.0f, 3.0f + 0.3f}});

  Settings settings;
  settings.VIEW_MODE = static_cast<std::int32_t>(ViewMode::Chase);
  const auto stars = rendered_stars(settings);
  ASSERT_EQ(stars.size(), 4u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_NEAR(stars[static_cast<std::size_t>(i)].x, 400.0, 0.01);
    EXPECT_NEAR(stars[static_cast<std::size_t>(i)].y, 300.0, 0.01);
  }
  EXPECT_GT(stars[0].z, stars[1].z);  // further away
  // Up is +y; right is the heading turned a quarter clockwise seen from above.
  const auto above = project_eye(0.0, 0.5, -1.0);
  EXPECT_NEAR(stars[2].x, 400.0, 0.01);
  EXPECT_NEAR(stars[2].y, above[1], 0.01);
  const auto right = project_eye(0.5, 0.0, -1.0);
  EXPECT_NEAR(stars[3].x, right[0], 0.01);
  EXPECT_NEAR(stars[3].y, 300.0, 0.01);
}

TEST_F(FrameScene, ChaseWithoutChasersTakesTheFixedView) {
  expect_lone_star_seen_as(static_cast<std::int32_t>(ViewMode::Chase), {0.5f, 0.25f, 0.0f},
                           {0.5, 0.25, -3.0});
}

TEST_F(FrameScene, EveryModeLeavesTheModelViewStackAsItFoundIt) {
  Settings settings;
  settings.NUM_ROAMLETS = 3;
  settings.NUM_CHASERS = 2;
  scene_init(scene_, view_, settings, 4);
  scene_resize(view_, kWidth, kHeight);
  for (const std::int32_t mode : {0, 1, 2, 7, -1}) {
    settings.VIEW_MODE = mode;
    scene_tick(scene_, settings);
    scene_render(scene_, view_, settings);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1) << "mode " << mode;
    std::array<GLdouble, 16> m{};
    glGetDoublev(GL_MODELVIEW_MATRIX, m.data());
    EXPECT_EQ(m, (std::array<GLdouble, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}))
        << "mode " << mode;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "mode " << mode;
  }
}

TEST_F(FrameScene, AfterWarmUpRoamletStripsStartAtTheOriginAndChasersNever) {
  Settings settings;
  settings.VIEW_MODE = static_cast<std::int32_t>(ViewMode::Rotate);
  settings.NUM_ROAMLETS = 6;
  settings.NUM_CHASERS = 6;
  scene_init(scene_, view_, settings, 12345);
  scene_resize(view_, kWidth, kHeight);
  load_grid_view();
  glTranslatef(25.0f, 25.0f, 0.0f);  // the origin at window (260, 260)

  const auto is_origin = [](const WindowVertex& v) {
    return std::fabs(v.x - 260.0f) < 1e-3f && std::fabs(v.y - 260.0f) < 1e-3f;
  };
  int roamlets_with_origin = 0;
  for (const Mover& roamlet : scene_.roamlets) {
    const auto strips = capture_feedback([&] { draw_trail(roamlet); }).strips;
    ASSERT_EQ(strips.size(), 1u);
    const auto& strip = strips[0];
    ASSERT_EQ(strip.size(), 49u);
    std::size_t leading = 0;
    while (leading < strip.size() && is_origin(strip[leading])) ++leading;
    for (std::size_t k = leading; k < strip.size(); ++k) EXPECT_FALSE(is_origin(strip[k])) << k;
    roamlets_with_origin += leading > 0 ? 1 : 0;
  }
  EXPECT_GT(roamlets_with_origin, 0);
  for (const Mover& chaser : scene_.chasers) {
    const auto strips = capture_feedback([&] { draw_trail(chaser); }).strips;
    ASSERT_EQ(strips.size(), 1u);
    for (const auto& v : strips[0]) EXPECT_FALSE(is_origin(v));
  }
}

// Counts the lit pixels of a frame by colour, and their bounding box.
struct PixelCensus {
  std::map<testing_gl::Rgba, int> colours;
  int lit = 0;
  int min_x = 1 << 20, max_x = -1, min_y = 1 << 20, max_y = -1;
};

PixelCensus census(const testing_gl::Frame& frame) {
  PixelCensus result;
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x) {
      if (!frame.lit(x, y)) continue;
      auto colour = frame.at(x, y);
      colour[3] = 255;
      ++result.colours[colour];
      ++result.lit;
      result.min_x = std::min(result.min_x, x);
      result.max_x = std::max(result.max_x, x);
      result.min_y = std::min(result.min_y, y);
      result.max_y = std::max(result.max_y, y);
    }
  }
  return result;
}

// The bytes OpenGL writes for a colour, give or take its rounding.
bool shows_colour(const testing_gl::Rgba& pixel, const Vec4& colour) {
  const float channels[3] = {colour.x, colour.y, colour.z};
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::fabs(static_cast<double>(pixel[i]) - static_cast<double>(channels[i]) * 255.0) > 1.0)
      return false;
  }
  return true;
}

TEST_F(FrameScene, PixelsAreGreyStarsAndTrailsInTheirMoversColours) {
  Settings settings;
  settings.VIEW_MODE = static_cast<std::int32_t>(ViewMode::Rotate);
  settings.NUM_ROAMLETS = 4;
  settings.NUM_CHASERS = 5;
  settings.FOG_ENABLE = 0;  // exact colours
  scene_init(scene_, view_, settings, 2024);
  scene_resize(view_, kWidth, kHeight);
  scene_render(scene_, view_, settings);
  const auto pixels = census(frame());

  const Vec4 grey{0.5f, 0.5f, 0.5f, 1.0f};
  const Vec4 red{1.0f, 0.0f, 0.0f, 1.0f};
  for (const Mover& roamlet : scene_.roamlets) {
    EXPECT_TRUE(roamlet.colour.x == 1.0f && roamlet.colour.y == 0.0f && roamlet.colour.z == 0.0f);
  }
  std::map<const Vec4*, int> seen;
  for (const auto& [colour, count] : pixels.colours) {
    const Vec4* match = shows_colour(colour, grey) ? &grey : shows_colour(colour, red) ? &red : nullptr;
    for (const Mover& chaser : scene_.chasers) {
      if (match == nullptr && shows_colour(colour, chaser.colour)) match = &chaser.colour;
    }
    EXPECT_NE(match, nullptr) << int{colour[0]} << "," << int{colour[1]} << "," << int{colour[2]} << " x "
                              << count;
    seen[match] += count;
  }
  EXPECT_GT(seen[&grey], 100);
  EXPECT_GT(seen[&red], 20);
  int chaser_colours_seen = 0;
  for (const Mover& chaser : scene_.chasers) chaser_colours_seen += seen[&chaser.colour] > 0 ? 1 : 0;
  EXPECT_GE(chaser_colours_seen, 3);
}

TEST_F(FrameScene, FoggedStarsStayGrey) {
  Settings settings;
  settings.NUM_ROAMLETS = 0;
  settings.NUM_CHASERS = 0;
  scene_init(scene_, view_, settings, 3);
  scene_resize(view_, kWidth, kHeight);
  scene_render(scene_, view_, settings);
  const auto pixels = census(frame());
  EXPECT_GT(pixels.lit, 100);
  for (const auto& [colour, count] : pixels.colours) {
    EXPECT_EQ(colour[0], colour[1]);
    EXPECT_EQ(colour[1], colour[2]);
    EXPECT_LE(colour[0], 128);
  }
}

// A window the saver is given (the root, a hack's window) may come with a
// stencil buffer packed beside the depth buffer. Clearing depth alone then
// has to keep the stencil bits, which made a frame in software OpenGL cost
// 60 % more; every frame clears the stencil buffer with the others.
TEST(FrameClear, AFrameClearsTheStencilBufferWithColourAndDepth) {
  constexpr int kSide = 64;
  std::vector<std::uint8_t> buffer(kSide * kSide * 4);
  const OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, nullptr);
  ASSERT_NE(context, nullptr);
  ASSERT_TRUE(OSMesaMakeCurrent(context, buffer.data(), GL_UNSIGNED_BYTE, kSide, kSide));
  GLint stencil_bits = 0;
  glGetIntegerv(GL_STENCIL_BITS, &stencil_bits);
  ASSERT_EQ(stencil_bits, 8);

  glClearStencil(7);
  glClear(GL_STENCIL_BUFFER_BIT);
  glClearStencil(0);
  Settings settings;
  SceneState scene;
  SceneView view;
  scene_init(scene, view, settings, 1);
  scene_resize(view, kSide, kSide);
  scene_render(scene, view, settings);
  std::vector<GLubyte> stencil(kSide * kSide, 0xFF);
  glReadPixels(0, 0, kSide, kSide, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, stencil.data());
  EXPECT_EQ(std::count(stencil.begin(), stencil.end(), 0), kSide * kSide);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  OSMesaDestroyContext(context);
}

// Settings whose frame asks several times whether to go on, among the star
// pieces and among the trails; smoothed and blended, so that order shows.
Settings heavy_settings() {
  Settings settings;
  settings.NUM_ROAMLETS = 120;
  settings.NUM_CHASERS = 130;
  settings.DENSITY = 20;
  settings.STAR_SIZE = 40;
  settings.STAR_SMOOTH = 1;
  settings.LINE_WIDTH = 255;
  return settings;
}

TEST_F(FrameScene, AFrameDrawnInPiecesHasThePixelsOfOneDrawnWhole) {
  const Settings settings = heavy_settings();
  scene_init(scene_, view_, settings, 31);
  scene_resize(view_, kWidth, kHeight);
  ASSERT_GT(view_.star_pieces, 1u);
  int asked = 0;
  ASSERT_TRUE(scene_render(scene_, view_, settings, [&] { return ++asked, false; }));
  EXPECT_GE(asked, 2);
  const auto pieced = frame();

  SceneView whole = view_;
  whole.star_pieces = 0;  // the list that replays every piece, in one call
  scene_render(scene_, whole, settings);
  EXPECT_TRUE(frame().rgba == pieced.rgba);
}

TEST_F(FrameScene, AnAbandonedFrameStopsWhereItWasAbandonedAndRestoresTheMatrix) {
  const Settings settings = heavy_settings();
  scene_init(scene_, view_, settings, 31);
  scene_resize(view_, kWidth, kHeight);
  int questions = 0;
  scene_render(scene_, view_, settings, [&] { return ++questions, false; });
  // The first question comes among the stars, the last among the trails.
  for (const int last : {1, questions}) {
    int asked = 0;
    const auto feedback = capture_feedback(
        [&] { EXPECT_FALSE(scene_render(scene_, view_, settings, [&] { return ++asked == last; })); });
    EXPECT_EQ(asked, last);
    EXPECT_EQ(feedback.strips.empty(), last == 1) << "trails drawn after giving up at question " << last;
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
  }
}

TEST_F(FrameScene, RotateCollapsesTheSceneOntoThePointAheadAtTick90) {
  Settings settings;
  settings.VIEW_MODE = static_cast<std::int32_t>(ViewMode::Rotate);
  scene_init(scene_, view_, settings, 77);
  scene_resize(view_, kWidth, kHeight);
  while (scene_.tick_counter < 46) scene_tick(scene_, settings);
  scene_render(scene_, view_, settings);
  const auto spread = census(frame());
  EXPECT_GT(spread.max_x - spread.min_x, 200);

  while (scene_.tick_counter < 90) scene_tick(scene_, settings);

  scene_tick(scene_, settings);  // the tick with counter 90
  ASSERT_EQ(scene_.angle_y, 90.0f);
  scene_render(scene_, view_, settings);
  const auto collapsed = census(frame());
  EXPECT_GT(collapsed.lit, 0);
  EXPECT_GE(collapsed.min_x, 397);
  EXPECT_LE(collapsed.max_x, 402);
  EXPECT_GE(collapsed.min_y, 297);
  EXPECT_LE(collapsed.max_y, 302);
}

}  // namespace
}  // namespace roamlets
