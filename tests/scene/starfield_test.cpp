// The star field: its points, their count for a DENSITY, and the draws it
// makes, kept or skipped.
#include "scene/starfield.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace roamlets {
namespace {

// A coordinate of n tenths, rounded once from double precision.
float tenths(int n) { return static_cast<float>(n * static_cast<double>(0.1f)); }

struct Star {
  float x, y, z;
};

class CollectingSink : public StarSink {
 public:
  void star(float x, float y, float z) override { stars.push_back({x, y, z}); }
  std::vector<Star> stars;
};

std::vector<Star> stars_for(std::int32_t density, Lcg& lcg) {
  CollectingSink sink;
  build_starfield(star_step(density), lcg, sink);
  return sink.stars;
}

TEST(Starfield, FirstStarAndCountFromTheInitialState) {
  Lcg lcg;
  const auto stars = stars_for(200, lcg);
  ASSERT_EQ(stars.size(), 1688u);
  // (18467 % 300 - 150, 41 % 300 - 150, 6334 % 300 - 150) tenths.
  EXPECT_EQ(stars[0].x, tenths(17));
  EXPECT_EQ(stars[0].y, tenths(-109));
  EXPECT_EQ(stars[0].z, tenths(-116));

  Lcg stream;
  for (std::size_t i = 0; i < stars.size() * 3; ++i) stream.next();
  EXPECT_EQ(lcg.state(), stream.state()) << "three draws per star";

  Lcg skipped;
  skip_starfield(star_step(200), skipped);
  EXPECT_EQ(skipped.state(), lcg.state()) << "a field skipped makes the same draws";
}

TEST(Starfield, CountFollowsTheSinglePrecisionAccumulation) {
  const std::pair<std::int32_t, std::size_t> cases[] = {{150, 2250}, {100, 3375}, {30000, 12}, {1, 337202}};
  for (const auto& [density, count] : cases) {
    Lcg lcg;
    EXPECT_EQ(stars_for(density, lcg).size(), count) << density;
  }
}

TEST(Starfield, CoordinatesAreTenthsInsideTheCube) {
  Lcg lcg;
  lcg.seed(2024);
  for (const Star& s : stars_for(50, lcg)) {
    for (const float c : {s.x, s.y, s.z}) {
      const long n = std::lround(static_cast<double>(c) * 10.0);
      ASSERT_GE(n, -150);
      ASSERT_LE(n, 149);
      ASSERT_EQ(c, tenths(static_cast<int>(n)));
    }
  }
}

TEST(Starfield, DensityOfZeroOrLessBuildsTheDensestField) {
  Lcg reference;
  const auto densest = stars_for(1, reference);
  for (const std::int32_t density : {0, -5, INT32_MIN}) {
    Lcg lcg;
    const auto stars = stars_for(density, lcg);
    ASSERT_EQ(stars.size(), densest.size()) << density;
    EXPECT_EQ(stars.back().x, densest.back().x);
    EXPECT_EQ(lcg.state(), reference.state());
  }
  Lcg lcg;
  CollectingSink sink;
  build_starfield(std::nanf(""), lcg, sink);
  EXPECT_EQ(sink.stars.size(), densest.size());
}

TEST(Starfield, HugeDensityStillEmitsTheFirstStar) {
  Lcg lcg;
  EXPECT_EQ(stars_for(INT32_MAX, lcg).size(), 1u);
}

}  // namespace
}  // namespace roamlets
