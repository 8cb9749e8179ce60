#include "settings/settings.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/memory_store.h"

namespace roamlets {
namespace {

using Fields = std::array<std::int32_t, 8>;

// The fields in the order of the settings table.
Fields fields(const Settings& s) {
  return {s.VIEW_MODE,  s.NUM_ROAMLETS, s.NUM_CHASERS, s.DENSITY,
          s.LINE_WIDTH, s.STAR_SIZE,    s.STAR_SMOOTH, s.FOG_ENABLE};
}

// What the store holds, as the settings would read it, in the same order.
std::array<std::optional<std::int32_t>, 8> stored(const MemoryStore& store) {
  return {store.get("VIEW_MODE"),   store.get("NUM_ROAMLETS"), store.get("NUM_CHASERS"),
          store.get("DENSITY"),     store.get("LINE_WIDTH"),   store.get("STAR_SIZE"),
          store.get("STAR_SMOOTH"), store.get("FOG_ENABLE")};
}

std::array<std::optional<std::int32_t>, 8> as_stored(const Settings& s) {
  const Fields f = fields(s);
  return {f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]};
}

Settings edited() {
  Settings s;
  s.VIEW_MODE = 1;
  s.NUM_ROAMLETS = 40;
  s.NUM_CHASERS = 3;
  s.DENSITY = 900;
  s.LINE_WIDTH = 5;
  s.STAR_SIZE = 4;
  s.STAR_SMOOTH = 1;
  s.FOG_ENABLE = 0;
  return s;
}

const std::vector<std::string> kLoadLog = {
    "open_read",       "read VIEW_MODE", "read NUM_ROAMLETS", "read NUM_CHASERS", "read DENSITY",
    "read LINE_WIDTH", "read STAR_SIZE", "read STAR_SMOOTH",  "read FOG_ENABLE",  "close"};

const std::vector<std::string> kSaveLog = {
    "open_write",       "write NUM_ROAMLETS", "write VIEW_MODE",   "write NUM_CHASERS", "write DENSITY",
    "write LINE_WIDTH", "write STAR_SIZE",    "write STAR_SMOOTH", "write FOG_ENABLE",  "close"};

TEST(Settings, EqualOnlyWhenEveryFieldIs) {
  EXPECT_EQ(Settings{}, Settings{});
  EXPECT_EQ(edited(), edited());
  std::int32_t Settings::*const members[] = {&Settings::VIEW_MODE,  &Settings::NUM_ROAMLETS, &Settings::NUM_CHASERS,
                                             &Settings::DENSITY,    &Settings::LINE_WIDTH,   &Settings::STAR_SIZE,
                                             &Settings::STAR_SMOOTH, &Settings::FOG_ENABLE};
  for (std::size_t i = 0; i < std::size(members); ++i) {
    Settings changed;
    changed.*members[i] ^= 1;
    EXPECT_NE(changed, Settings{}) << "field " << i << " of the settings table";
  }
}

TEST(LoadSettings, NoKeyKeepsDefaultsAndASaveCreatesThem) {
  MemoryStore store;
  Settings settings;
  load_settings(settings, store);
  EXPECT_EQ(fields(settings), (Fields{0, 10, 25, 200, 2, 2, 0, 1}));
  EXPECT_EQ(store.log, std::vector<std::string>{"open_read"});

  save_settings(settings, store);
  EXPECT_TRUE(store.key_exists);
  EXPECT_EQ(store.values.size(), 8u);
  EXPECT_EQ(stored(store), as_stored(Settings{}));
}

TEST(LoadSettings, OnlyStoredValuesReplaceFields) {
  MemoryStore store;
  store.put("DENSITY", 500);
  Settings settings;
  load_settings(settings, store);
  Settings expected;
  expected.DENSITY = 500;
  EXPECT_EQ(fields(settings), fields(expected));
}

TEST(LoadSettings, ValuesAreTakenWithoutRangeChecks) {
  MemoryStore store;
  store.put("VIEW_MODE", 7);
  store.put("NUM_ROAMLETS", 100000);
  store.put("NUM_CHASERS", 0);
  store.put("DENSITY", -5);
  store.put("LINE_WIDTH", INT32_MIN);
  store.put("STAR_SIZE", INT32_MAX);
  store.put("STAR_SMOOTH", 5);
  store.put("FOG_ENABLE", -1);
  Settings settings;
  load_settings(settings, store);
  EXPECT_EQ(fields(settings), (Fields{7, 100000, 0, -5, INT32_MIN, INT32_MAX, 5, -1}));

  store.put("NUM_ROAMLETS", 0);
  load_settings(settings, store);
  EXPECT_EQ(settings.NUM_ROAMLETS, 0);
}

TEST(LoadSettings, OnlyFourByteDataIsRead) {
  MemoryStore store;
  store.put("VIEW_MODE", 2);
  store.values["NUM_ROAMLETS"] = {0x05, 0x00};
  store.values["NUM_CHASERS"] = {0x01, 0, 0, 0, 0, 0, 0, 0};
  store.values["DENSITY"] = {};
  store.values["LINE_WIDTH"] = {0x78, 0x56, 0x34, 0x12};  // any 4 bytes, little-endian
  store.values["STAR_SIZE"] = {0xfe, 0xff, 0xff, 0xff};
  store.put("FOG_ENABLE", 0);
  Settings settings;
  settings.NUM_CHASERS = 77;
  load_settings(settings, store);
  EXPECT_EQ(fields(settings), (Fields{2, 10, 77, 200, 0x12345678, -2, 0, 0}));
  EXPECT_EQ(store.log, kLoadLog);
}

TEST(SaveSettings, WritesEveryFieldInTheSaveOrder) {
  MemoryStore store;
  save_settings(edited(), store);
  EXPECT_EQ(store.log, kSaveLog);

  Settings loaded;
  store.log.clear();
  load_settings(loaded, store);
  EXPECT_EQ(store.log, kLoadLog);
  EXPECT_EQ(fields(loaded), fields(edited()));
}

TEST(StoreFailures, OpenFailuresTouchNothing) {
  MemoryStore store;
  store.put("DENSITY", 500);
  store.fail_open_for_reading = true;
  Settings settings = edited();
  load_settings(settings, store);
  EXPECT_EQ(fields(settings), fields(edited()));
  EXPECT_EQ(store.log, std::vector<std::string>{"open_read"});

  store.log.clear();
  store.fail_open_for_writing = true;
  save_settings(edited(), store);
  EXPECT_EQ(store.log, std::vector<std::string>{"open_write"});
  EXPECT_EQ(store.values.size(), 1u);
  EXPECT_EQ(store.get("DENSITY"), 500);

  store.log.clear();
  save_absent_settings(edited(), store);
  EXPECT_EQ(store.log, (std::vector<std::string>{"open_read", "open_write"}));
  EXPECT_EQ(store.values.size(), 1u);
}

TEST(StoreFailures, AFailedWriteDoesNotStopTheOthers) {
  MemoryStore store;
  store.failing_writes = {"NUM_ROAMLETS", "DENSITY"};
  save_settings(edited(), store);
  EXPECT_EQ(store.log, kSaveLog);
  auto expected = as_stored(edited());
  expected[1].reset();
  expected[3].reset();
  EXPECT_EQ(stored(store), expected);
}

TEST(SaveAbsentSettings, WritesOnlyAbsentValuesInTheSaveOrder) {
  MemoryStore store;
  store.put("VIEW_MODE", 2);
  store.put("DENSITY", 500);
  store.put("FOG_ENABLE", 0);
  store.values["STAR_SIZE"] = {9, 0};  // unreadable, so absent
  save_absent_settings(edited(), store);

  const std::vector<std::string> writes(store.log.begin() + 10, store.log.end());
  EXPECT_EQ(writes,
            (std::vector<std::string>{"open_write", "write NUM_ROAMLETS", "write NUM_CHASERS",
                                      "write LINE_WIDTH", "write STAR_SIZE", "write STAR_SMOOTH", "close"}));
  const Settings e = edited();
  EXPECT_EQ(stored(store),
            (std::array<std::optional<std::int32_t>, 8>{2, e.NUM_ROAMLETS, e.NUM_CHASERS, 500, e.LINE_WIDTH,
                                                        e.STAR_SIZE, e.STAR_SMOOTH, 0}));
}

TEST(SaveAbsentSettings, NoKeyCreatesAllEight) {
  MemoryStore store;
  save_absent_settings(Settings{}, store);
  EXPECT_EQ(store.log.front(), "open_read");
  const std::vector<std::string> writes(store.log.begin() + 1, store.log.end());
  EXPECT_EQ(writes, kSaveLog);
  EXPECT_EQ(stored(store), as_stored(Settings{}));
}

TEST(SaveAbsentSettings, AllPresentDoesNotOpenForWriting) {
  MemoryStore store;
  save_settings(edited(), store);
  store.log.clear();
  save_absent_settings(Settings{}, store);
  for (const std::string& entry : store.log) {
    EXPECT_EQ(entry.rfind("write", 0), std::string::npos) << entry;
    EXPECT_NE(entry, "open_write");
  }
  EXPECT_EQ(store.log.back(), "close");
  EXPECT_EQ(stored(store), as_stored(edited()));
}

// A preview loads its record, a configuration run saves new values meanwhile,
// and the preview ends with its two saves: the new values must survive.
TEST(SaveAbsentSettings, ASaverRunKeepsWhatAConfigurationRunSaved) {
  MemoryStore store;
  store.put("DENSITY", 300);

  Settings preview;
  load_settings(preview, store);

  Settings configuration;
  load_settings(configuration, store);
  configuration.NUM_CHASERS = 60;
  configuration.VIEW_MODE = 2;
  save_settings(configuration, store);

  save_absent_settings(preview, store);
  save_absent_settings(preview, store);
  EXPECT_EQ(stored(store), as_stored(configuration));
}

}  // namespace
}  // namespace roamlets
