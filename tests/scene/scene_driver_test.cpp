// Scene initialisation and the tick: warm-up, camera modes and the counter.
#include "scene/scene_driver.h"

#include <gtest/gtest.h>

#include <cmath>

namespace roamlets {
namespace {

Settings with_mode(ViewMode mode) {
  Settings s;
  s.VIEW_MODE = static_cast<std::int32_t>(mode);
  return s;
}

TEST(SceneDriver, InitResetsTheViewSeedsAndWarmsUpWithoutTicking) {
  SceneState scene;
  scene.tick_counter = 1234;
  scene.scale = 7.0f;
  scene.angle_y = 45.0f;
  scene.translate[2] = 9.0f;
  const Settings settings;  // 10 roamlets, 25 chasers
  init_scene_model(scene, settings, 99);

  EXPECT_EQ(scene.tick_counter, 1234u);
  EXPECT_EQ(scene.scale, 1.0f);
  EXPECT_EQ(scene.angle_y, 0.0f);
  EXPECT_EQ(scene.translate[2], -3.0f);
  EXPECT_EQ(scene.roamlets.size(), 10u);
  EXPECT_EQ(scene.chasers.size(), 25u);
  // Every chaser records on each of the 50 warm-up passes, so its whole ring
  // has been written once and its head is back where it started.
  for (const Mover& c : scene.chasers) {
    EXPECT_EQ(c.trail.head, 0);
    for (const Vec4& slot : c.trail.slots) {
      EXPECT_EQ(slot.w, 0.0f);
    }
  }

  SceneState again;
  init_scene_model(again, settings, 99);
  EXPECT_EQ(again.lcg.state(), scene.lcg.state());
  EXPECT_EQ(again.chasers[24].position.x, scene.chasers[24].position.x);
}

TEST(SceneDriver, RotateCameraFollowsTheTickCounter) {
  SceneState scene;
  const Settings rotate = with_mode(ViewMode::Rotate);

  scene.tick_counter = 90;
  scene_tick(scene, rotate);
  EXPECT_EQ(scene.angle_x, 45.0f);
  EXPECT_EQ(scene.angle_y, 90.0f);
  EXPECT_EQ(scene.angle_z, 22.5f);
  // The single-precision factor keeps the sine just below 1.
  EXPECT_LT(scene.scale, 0.0f);
  EXPECT_GT(scene.scale, -1e-15f);
  EXPECT_EQ(scene.tick_counter, 91u);

  scene.tick_counter = 1440;
  scene_tick(scene, rotate);
  EXPECT_EQ(scene.angle_x, 0.0f);
  EXPECT_EQ(scene.angle_y, 0.0f);
  EXPECT_EQ(scene.angle_z, 0.0f);
  EXPECT_EQ(scene.scale, -1.0f);

  scene.tick_counter = 1000;
  scene_tick(scene, rotate);
  EXPECT_EQ(scene.angle_x, 140.0f);
  EXPECT_EQ(scene.angle_y, 280.0f);
  EXPECT_EQ(scene.angle_z, 250.0f);
  EXPECT_EQ(scene.scale, static_cast<float>(std::sin(280.0 * static_cast<double>(0.017453292f)) - 1.0));
}

TEST(SceneDriver, SnapshotDrawsThreeAnglesEveryFiveHundredTicks) {
  SceneState scene;
  scene.lcg.seed(31337);
  const Settings snapshot = with_mode(ViewMode::Snapshot);
  Lcg stream = scene.lcg;

  scene_tick(scene, snapshot);  // tick 0 takes a snapshot
  const auto angle = [&] { return static_cast<float>(stream.draw(3600) * static_cast<double>(0.1f)); };
  const float ax = angle();
  const float ay = angle();
  const float az = angle();
  EXPECT_EQ(scene.angle_x, ax);
  EXPECT_EQ(scene.angle_y, ay);
  EXPECT_EQ(scene.angle_z, az);
  EXPECT_EQ(scene.lcg.state(), stream.state());
  EXPECT_EQ(scene.scale, 1.0f);

  for (int t = 1; t < 500; ++t) {
    scene_tick(scene, snapshot);
  }
  EXPECT_EQ(scene.lcg.state(), stream.state()) << "no draws between snapshots without roamlets";
  scene_tick(scene, snapshot);  // tick 500
  stream.next();
  stream.next();
  stream.next();
  EXPECT_EQ(scene.lcg.state(), stream.state());
}

TEST(SceneDriver, ChaseAndUnknownModesLeaveTheCameraAlone) {
  for (const std::int32_t mode : {0, 3, -1, 7}) {
    SceneState scene;
    scene.lcg.seed(1);
    Settings settings;
    settings.VIEW_MODE = mode;
    init_scene_model(scene, settings, 5);
    for (int t = 0; t < 600; ++t) {
      scene_tick(scene, settings);
    }
    EXPECT_EQ(scene.angle_x, 0.0f) << mode;
    EXPECT_EQ(scene.angle_y, 0.0f) << mode;
    EXPECT_EQ(scene.angle_z, 0.0f) << mode;
    EXPECT_EQ(scene.scale, 1.0f) << mode;
    EXPECT_EQ(scene.tick_counter, 600u) << mode;
  }
}

TEST(SceneDriver, TickCounterWrapsAtTwoToThe32) {
  SceneState scene;
  scene.tick_counter = 0xFFFFFFFFu;
  const Settings rotate = with_mode(ViewMode::Rotate);
  scene_tick(scene, rotate);
  EXPECT_EQ(scene.tick_counter, 0u);
  // The angles come from the counter before it wrapped: 4294967295 % 720,
  // % 360 and % 1440.
  EXPECT_EQ(scene.angle_x, 127.5f);
  EXPECT_EQ(scene.angle_y, 255.0f);
  EXPECT_EQ(scene.angle_z, 63.75f);
  scene_tick(scene, rotate);
  EXPECT_EQ(scene.angle_x, 0.0f);
  EXPECT_EQ(scene.angle_y, 0.0f);
  EXPECT_EQ(scene.angle_z, 0.0f);
  EXPECT_EQ(scene.tick_counter, 1u);

  // 2^32 is no multiple of 500: the last period before the wrap is cut short
  // (4294967295 % 500 = 295), and the counter's return to 0 takes a snapshot.
  const Settings snapshot = with_mode(ViewMode::Snapshot);
  scene.tick_counter = 0xFFFFFFFFu;
  const std::uint32_t before = scene.lcg.state();
  scene_tick(scene, snapshot);
  EXPECT_EQ(scene.lcg.state(), before) << "no snapshot at 4294967295";
  scene_tick(scene, snapshot);
  EXPECT_NE(scene.lcg.state(), before) << "a snapshot at the wrap to 0";
}

TEST(SceneDriver, EmptyPopulationsTickFine) {
  SceneState scene;
  Settings settings;
  settings.NUM_ROAMLETS = 0;
  settings.NUM_CHASERS = 0;
  init_scene_model(scene, settings, 3);
  scene_tick(scene, settings);
  EXPECT_TRUE(scene.roamlets.empty());
  EXPECT_TRUE(scene.chasers.empty());

  settings.NUM_CHASERS = 5;
  init_scene_model(scene, settings, 3);
  scene_tick(scene, settings);
  for (const Mover& c : scene.chasers) {
    EXPECT_EQ(c.trail.head, 0) << "no roamlets: chasers stand still";
  }
}

}  // namespace
}  // namespace roamlets
