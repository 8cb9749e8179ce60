// The generator's stream and the vector arithmetic every scene value rests on.
#include <gtest/gtest.h>

#include "scene/lcg.h"
#include "scene/vec4.h"

namespace roamlets {
namespace {

TEST(Lcg, StreamFromInitialStateAndFromASeed) {
  Lcg lcg;
  EXPECT_EQ(lcg.state(), 1u);
  EXPECT_EQ(lcg.next(), 41);
  EXPECT_EQ(lcg.next(), 18467);
  EXPECT_EQ(lcg.next(), 6334);

  // The state wraps modulo 2^32 and only bits 16..30 are returned.
  lcg.seed(0xFFFFFFFFu);
  EXPECT_EQ(lcg.next(), static_cast<int>(((0xFFFFFFFFu * 214013u + 2531011u) >> 16) & 0x7FFFu));
  EXPECT_EQ(lcg.state(), 0xFFFFFFFFu * 214013u + 2531011u);

  Lcg a;
  Lcg b;
  a.seed(12345);
  b.seed(12345);
  for (int i = 0; i < 1000; ++i) {
    const int d = a.draw(300);
    EXPECT_EQ(d, b.next() % 300);
    ASSERT_GE(d, 0);
    ASSERT_LT(d, 300);
  }
}

TEST(Vec4, DefaultsAndComponentWiseArithmeticIncludingW) {
  const Vec4 v;
  EXPECT_EQ(v.x, 0.0f);
  EXPECT_EQ(v.y, 0.0f);
  EXPECT_EQ(v.z, 0.0f);
  EXPECT_EQ(v.w, 1.0f);

  const Vec4 a{1.0f, 2.0f, 3.0f, 1.0f};
  const Vec4 b{0.5f, -1.0f, 2.0f, 1.0f};
  const Vec4 sum = a + b;
  EXPECT_EQ(sum.w, 2.0f);
  const Vec4 diff = a - b;
  EXPECT_EQ(diff.x, 0.5f);
  EXPECT_EQ(diff.w, 0.0f);
  const Vec4 product = a * b;
  EXPECT_EQ(product.y, -2.0f);
  EXPECT_EQ(product.w, 1.0f);
  const Vec4 quotient = a / 4.0f;
  EXPECT_EQ(quotient.z, 0.75f);
  EXPECT_EQ(quotient.w, 0.25f);
  Vec4 acc = a;
  acc += b;
  EXPECT_EQ(acc.w, 2.0f);
}

TEST(Vec4, NormalizeScalesXyzOnlyAndLeavesZeroVectorsAlone) {
  Vec4 v{3.0f, 0.0f, 4.0f, 7.0f};
  v.normalize();
  EXPECT_EQ(v.x, 0.6f);
  EXPECT_EQ(v.y, 0.0f);
  EXPECT_EQ(v.z, 0.8f);
  EXPECT_EQ(v.w, 7.0f);

  Vec4 zero{0.0f, 0.0f, 0.0f, 5.0f};
  zero.normalize();
  EXPECT_EQ(zero.x, 0.0f);
  EXPECT_EQ(zero.y, 0.0f);
  EXPECT_EQ(zero.z, 0.0f);
  EXPECT_EQ(zero.w, 5.0f);

  // Components too small to square in single precision still normalise,
  // because the length is formed in double.
  Vec4 tiny{1e-30f, 0.0f, 0.0f, 0.0f};
  tiny.normalize();
  EXPECT_EQ(tiny.x, 1.0f);
}

}  // namespace
}  // namespace roamlets
