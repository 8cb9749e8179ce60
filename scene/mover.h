// One moving object of the scene, a roamlet or a chaser, with the ring of its
// last 50 recorded positions, and its per-tick update.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "scene/lcg.h"
#include "scene/vec4.h"

namespace roamlets {

enum class MoverKind : std::uint8_t { Chaser = 0, Roamlet = 1 };

inline constexpr std::int32_t kNoTarget = -1;

// The last recorded positions of a mover. `head` is both the slot written next
// and the oldest recorded position.
struct Trail {
  static constexpr int kLength = 50;
  std::array<Vec4, kLength> slots{};
  int head = 0;
};

struct Mover {
  MoverKind kind = MoverKind::Chaser;
  // Chasers only: index of the pursued roamlet in the roamlet population, or
  // kNoTarget.
  std::int32_t target = kNoTarget;
  Vec4 heading = initial_heading();
  // Roamlets only: the leg's direction, the step that turns the heading
  // towards it, and the leg's length and progress in ticks.
  Vec4 desired = initial_heading();
  Vec4 turn_step{};
  float leg_duration = 0.0f;
  float leg_elapsed = 0.0f;
  Vec4 colour{};
  Trail trail{};
  // Roamlets only: bounds (upper exclusive) of the per-leg speed draws, in
  // units of 0.002 scene units per tick.
  std::int32_t speed_min = 0;
  std::int32_t speed_max = 0;
  Vec4 position{};
  Vec4 speed{};
  Vec4 next_position{};

  // (1, 1, 1) normalised, with w = 0.
  static const Vec4& initial_heading() {
    static const Vec4 heading = [] {
      Vec4 v{1.0f, 1.0f, 1.0f, 0.0f};
      v.normalize();
      return v;
    }();
    return heading;
  }
};

// Writes `point` into the slot at `head` and advances `head` around the ring.
void push_trail(Mover& mover, const Vec4& point);

// Points a chaser at the nearest roamlet (the lower index wins a tie whose
// distance is exact in single precision), or at none when there are none.
void retarget(Mover& mover, const std::vector<Mover>& roamlets);

// Begins a new leg of a roamlet: a waypoint, a duration, a turn step and a
// per-axis speed, from seven draws.
void start_leg(Mover& mover, Lcg& lcg);

// One tick of one mover. A roamlet moves along its leg or, once the leg is
// over, starts the next one; a chaser steps towards its target and then picks
// the target for its next tick.
void update_mover(Mover& mover, const std::vector<Mover>& roamlets, Lcg& lcg);

}  // namespace roamlets
