#include "scene/mover.h"

#include <cstddef>

namespace roamlets {
namespace {

// Waypoints are whole numbers in the box from (-5, -5, -5) to (5, 5, 5).
constexpr int kBoxLow = -5;
constexpr int kBoxHigh = 5;

constexpr float kLegTickScale = 0.01f;
constexpr float kSpeedUnit = 0.002f;

// Squared distance between two positions, formed as the scan has always formed
// it: the y and x differences rounded to single precision, the z difference
// kept in double.
double squared_distance(const Vec4& from, const Vec4& to) {
  const double dx = static_cast<double>(static_cast<float>(to.x - from.x));
  const double dy = static_cast<double>(static_cast<float>(to.y - from.y));
  const double dz = static_cast<double>(to.z) - static_cast<double>(from.z);
  return dz * dz + dy * dy + dx * dx;
}

void update_roamlet(Mover& m, Lcg& lcg) {
  if (m.leg_elapsed > m.leg_duration) {
    start_leg(m, lcg);
    return;
  }
  const Vec4 velocity = m.speed * m.heading;
  m.next_position = m.position + velocity;
  push_trail(m, m.position);
  m.position = m.next_position;
  m.heading += m.turn_step;
  m.heading.normalize();
  m.leg_elapsed = m.leg_elapsed + 1.0f;
}

void update_chaser(Mover& m, const std::vector<Mover>& roamlets) {
  if (m.target != kNoTarget) {
    m.heading = roamlets[static_cast<std::size_t>(m.target)].position - m.position;
    m.heading.normalize();
    const Vec4 velocity = m.speed * m.heading;
    m.next_position = m.position + velocity;
    push_trail(m, m.position);
    m.position = m.next_position;
  }
  retarget(m, roamlets);
}

}  // namespace

void push_trail(Mover& mover, const Vec4& point) {
  Trail& t = mover.trail;
  t.slots[static_cast<std::size_t>(t.head)] = point;
  t.head = t.head + 1 == Trail::kLength ? 0 : t.head + 1;
}

void retarget(Mover& mover, const std::vector<Mover>& roamlets) {
  if (roamlets.empty()) {
    mover.target = kNoTarget;
    return;
  }
  std::size_t best_index = 0;
  float best = static_cast<float>(squared_distance(mover.position, roamlets[0].position));
  for (std::size_t i = 1; i < roamlets.size(); ++i) {
    const double d = squared_distance(mover.position, roamlets[i].position);
    if (d < static_cast<double>(best)) {
      best = static_cast<float>(d);
      best_index = i;
    }
  }
  mover.target = static_cast<std::int32_t>(best_index);
}

void start_leg(Mover& m, Lcg& lcg) {
  constexpr int extent = kBoxHigh - kBoxLow;
  Vec4 waypoint{};
  waypoint.y = static_cast<float>(lcg.draw(extent) + kBoxLow);
  waypoint.x = static_cast<float>(lcg.draw(extent) + kBoxLow);
  waypoint.z = static_cast<float>(lcg.draw(extent) + kBoxLow);
  waypoint.w = 0.0f;

  m.desired = waypoint - m.position;
  m.desired.normalize();

  m.leg_duration =
      static_cast<float>(static_cast<double>(lcg.draw(9000) + 1000) * static_cast<double>(kLegTickScale));
  m.leg_elapsed = 0.0f;

  m.turn_step = (m.desired - m.heading) / m.leg_duration;
  m.turn_step.normalize();

  const int span = m.speed_max - m.speed_min;
  const int a = lcg.draw(span) + m.speed_min;
  const int b = lcg.draw(span) + m.speed_min;
  const int c = lcg.draw(span) + m.speed_min;
  auto axis_speed = [](int units) {
    return static_cast<float>(static_cast<double>(units) * static_cast<double>(kSpeedUnit));
  };
  m.speed = Vec4{axis_speed(b), axis_speed(a), axis_speed(c), 0.0f};
}

void update_mover(Mover& mover, const std::vector<Mover>& roamlets, Lcg& lcg) {
  if (mover.kind == MoverKind::Roamlet) {
    update_roamlet(mover, lcg);
  } else {
    update_chaser(mover, roamlets);
  }
}

}  // namespace roamlets
