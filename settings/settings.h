// The user's eight choices for the scene, and their loading and saving
// through a SettingsStore.
#pragma once

#include <cstdint>

namespace roamlets {

class SettingsStore;

// Camera modes. A stored VIEW_MODE may hold any other value, which means that
// no camera transform is applied and no camera angle moves.
enum class ViewMode : std::int32_t { Chase = 0, Rotate = 1, Snapshot = 2 };

// One field per stored value, named exactly like the value. Every field is the
// signed reading of the 32 bits stored; nothing is range-checked on load.
struct Settings {
  std::int32_t VIEW_MODE = 0;
  std::int32_t NUM_ROAMLETS = 10;
  std::int32_t NUM_CHASERS = 25;
  std::int32_t DENSITY = 200;
  std::int32_t LINE_WIDTH = 2;
  std::int32_t STAR_SIZE = 2;
  std::int32_t STAR_SMOOTH = 0;
  std::int32_t FOG_ENABLE = 1;
};

// Equal when all eight fields are.
bool operator==(const Settings& a, const Settings& b);
inline bool operator!=(const Settings& a, const Settings& b) { return !(a == b); }

// The key every store keeps the values under.
inline constexpr const char* kSettingsKeyPath = "Software\\Vantorix\\ScreenSavers\\Roamlets";

// Overwrites each field whose value the store can read; the others keep their
// current value. Reads in the order VIEW_MODE, NUM_ROAMLETS, NUM_CHASERS,
// DENSITY, LINE_WIDTH, STAR_SIZE, STAR_SMOOTH, FOG_ENABLE.
void load_settings(Settings& settings, SettingsStore& store);

// Writes all eight fields, in the order NUM_ROAMLETS, VIEW_MODE, NUM_CHASERS,
// DENSITY, LINE_WIDTH, STAR_SIZE, STAR_SMOOTH, FOG_ENABLE. Failures are silent.
void save_settings(const Settings& settings, SettingsStore& store);

// Writes, in the same order as save_settings, only the fields whose value the
// store cannot read, and never replaces a value that is present. A saver run
// ends with this, so that it cannot write back a record older than the one a
// configuration run saved meanwhile, while the first run on a machine still
// creates the key with all eight values.
void save_absent_settings(const Settings& settings, SettingsStore& store);

}  // namespace roamlets
