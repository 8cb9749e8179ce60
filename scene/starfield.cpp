#include "scene/starfield.h"

namespace roamlets {
namespace {

constexpr float kDensityScale = 0.01f;
constexpr float kStarGrid = 0.1f;

// DENSITY 1 gives the smallest step the generation accepts.
constexpr float kMinStep = kDensityScale;

class DiscardSink final : public StarSink {
 public:
  void star(float, float, float) override {}
};

}  // namespace

float star_step(std::int32_t density) {
  return static_cast<float>(static_cast<double>(density) * static_cast<double>(kDensityScale));
}

std::uint32_t star_count(float step) {
  // NaN fails the comparison too.
  if (!(step >= kMinStep)) {
    step = kMinStep;
  }
  const float budget = kStarHalfExtent * kStarHalfExtent * kStarHalfExtent;
  std::uint32_t count = 0;
  float acc = 0.0f;
  do {
    ++count;
    acc = acc + step;
  } while (acc < budget);
  return count;
}

void build_starfield(float step, Lcg& lcg, StarSink& sink) {
  const int k = static_cast<int>(static_cast<double>(kStarHalfExtent) * -10.0);
  auto coordinate = [&]() {
    return static_cast<float>(static_cast<double>(k + lcg.draw(-2 * k)) * static_cast<double>(kStarGrid));
  };
  for (std::uint32_t i = star_count(step); i > 0; --i) {
    const float y = coordinate();
    const float x = coordinate();
    const float z = coordinate();
    sink.star(x, y, z);
  }
}

void skip_starfield(float step, Lcg& lcg) {
  DiscardSink discard;
  build_starfield(step, lcg, discard);
}

}  // namespace roamlets
