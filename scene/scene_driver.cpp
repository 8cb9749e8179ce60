#include "scene/scene_driver.h"

#include <cmath>
#include <ctime>

#include "scene/population.h"

namespace roamlets {
namespace {

constexpr int kWarmUpPasses = 50;
constexpr std::uint32_t kSnapshotPeriod = 500;
constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kSnapshotAngleScale = 0.1f;

void step_movers(SceneState& scene) {
  for (Mover& chaser : scene.chasers) {
    update_mover(chaser, scene.roamlets, scene.lcg);
  }
  for (Mover& roamlet : scene.roamlets) {
    update_mover(roamlet, scene.roamlets, scene.lcg);
  }
}

// The scene turns on all three axes and pulses in size; at angle_y = 90 the
// scale comes within a hair of 0, just below it.
void rotate_camera(SceneState& scene) {
  const std::uint32_t c = scene.tick_counter;
  scene.angle_x = static_cast<float>(static_cast<double>(c % 720u) * 0.5);
  scene.angle_y = static_cast<float>(c % 360u);
  scene.angle_z = static_cast<float>(static_cast<double>(c % 1440u) * 0.25);
  scene.scale = static_cast<float>(
      std::sin(static_cast<double>(scene.angle_y) * static_cast<double>(kDegreesToRadians)) - 1.0);
}

float snapshot_angle(Lcg& lcg) {
  return static_cast<float>(static_cast<double>(lcg.draw(3600)) * static_cast<double>(kSnapshotAngleScale));
}

// A new random orientation every 500 ticks, the very first tick included.
void snapshot_camera(SceneState& scene) {
  if (scene.tick_counter % kSnapshotPeriod != 0) {
    return;
  }
  scene.angle_x = snapshot_angle(scene.lcg);
  scene.angle_y = snapshot_angle(scene.lcg);
  scene.angle_z = snapshot_angle(scene.lcg);
}

}  // namespace

void init_scene_model(SceneState& scene, const Settings& settings, std::uint32_t seed) {
  scene.scale = 1.0f;
  scene.translate[0] = 0.0f;
  scene.translate[1] = 0.0f;
  scene.translate[2] = -3.0f;
  scene.angle_x = scene.angle_y = scene.angle_z = 0.0f;
  scene.lcg.seed(seed);
  resize_roamlets(scene, settings.NUM_ROAMLETS);
  resize_chasers(scene, settings.NUM_CHASERS);
  for (int pass = 0; pass < kWarmUpPasses; ++pass) {
    step_movers(scene);
  }
}

void init_scene_model(SceneState& scene, const Settings& settings) {
  init_scene_model(scene, settings, calendar_seed());
}

void scene_tick(SceneState& scene, const Settings& settings) {
  switch (static_cast<ViewMode>(settings.VIEW_MODE)) {
    case ViewMode::Rotate:
      rotate_camera(scene);
      break;
    case ViewMode::Snapshot:
      snapshot_camera(scene);
      break;
    case ViewMode::Chase:
      break;
  }
  step_movers(scene);
  scene.tick_counter = scene.tick_counter + 1u;
}

std::uint32_t calendar_seed() { return static_cast<std::uint32_t>(std::time(nullptr)); }

}  // namespace roamlets
