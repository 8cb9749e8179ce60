#include "settings/settings.h"

#include <cstddef>

#include "settings/settings_store.h"

namespace roamlets {

namespace {

struct Field {
  const char* name;
  std::int32_t Settings::*member;
};

constexpr Field kReadOrder[] = {
    {"VIEW_MODE", &Settings::VIEW_MODE},     {"NUM_ROAMLETS", &Settings::NUM_ROAMLETS},
    {"NUM_CHASERS", &Settings::NUM_CHASERS}, {"DENSITY", &Settings::DENSITY},
    {"LINE_WIDTH", &Settings::LINE_WIDTH},   {"STAR_SIZE", &Settings::STAR_SIZE},
    {"STAR_SMOOTH", &Settings::STAR_SMOOTH}, {"FOG_ENABLE", &Settings::FOG_ENABLE},
};

// The roamlet count is written before the view mode, unlike the read order.
constexpr Field kSaveOrder[] = {
    {"NUM_ROAMLETS", &Settings::NUM_ROAMLETS}, {"VIEW_MODE", &Settings::VIEW_MODE},
    {"NUM_CHASERS", &Settings::NUM_CHASERS},   {"DENSITY", &Settings::DENSITY},
    {"LINE_WIDTH", &Settings::LINE_WIDTH},     {"STAR_SIZE", &Settings::STAR_SIZE},
    {"STAR_SMOOTH", &Settings::STAR_SMOOTH},   {"FOG_ENABLE", &Settings::FOG_ENABLE},
};

constexpr std::size_t kFieldCount = sizeof kSaveOrder / sizeof kSaveOrder[0];

}  // namespace

bool operator==(const Settings& a, const Settings& b) {
  for (const Field& field : kReadOrder) {
    if (a.*field.member != b.*field.member) return false;
  }
  return true;
}

void load_settings(Settings& settings, SettingsStore& store) {
  if (!store.open_for_reading()) return;
  for (const Field& field : kReadOrder) {
    std::int32_t value = 0;
    if (store.read_value(field.name, value)) settings.*field.member = value;
  }
  store.close();
}

void save_settings(const Settings& settings, SettingsStore& store) {
  if (!store.open_for_writing()) return;
  for (const Field& field : kSaveOrder) store.write_value(field.name, settings.*field.member);
  store.close();
}

void save_absent_settings(const Settings& settings, SettingsStore& store) {
  // Without a readable key every value counts as absent.
  bool absent[kFieldCount];
  bool any_absent = false;
  const bool readable = store.open_for_reading();
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    std::int32_t value = 0;
    absent[i] = !readable || !store.read_value(kSaveOrder[i].name, value);
    any_absent = any_absent || absent[i];
  }
  if (readable) store.close();

  if (!any_absent || !store.open_for_writing()) return;
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    if (absent[i]) store.write_value(kSaveOrder[i].name, settings.*kSaveOrder[i].member);
  }
  store.close();
}

}  // namespace roamlets
