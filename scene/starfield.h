// The star cloud that fills a cube 30 units wide around the scene. Points are
// generated once per build and handed to a sink: the renderer compiles them
// into a display list, tests and tools collect or count them.
#pragma once

#include <cstdint>

#include "scene/lcg.h"

namespace roamlets {

class StarSink {
 public:
  virtual ~StarSink() = default;
  virtual void star(float x, float y, float z) = 0;
};

// Half the cube's width; the cube spans -15.0 to 14.9 on each axis in steps
// of 0.1.
inline constexpr float kStarHalfExtent = 15.0f;

// The generation step for a DENSITY setting: DENSITY x 0.01.
float star_step(std::int32_t density);

// Emits stars until their steps add up to the cube's volume; each star costs
// three draws (y, then x, then z). The first star is always emitted. A step
// smaller than that of DENSITY 1 (zero, negative or NaN, which only a bad
// stored DENSITY can give) counts as DENSITY 1's, the densest field the loop
// is bounded for.
void build_starfield(float step, Lcg& lcg, StarSink& sink);

// Makes the draws of build_starfield for `step` and keeps no star: the
// generator advances as a build advances it, with nothing to draw into.
void skip_starfield(float step, Lcg& lcg);

// How many stars build_starfield emits for `step`; it depends on the step
// alone, and takes no draws.
std::uint32_t star_count(float step);

}  // namespace roamlets
