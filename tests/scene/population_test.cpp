// Spawning and resizing the two populations: the draws each spawn makes, the
// single rounding of spawn values, and counts a bad store can deliver.
#include "scene/population.h"

#include <gtest/gtest.h>

namespace roamlets {
namespace {

float spawn_coordinate(int draw) {
  return static_cast<float>(static_cast<double>(draw + 10) * static_cast<double>(0.01f) - 5.0);
}

// Three consecutive values land on y, then x, then z.
template <typename Value>
void expect_yxz(const Vec4& v, Value next_value) {
  const float y = next_value();
  const float x = next_value();
  const float z = next_value();
  EXPECT_EQ(v.x, x);
  EXPECT_EQ(v.y, y);
  EXPECT_EQ(v.z, z);
}

void expect_spawn_position(const Mover& m, Lcg& stream) {
  expect_yxz(m.position, [&] { return spawn_coordinate(stream.draw(990)); });
  EXPECT_EQ(m.position.w, 0.0f);
}

void expect_speed_bounds(const Mover& m, Lcg& stream) {
  EXPECT_EQ(m.speed_min, stream.draw(40) + 10);
  EXPECT_EQ(m.speed_max, stream.draw(50) + 50);
}

TEST(Population, SpawnCoordinateIsRoundedOnceAfterTheSubtraction) {
  // From state 1 the first draw is 41 % 990 = 41; for this draw rounding the
  // product to single precision first would give a value one unit away.
  SceneState scene;
  resize_roamlets(scene, 1);
  const float y = scene.roamlets[0].position.y;
  EXPECT_EQ(y, -0x1.1f5c2ap+2f);
  const float rounded_each_step = 51 * 0.01f - 5.0f;
  EXPECT_NE(y, rounded_each_step);
}

TEST(Population, RoamletsSpawnFromFiveDrawsEach) {
  SceneState scene;
  scene.lcg.seed(4242);
  Lcg stream = scene.lcg;
  resize_roamlets(scene, 3);
  ASSERT_EQ(scene.roamlets.size(), 3u);
  for (const Mover& m : scene.roamlets) {
    expect_spawn_position(m, stream);
    expect_speed_bounds(m, stream);
    EXPECT_EQ(m.kind, MoverKind::Roamlet);
    EXPECT_EQ(m.colour.x, 1.0f);
    EXPECT_EQ(m.colour.y, 0.0f);
    EXPECT_EQ(m.colour.w, 1.0f);
    EXPECT_EQ(m.speed.x, 0.1f);
    EXPECT_EQ(m.speed.w, 0.0f);
  }
  EXPECT_EQ(scene.lcg.state(), stream.state());
}

TEST(Population, ChasersSpawnFromElevenDrawsAndPickTheNearestRoamlet) {
  SceneState scene;
  scene.lcg.seed(77);
  resize_roamlets(scene, 4);
  Lcg stream = scene.lcg;
  resize_chasers(scene, 2);
  ASSERT_EQ(scene.chasers.size(), 2u);
  for (const Mover& m : scene.chasers) {
    // Colour: green, then red, then blue.
    expect_yxz(m.colour,
               [&] { return static_cast<float>((stream.draw(50) + 50) * static_cast<double>(0.01f)); });
    EXPECT_EQ(m.colour.w, 1.0f);
    expect_spawn_position(m, stream);
    expect_yxz(m.speed, [&] {
      return static_cast<float>((stream.draw(900) + 100) * static_cast<double>(1.0f / 11000.0f));
    });
    EXPECT_EQ(m.speed.w, 0.0f);
    expect_speed_bounds(m, stream);
    EXPECT_EQ(m.kind, MoverKind::Chaser);

    Mover probe = m;
    retarget(probe, scene.roamlets);
    EXPECT_EQ(m.target, probe.target);
    EXPECT_NE(m.target, kNoTarget);
  }
  EXPECT_EQ(scene.lcg.state(), stream.state());
}

TEST(Population, ChasersSpawnedWithoutRoamletsHaveNoTarget) {
  SceneState scene;
  resize_chasers(scene, 3);
  for (const Mover& m : scene.chasers) {
    EXPECT_EQ(m.target, kNoTarget);
  }
}

TEST(Population, ResizingToTheSameSizeOrSmallerDrawsNothingAndKeepsTheFirst) {
  SceneState scene;
  scene.lcg.seed(5);
  resize_roamlets(scene, 10);
  resize_chasers(scene, 10);
  for (int i = 0; i < 30; ++i) {
    for (Mover& m : scene.chasers) update_mover(m, scene.roamlets, scene.lcg);
    for (Mover& m : scene.roamlets) update_mover(m, scene.roamlets, scene.lcg);
  }
  const SceneState before = scene;

  resize_roamlets(scene, 10);
  resize_chasers(scene, 10);
  EXPECT_EQ(scene.lcg.state(), before.lcg.state());
  EXPECT_EQ(scene.roamlets.size(), 10u);

  resize_chasers(scene, 4);
  EXPECT_EQ(scene.lcg.state(), before.lcg.state());
  ASSERT_EQ(scene.chasers.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    const Mover& now = scene.chasers[i];
    const Mover& was = before.chasers[i];
    EXPECT_EQ(now.target, was.target);
    EXPECT_EQ(now.trail.head, was.trail.head);
    for (std::size_t s = 0; s < now.trail.slots.size(); ++s) {
      EXPECT_EQ(now.trail.slots[s].x, was.trail.slots[s].x);
    }
    EXPECT_EQ(now.position.z, was.position.z);
  }
}

TEST(Population, RemovedRoamletsAreNoLongerPursued) {
  SceneState scene;
  scene.lcg.seed(9);
  resize_roamlets(scene, 20);
  resize_chasers(scene, 20);
  resize_roamlets(scene, 2);
  for (const Mover& c : scene.chasers) {
    EXPECT_TRUE(c.target == kNoTarget || c.target < 2);
  }
  // The next tick reads only live roamlets and retargets every chaser.
  for (Mover& c : scene.chasers) update_mover(c, scene.roamlets, scene.lcg);
  for (const Mover& c : scene.chasers) {
    EXPECT_TRUE(c.target == 0 || c.target == 1);
  }
  resize_roamlets(scene, 0);
  for (Mover& c : scene.chasers) update_mover(c, scene.roamlets, scene.lcg);
  for (const Mover& c : scene.chasers) {
    EXPECT_EQ(c.target, kNoTarget);
  }
}

TEST(Population, StoredCountsOutsideTheRangeAreClamped) {
  SceneState scene;
  resize_roamlets(scene, -1);
  EXPECT_TRUE(scene.roamlets.empty());
  resize_roamlets(scene, INT32_MIN);
  EXPECT_TRUE(scene.roamlets.empty());
  resize_roamlets(scene, 100000);
  EXPECT_EQ(scene.roamlets.size(), 500u);
  resize_chasers(scene, INT32_MAX);
  EXPECT_EQ(scene.chasers.size(), 500u);
  resize_chasers(scene, -7);
  EXPECT_TRUE(scene.chasers.empty());
  resize_roamlets(scene, 0);
  EXPECT_TRUE(scene.roamlets.empty());
}

}  // namespace
}  // namespace roamlets
