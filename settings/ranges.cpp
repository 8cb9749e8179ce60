#include "settings/ranges.h"

#include <algorithm>

#include "settings/settings.h"

namespace roamlets {

void clamp_to_dialog_ranges(Settings& s) {
  s.NUM_ROAMLETS = std::clamp(s.NUM_ROAMLETS, kMinCount, kMaxCount);
  s.NUM_CHASERS = std::clamp(s.NUM_CHASERS, kMinCount, kMaxCount);
  s.DENSITY = std::clamp(s.DENSITY, kMinDensity, kMaxDensity);
}

}  // namespace roamlets
