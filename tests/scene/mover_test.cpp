// One mover's tick: roamlet legs, chaser pursuit, the nearest-target scan and
// the trail ring.
#include "scene/mover.h"

#include <gtest/gtest.h>

#include <vector>

namespace roamlets {
namespace {

Mover roamlet_at(float x, float y, float z) {
  Mover m;
  m.kind = MoverKind::Roamlet;
  m.position = Vec4{x, y, z, 0.0f};
  m.speed = Vec4{0.1f, 0.1f, 0.1f, 0.0f};
  m.speed_min = 10;
  m.speed_max = 50;
  return m;
}

Mover chaser_at(float x, float y, float z) {
  Mover m;
  m.position = Vec4{x, y, z, 0.0f};
  m.speed = Vec4{0.05f, 0.05f, 0.05f, 0.0f};
  return m;
}

void expect_same(const Vec4& a, const Vec4& b) {
  EXPECT_EQ(a.x, b.x);
  EXPECT_EQ(a.y, b.y);
  EXPECT_EQ(a.z, b.z);
  EXPECT_EQ(a.w, b.w);
}

TEST(Roamlet, MovesOnItsFirstTickAndStartsALegOnItsSecond) {
  Mover m = roamlet_at(1.0f, 2.0f, 3.0f);
  const std::vector<Mover> none;
  Lcg lcg;

  update_mover(m, none, lcg);
  EXPECT_EQ(lcg.state(), 1u) << "a moving tick draws nothing";
  expect_same(m.trail.slots[0], Vec4{1.0f, 2.0f, 3.0f, 0.0f});
  EXPECT_EQ(m.trail.head, 1);
  const float step = 0.1f * Mover::initial_heading().x;
  EXPECT_EQ(m.position.x, 1.0f + step);
  EXPECT_EQ(m.leg_elapsed, 1.0f);
  // The default turn step (0, 0, 0, 1) has been added to the heading.
  EXPECT_EQ(m.heading.w, 1.0f);

  const Mover before = m;
  update_mover(m, none, lcg);
  EXPECT_NE(lcg.state(), 1u) << "the second tick starts a leg";
  EXPECT_EQ(m.trail.head, before.trail.head) << "a leg change records nothing";
  expect_same(m.position, before.position);
  EXPECT_EQ(m.leg_elapsed, 0.0f);
}

TEST(Roamlet, StartLegDrawsSevenValuesInItsOrder) {
  Mover m = roamlet_at(0.5f, -1.5f, 2.0f);
  Lcg lcg;
  lcg.seed(987654);
  Lcg stream = lcg;

  start_leg(m, lcg);

  // Waypoint: y, then x, then z.
  const float wy = static_cast<float>(stream.draw(10) - 5);
  const float wx = static_cast<float>(stream.draw(10) - 5);
  const float wz = static_cast<float>(stream.draw(10) - 5);
  Vec4 desired = Vec4{wx, wy, wz, 0.0f} - Vec4{0.5f, -1.5f, 2.0f, 0.0f};
  desired.normalize();
  expect_same(m.desired, desired);

  const float duration = static_cast<float>((stream.draw(9000) + 1000) * static_cast<double>(0.01f));
  EXPECT_EQ(m.leg_duration, duration);
  EXPECT_GE(m.leg_duration, 10.0f);
  EXPECT_LT(m.leg_duration, 100.0f);

  Vec4 turn = (desired - Mover::initial_heading()) / duration;
  turn.normalize();
  expect_same(m.turn_step, turn);

  // Speeds: the first draw is y, the second x, the third z.
  const int a = stream.draw(40) + 10;
  const int b = stream.draw(40) + 10;
  const int c = stream.draw(40) + 10;
  EXPECT_EQ(m.speed.y, static_cast<float>(a * static_cast<double>(0.002f)));
  EXPECT_EQ(m.speed.x, static_cast<float>(b * static_cast<double>(0.002f)));
  EXPECT_EQ(m.speed.z, static_cast<float>(c * static_cast<double>(0.002f)));
  EXPECT_EQ(m.speed.w, 0.0f);
  EXPECT_EQ(lcg.state(), stream.state());
}

TEST(Roamlet, LegLastsWholeTicksPlusOneThenOneStillTick) {
  Mover m = roamlet_at(0.0f, 0.0f, 0.0f);
  const std::vector<Mover> none;
  Lcg lcg;
  update_mover(m, none, lcg);  // fresh roamlet moves
  update_mover(m, none, lcg);  // first leg starts
  const int moving = static_cast<int>(m.leg_duration) + 1;
  const int head = m.trail.head;
  for (int i = 0; i < moving; ++i) {
    const std::uint32_t state = lcg.state();
    update_mover(m, none, lcg);
    ASSERT_EQ(lcg.state(), state) << "tick " << i << " of the leg should move";
  }
  EXPECT_EQ(m.trail.head, (head + moving) % Trail::kLength);
  const std::uint32_t state = lcg.state();
  update_mover(m, none, lcg);
  EXPECT_NE(lcg.state(), state) << "the tick after the leg starts the next one";
}

TEST(Chaser, StepsTowardsItsTargetAndRecordsWhereItWas) {
  std::vector<Mover> roamlets{roamlet_at(3.0f, 0.0f, 4.0f)};
  Mover c = chaser_at(0.0f, 0.0f, 0.0f);
  c.target = 0;
  Lcg lcg;
  update_mover(c, roamlets, lcg);
  EXPECT_EQ(c.heading.x, 0.6f);
  EXPECT_EQ(c.heading.z, 0.8f);
  EXPECT_EQ(c.position.x, 0.05f * 0.6f);
  EXPECT_EQ(c.position.z, 0.05f * 0.8f);
  expect_same(c.trail.slots[0], Vec4{0.0f, 0.0f, 0.0f, 0.0f});
  EXPECT_EQ(c.trail.head, 1);
  EXPECT_EQ(c.target, 0);
  EXPECT_EQ(lcg.state(), 1u) << "chasers never draw";
}

TEST(Chaser, OnItsTargetKeepsAZeroHeadingAndStandsButRecords) {
  std::vector<Mover> roamlets{roamlet_at(1.0f, 1.0f, 1.0f)};
  Mover c = chaser_at(1.0f, 1.0f, 1.0f);
  c.target = 0;
  Lcg lcg;
  update_mover(c, roamlets, lcg);
  EXPECT_EQ(c.heading.x, 0.0f);
  EXPECT_EQ(c.heading.y, 0.0f);
  EXPECT_EQ(c.heading.z, 0.0f);
  expect_same(c.position, Vec4{1.0f, 1.0f, 1.0f, 0.0f});
  EXPECT_EQ(c.trail.head, 1);
}

TEST(Chaser, WithoutATargetStandsStillThenPicksOne) {
  std::vector<Mover> roamlets;
  Mover c = chaser_at(1.0f, 2.0f, 3.0f);
  Lcg lcg;
  update_mover(c, roamlets, lcg);
  EXPECT_EQ(c.trail.head, 0);
  expect_same(c.position, Vec4{1.0f, 2.0f, 3.0f, 0.0f});
  EXPECT_EQ(c.target, kNoTarget);

  roamlets.push_back(roamlet_at(0.0f, 0.0f, 0.0f));
  update_mover(c, roamlets, lcg);
  EXPECT_EQ(c.trail.head, 0) << "the target picked now is pursued on the next tick";
  EXPECT_EQ(c.target, 0);
}

TEST(Retarget, PicksTheNearestWithTheStoredBestInSinglePrecision) {
  Mover c = chaser_at(0.0f, 0.0f, 0.0f);
  std::vector<Mover> roamlets{roamlet_at(4.0f, 0.0f, 0.0f), roamlet_at(0.0f, -2.0f, 0.0f),
                              roamlet_at(0.0f, 0.0f, 3.0f)};
  retarget(c, roamlets);
  EXPECT_EQ(c.target, 1);

  // An exactly representable tie keeps the lower index.
  roamlets = {roamlet_at(1.0f, 0.0f, 0.0f), roamlet_at(0.0f, 1.0f, 0.0f)};
  retarget(c, roamlets);
  EXPECT_EQ(c.target, 0);

  // 0.1f squared rounds up when stored as the best, so the later roamlet at
  // the same distance is strictly nearer than the stored best and wins.
  roamlets = {roamlet_at(0.1f, 0.0f, 0.0f), roamlet_at(0.0f, 0.1f, 0.0f)};
  retarget(c, roamlets);
  EXPECT_EQ(c.target, 1);

  // 0.3f squared rounds down, so the tie keeps the first.
  roamlets = {roamlet_at(0.0f, 0.0f, 0.3f), roamlet_at(0.3f, 0.0f, 0.0f)};
  retarget(c, roamlets);
  EXPECT_EQ(c.target, 0);

  roamlets.clear();
  retarget(c, roamlets);
  EXPECT_EQ(c.target, kNoTarget);
}

TEST(Retarget, RoundsTheYAndXDifferencesButKeepsZInDouble) {
  // Near ties found by search: rounding the z difference too, or keeping the
  // x difference in double, would pick roamlet 1 here ...
  Mover c = chaser_at(-0x1.4f67cp+1f, 0x1.c4e842p-2f, -0x1.4cea2ep+0f);
  std::vector<Mover> roamlets{roamlet_at(0x1.0a090ap+0f, 0x1.41d80ep+0f, -0x1.160fcp+2f),
                              roamlet_at(-0x1.b7b6bep+1f, -0x1.9bcf3cp+1f, -0x1.160fcp+2f)};
  retarget(c, roamlets);
  EXPECT_EQ(c.target, 0);

  // ... and keeping the y difference in double would pick roamlet 0 here.
  c = chaser_at(-0x1.2b50fep+2f, -0x1.bbafbcp-2f, 0x1.4453b6p+1f);
  roamlets = {roamlet_at(0x1.3d755ep+1f, 0x1.288de6p+2f, 0x1.c1231cp-2f),
              roamlet_at(0x1.8f7e3cp-2f, -0x1.e5c6a8p+2f, 0x1.c1231cp-2f)};
  retarget(c, roamlets);
  EXPECT_EQ(c.target, 1);
}

TEST(Trail, RingWrapsAfterFiftyPoints) {
  Mover m;
  for (int i = 0; i < Trail::kLength; ++i) {
    push_trail(m, Vec4{static_cast<float>(i), 0.0f, 0.0f, 0.0f});
  }
  EXPECT_EQ(m.trail.head, 0);
  for (int i = 0; i < Trail::kLength; ++i) {
    EXPECT_EQ(m.trail.slots[static_cast<std::size_t>(i)].x, static_cast<float>(i));
    EXPECT_EQ(m.trail.slots[static_cast<std::size_t>(i)].w, 0.0f);
  }
  push_trail(m, Vec4{99.0f, 0.0f, 0.0f, 0.0f});
  EXPECT_EQ(m.trail.slots[0].x, 99.0f);
  EXPECT_EQ(m.trail.head, 1);
}

TEST(Mover, ConstructionDefaults) {
  const Mover m;
  EXPECT_EQ(m.kind, MoverKind::Chaser);
  EXPECT_EQ(m.target, kNoTarget);
  expect_same(m.heading, m.desired);
  EXPECT_EQ(m.heading.w, 0.0f);
  expect_same(m.turn_step, Vec4{0.0f, 0.0f, 0.0f, 1.0f});
  expect_same(m.position, Vec4{0.0f, 0.0f, 0.0f, 1.0f});
  for (const Vec4& slot : m.trail.slots) {
    expect_same(slot, Vec4{0.0f, 0.0f, 0.0f, 1.0f});
  }
  EXPECT_EQ(m.trail.head, 0);
}

}  // namespace
}  // namespace roamlets
