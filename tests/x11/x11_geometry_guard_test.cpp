// The geometry query the program puts ahead of the X library's: a failed
// query still answers a size the renderer can use; a good one is untouched
// up to the largest size drawn.
// GoogleTest before Xlib, whose macros (None, Bool, ...) would break it.
#include <gtest/gtest.h>

#include "x11/x11_geometry_guard.h"

namespace roamlets::saver {
namespace {

constexpr unsigned kStale = 0xdeadbeefu;

struct Answer {
  ::Window root = kStale;
  int x = static_cast<int>(kStale);
  int y = static_cast<int>(kStale);
  unsigned width = kStale;
  unsigned height = kStale;
  unsigned border = kStale;
  unsigned depth = kStale;

  Status ask(GeometryQuery query, unsigned max_side = 4096) {
    return query_geometry(query, nullptr, 0x400001, &root, &x, &y, &width, &height, &border, &depth, max_side);
  }
};

// What the X library does for a window that is gone: fails, writes nothing.
Status window_gone(Display*, Drawable, ::Window*, int*, int*, unsigned*, unsigned*, unsigned*, unsigned*) {
  return 0;
}

Status window_there(Display*, Drawable, ::Window* root, int* x, int* y, unsigned* width, unsigned* height,
                    unsigned* border, unsigned* depth) {
  *root = 0x2a;
  *x = -5;
  *y = 7;
  *width = 1920;
  *height = 1080;
  *border = 2;
  *depth = 24;
  return 1;
}

TEST(GeometryGuard, AFailedQueryAnswersTheLeastWindowAndStillFails) {
  for (const GeometryQuery query : {GeometryQuery{window_gone}, GeometryQuery{nullptr}}) {
    Answer answer;
    EXPECT_EQ(answer.ask(query), 0);
    EXPECT_EQ(answer.root, static_cast<::Window>(None));
    EXPECT_EQ(answer.x, 0);
    EXPECT_EQ(answer.y, 0);
    EXPECT_EQ(answer.width, 1u);
    EXPECT_EQ(answer.height, 1u);
    EXPECT_EQ(answer.border, 0u);
    EXPECT_EQ(answer.depth, 0u);
  }
}

TEST(GeometryGuard, AGoodAnswerPassesUntouched) {
  Answer answer;
  EXPECT_EQ(answer.ask(window_there), 1);
  EXPECT_EQ(answer.root, 0x2au);
  EXPECT_EQ(answer.x, -5);
  EXPECT_EQ(answer.y, 7);
  EXPECT_EQ(answer.width, 1920u);
  EXPECT_EQ(answer.height, 1080u);
  EXPECT_EQ(answer.border, 2u);
  EXPECT_EQ(answer.depth, 24u);
}

TEST(GeometryGuard, ASizeBeyondTheLargestDrawnIsHeldToIt) {
  Answer answer;
  EXPECT_EQ(answer.ask(window_there, 1080), 1);
  EXPECT_EQ(answer.width, 1080u);
  EXPECT_EQ(answer.height, 1080u);
  EXPECT_EQ(answer.x, -5);
  EXPECT_EQ(answer.depth, 24u);
}

}  // namespace
}  // namespace roamlets::saver
