#include "scene/population.h"

#include <algorithm>
#include <cstddef>

namespace roamlets {
namespace {

constexpr float kSpawnScale = 0.01f;
constexpr float kChaserSpeedScale = 1.0f / 11000.0f;

std::size_t wanted_size(std::int32_t count) {
  return static_cast<std::size_t>(std::clamp(count, std::int32_t{0}, kMaxCount));
}

// A coordinate from -4.9 to 4.99, rounded once after the subtraction.
float spawn_coordinate(Lcg& lcg) {
  return static_cast<float>(static_cast<double>(lcg.draw(990) + 10) * static_cast<double>(kSpawnScale) - 5.0);
}

Vec4 spawn_position(Lcg& lcg) {
  Vec4 p{};
  p.y = spawn_coordinate(lcg);
  p.x = spawn_coordinate(lcg);
  p.z = spawn_coordinate(lcg);
  p.w = 0.0f;
  return p;
}

// Scales a draw of n, offset by `base`, by a single-precision factor, rounding once.
float scaled_draw(Lcg& lcg, int n, int base, float factor) {
  return static_cast<float>(static_cast<double>(lcg.draw(n) + base) * static_cast<double>(factor));
}

void draw_speed_bounds(Mover& m, Lcg& lcg) {
  m.speed_min = lcg.draw(40) + 10;
  m.speed_max = lcg.draw(50) + 50;
}

Mover spawn_roamlet(Lcg& lcg) {
  Mover m;
  m.kind = MoverKind::Roamlet;
  m.colour = Vec4{1.0f, 0.0f, 0.0f, 1.0f};
  m.position = spawn_position(lcg);
  m.speed = Vec4{0.1f, 0.1f, 0.1f, 0.0f};
  draw_speed_bounds(m, lcg);
  return m;
}

Mover spawn_chaser(Lcg& lcg, const std::vector<Mover>& roamlets) {
  Mover m;
  m.colour.y = scaled_draw(lcg, 50, 50, kSpawnScale);
  m.colour.x = scaled_draw(lcg, 50, 50, kSpawnScale);
  m.colour.z = scaled_draw(lcg, 50, 50, kSpawnScale);
  m.colour.w = 1.0f;
  m.position = spawn_position(lcg);
  m.speed.y = scaled_draw(lcg, 900, 100, kChaserSpeedScale);
  m.speed.x = scaled_draw(lcg, 900, 100, kChaserSpeedScale);
  m.speed.z = scaled_draw(lcg, 900, 100, kChaserSpeedScale);
  m.speed.w = 0.0f;
  retarget(m, roamlets);
  draw_speed_bounds(m, lcg);
  return m;
}

}  // namespace

void resize_roamlets(SceneState& scene, std::int32_t count) {
  const std::size_t wanted = wanted_size(count);
  if (wanted <= scene.roamlets.size()) {
    scene.roamlets.erase(scene.roamlets.begin() + static_cast<std::ptrdiff_t>(wanted), scene.roamlets.end());
    for (Mover& chaser : scene.chasers) {
      if (chaser.target != kNoTarget && static_cast<std::size_t>(chaser.target) >= wanted) {
        chaser.target = kNoTarget;
      }
    }
    return;
  }
  scene.roamlets.reserve(wanted);
  while (scene.roamlets.size() < wanted) {
    scene.roamlets.push_back(spawn_roamlet(scene.lcg));
  }
}

void resize_chasers(SceneState& scene, std::int32_t count) {
  const std::size_t wanted = wanted_size(count);
  if (wanted <= scene.chasers.size()) {
    scene.chasers.erase(scene.chasers.begin() + static_cast<std::ptrdiff_t>(wanted), scene.chasers.end());
    return;
  }
  scene.chasers.reserve(wanted);
  while (scene.chasers.size() < wanted) {
    scene.chasers.push_back(spawn_chaser(scene.lcg, scene.roamlets));
  }
}

}  // namespace roamlets
