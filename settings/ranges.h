// The ranges of the count and density settings, defined here alone: the
// scene, the configuration dialog, the Linux program's options and the tests
// all read them from this header.
#pragma once

#include <cstdint>

namespace roamlets {

struct Settings;

// The most movers of each kind. The scene clamps a stored NUM_ROAMLETS or
// NUM_CHASERS into 0..kMaxCount (a negative count means none), so that a bad
// stored value can neither hang the scene nor exhaust memory; the dialog
// holds the fields to kMinCount..kMaxCount.
inline constexpr std::int32_t kMinCount = 1;
inline constexpr std::int32_t kMaxCount = 500;

// The range the dialog holds DENSITY to (the scene itself treats anything
// below 1 as 1, the densest field).
inline constexpr std::int32_t kMinDensity = 1;
inline constexpr std::int32_t kMaxDensity = 30000;

// Brings NUM_ROAMLETS, NUM_CHASERS and DENSITY into the dialog's ranges, as
// the dialog does with stored values when it opens, and as a save from the
// command line does.
void clamp_to_dialog_ranges(Settings& settings);

}  // namespace roamlets
