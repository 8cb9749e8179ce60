// The configuration dialog's decisions against a recording dialog manager:
// what it shows when it opens, the check-and-apply step of the count fields
// with its nested run, the toggles, and what OK and Cancel keep.
#include "saver/config_dialog.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "settings/memory_store.h"
#include "tests/saver/fake_dialog.h"

namespace roamlets {
namespace {

using testing::FakeDialog;
using testing::RecordingSceneEdits;
using Log = std::vector<std::string>;

TEST(ReadFieldNumber, ReadsWhiteSpaceSignAndDigitsFromTheFirstNineCharacters) {
  const struct {
    const char* text;
    std::int32_t value;
  } rows[] = {
      {"", 0},
      {"   ", 0},
      {"abc", 0},
      {"-", 0},
      {"--5", 0},
      {"- 5", 0},
      {"42", 42},
      {"0042", 42},
      {"  42", 42},
      {"\t\n\v\f\r7", 7},
      {"+7", 7},
      {"-7", -7},
      {"12abc", 12},
      {"12 34", 12},
      {"999999999", 999999999},
      {"-99999999", -99999999},
      {"1234567890", 123456789},  // the tenth character is never read
      {"        12", 1},            // nor here, where it is the second digit
      {"000000000500", 0},
  };
  for (const auto& row : rows) EXPECT_EQ(read_field_number(row.text), row.value) << '"' << row.text << '"';
}

class ConfigDialogTest : public ::testing::Test {
 protected:
  ConfigDialogTest() {
    ui.on_text_change = [this](int id) { dialog.command(ui, static_cast<std::uint16_t>(id)); };
  }

  // Opens the dialog and forgets what opening it recorded.
  void open() {
    dialog.initialise(ui);
    ui.log.clear();
    scene.log.clear();
    store.log.clear();
  }

  // The user changes an edit's text; the edit reports it as a command.
  void type(int id, const std::string& text) {
    ui.texts[id] = text;
    dialog.command(ui, static_cast<std::uint16_t>(id));
  }

  void press(int id) { dialog.command(ui, static_cast<std::uint16_t>(id)); }

  Settings settings;
  MemoryStore store;
  RecordingSceneEdits scene;
  FakeDialog ui;
  ConfigDialog dialog{settings, store, scene};
};

TEST_F(ConfigDialogTest, OpeningLoadsTheStoreThenFillsEveryControlInOrder) {
  store.put("NUM_CHASERS", 7);
  dialog.initialise(ui);

  EXPECT_EQ(store.log.front(), "open_read");
  EXPECT_EQ(ui.log, (Log{
                        "init common controls",
                        "check 1012..1014 1012",
                        "text 1015 10",
                        "text 1016 7",
                        "text 1019 200",
                        "text 1024 2",
                        "text 1025 2",
                        "message 1026 0xf1 0 0x0",
                        "message 1027 0xf1 1 0x0",
                        "message 1017 0x465 0 0x101f4",
                        "message 1017 0x467 0 0xa",
                        "message 1018 0x465 0 0x101f4",
                        "message 1018 0x467 0 0x7",
                        "message 1020 0x465 0 0x17530",
                        "message 1020 0x467 0 0xc8",
                    }));
  // Each count field's new text already ran check-and-apply once.
  EXPECT_EQ(scene.log, (Log{"roamlets 10", "chasers 7", "stars 200"}));
  EXPECT_TRUE(store.log.size() == 10 && store.log.back() == "close") << "nothing is written while opening";
}

TEST_F(ConfigDialogTest, OpeningShowsStoredValuesAsTheyAreWhereNoRangeApplies) {
  store.put("VIEW_MODE", 2);
  store.put("LINE_WIDTH", -4);
  store.put("STAR_SIZE", 0);
  store.put("STAR_SMOOTH", 5);
  store.put("FOG_ENABLE", 0);
  dialog.initialise(ui);

  EXPECT_EQ(ui.log[1], "check 1012..1014 1014");
  EXPECT_EQ(ui.texts[IDC_LINE_WIDTH], "-4");
  EXPECT_EQ(ui.texts[IDC_STAR_SIZE], "0");
  EXPECT_EQ(ui.log[7], "message 1026 0xf1 1 0x0") << "any value but 0 shows checked";
  EXPECT_EQ(ui.log[8], "message 1027 0xf1 0 0x0");
  EXPECT_EQ(settings.STAR_SMOOTH, 5);
}

TEST_F(ConfigDialogTest, AnUnknownViewModeChecksNoRadioButtonAndIsKept) {
  for (const std::int32_t mode : {3, -1, INT_MAX, INT_MIN}) {
    store.put("VIEW_MODE", mode);
    FakeDialog fresh;
    dialog.initialise(fresh);
    EXPECT_EQ(fresh.log[1], "check 1012..1014 0") << mode;
    EXPECT_EQ(settings.VIEW_MODE, mode);
  }
}

TEST_F(ConfigDialogTest, StoredCountsOutsideTheirRangesAreBroughtIntoRangeWithoutLooping) {
  const struct {
    std::int32_t stored;
    std::int32_t count;
    std::int32_t density;
  } rows[] = {{0, 1, 1}, {-5, 1, 1}, {INT_MIN, 1, 1}, {501, 500, 501}, {100000, 500, 30000}, {INT_MAX, 500, 30000}};
  for (const auto& row : rows) {
    store.put("NUM_ROAMLETS", row.stored);
    store.put("NUM_CHASERS", row.stored);
    store.put("DENSITY", row.stored);
    ui = FakeDialog{};
    ui.on_text_change = [this](int id) { dialog.command(ui, static_cast<std::uint16_t>(id)); };
    scene.log.clear();
    dialog.initialise(ui);

    EXPECT_EQ(ui.deepest, 1) << row.stored << ": a field was put back while opening";
    EXPECT_EQ(settings.NUM_ROAMLETS, row.count);
    EXPECT_EQ(settings.NUM_CHASERS, row.count);
    EXPECT_EQ(settings.DENSITY, row.density);
    EXPECT_EQ(ui.texts[IDC_ROAMLETS], std::to_string(row.count));
    EXPECT_EQ(ui.texts[IDC_DENSITY], std::to_string(row.density));
    EXPECT_EQ(scene.log, (Log{"roamlets " + std::to_string(row.count), "chasers " + std::to_string(row.count),
                              "stars " + std::to_string(row.density)}));
  }
}

TEST_F(ConfigDialogTest, ACountInRangeIsTakenAndAppliedAtOnce) {
  open();
  type(IDC_ROAMLETS, "6");
  type(IDC_ROAMLETS, "60");
  type(IDC_CHASERS, "500");
  type(IDC_DENSITY, "30000");
  type(IDC_DENSITY, " +1x");

  EXPECT_EQ(settings.NUM_ROAMLETS, 60);
  EXPECT_EQ(settings.NUM_CHASERS, 500);
  EXPECT_EQ(settings.DENSITY, 1);
  EXPECT_EQ(scene.log, (Log{"roamlets 6", "roamlets 60", "chasers 500", "stars 30000", "stars 1"}));
  EXPECT_TRUE(ui.log.empty()) << "an accepted value leaves the text as typed";
}

TEST_F(ConfigDialogTest, ARefusedCountPutsTheFieldBackAndTheNestedRunAppliesItToo) {
  open();
  type(IDC_ROAMLETS, "60");
  scene.log.clear();

  type(IDC_ROAMLETS, "600");
  EXPECT_EQ(ui.texts[IDC_ROAMLETS], "60");
  EXPECT_EQ(settings.NUM_ROAMLETS, 60);
  // The restored text runs the step once more, inside the first run.
  EXPECT_EQ(ui.log, (Log{"text 1015 60"}));
  EXPECT_EQ(ui.deepest, 1);
  EXPECT_EQ(scene.log, (Log{"roamlets 60", "roamlets 60"}));
}

TEST_F(ConfigDialogTest, EveryCountFieldRefusesWhatLiesOutsideItsRange) {
  open();
  const struct {
    int id;
    const char* text;
    const char* shown;
  } rows[] = {
      {IDC_ROAMLETS, "", "10"},       {IDC_ROAMLETS, "0", "10"},    {IDC_ROAMLETS, "abc", "10"},
      {IDC_ROAMLETS, "-5", "10"},     {IDC_ROAMLETS, "501", "10"},  {IDC_CHASERS, "", "25"},
      {IDC_CHASERS, "501", "25"},     {IDC_CHASERS, "0", "25"},     {IDC_DENSITY, "30001", "200"},
      {IDC_DENSITY, "0", "200"},      {IDC_DENSITY, "", "200"},     {IDC_DENSITY, "999999999", "200"},
  };
  for (const auto& row : rows) {
    type(row.id, row.text);
    EXPECT_EQ(ui.texts[row.id], row.shown) << row.id << " \"" << row.text << '"';
  }
  EXPECT_EQ(settings.NUM_ROAMLETS, 10);
  EXPECT_EQ(settings.NUM_CHASERS, 25);
  EXPECT_EQ(settings.DENSITY, 200);
  EXPECT_EQ(ui.deepest, 1);
}

TEST_F(ConfigDialogTest, RadioButtonsAndCheckBoxesChangeTheSettingsAtOnce) {
  store.put("STAR_SMOOTH", 5);
  open();

  press(IDC_VIEW_SNAPSHOT);
  EXPECT_EQ(settings.VIEW_MODE, 2);
  press(IDC_VIEW_ROTATE);
  EXPECT_EQ(settings.VIEW_MODE, 1);
  press(IDC_VIEW_CHASE);
  EXPECT_EQ(settings.VIEW_MODE, 0);

  press(IDC_STAR_SMOOTH);
  EXPECT_EQ(settings.STAR_SMOOTH, 0) << "any value but 0 counts as on";
  press(IDC_STAR_SMOOTH);
  EXPECT_EQ(settings.STAR_SMOOTH, 1);
  press(IDC_FOG);
  press(IDC_FOG);
  EXPECT_EQ(settings.FOG_ENABLE, 1) << "two clicks leave it as it was";
  press(IDC_FOG);
  EXPECT_EQ(settings.FOG_ENABLE, 0);
  EXPECT_TRUE(ui.log.empty());
  EXPECT_TRUE(scene.log.empty());
}

TEST_F(ConfigDialogTest, OkReadsTheSizeFieldsThenSavesAllEightAndEndsWithOne) {
  store.put("VIEW_MODE", 3);
  open();
  type(IDC_ROAMLETS, "60");
  type(IDC_LINE_WIDTH, "0");  // the size fields are not read before OK
  ui.texts[IDC_STAR_SIZE] = "";
  EXPECT_EQ(settings.LINE_WIDTH, 2);
  press(IDC_STAR_SMOOTH);

  press(IDC_OK);
  EXPECT_EQ(ui.log, (Log{"end 1"}));
  EXPECT_EQ(store.log.front(), "open_write");
  EXPECT_EQ(store.log.size(), 10u);
  EXPECT_EQ(store.get("VIEW_MODE"), 3) << "no radio button chosen keeps the stored mode";
  EXPECT_EQ(store.get("NUM_ROAMLETS"), 60);
  EXPECT_EQ(store.get("NUM_CHASERS"), 25);
  EXPECT_EQ(store.get("DENSITY"), 200);
  EXPECT_EQ(store.get("LINE_WIDTH"), 0);
  EXPECT_EQ(store.get("STAR_SIZE"), 0) << "an empty field gives 0";
  EXPECT_EQ(store.get("STAR_SMOOTH"), 1);
  EXPECT_EQ(store.get("FOG_ENABLE"), 1);
}

TEST_F(ConfigDialogTest, OkTakesAnySizeOfUpToNineCharacters) {
  open();
  ui.texts[IDC_LINE_WIDTH] = "-12";
  ui.texts[IDC_STAR_SIZE] = "12345678901";
  press(IDC_OK);
  EXPECT_EQ(store.get("LINE_WIDTH"), -12);
  EXPECT_EQ(store.get("STAR_SIZE"), 123456789);
}

TEST_F(ConfigDialogTest, CancelEndsWithOneAndSavesNothingNorUndoesAnything) {
  store.put("NUM_ROAMLETS", 10);
  const auto before = store.values;
  open();
  type(IDC_ROAMLETS, "77");
  press(IDC_VIEW_ROTATE);

  press(IDC_CANCEL);
  EXPECT_EQ(ui.log, (Log{"end 1"}));
  EXPECT_TRUE(store.log.empty());
  EXPECT_EQ(store.values, before);
  EXPECT_EQ(settings.NUM_ROAMLETS, 77);
  EXPECT_EQ(settings.VIEW_MODE, 1);
}

TEST_F(ConfigDialogTest, AboutOpensTheAboutDialogAndOtherIdsDoNothing) {
  open();
  press(IDC_ABOUT);
  EXPECT_EQ(ui.log, (Log{"about"}));
  ui.log.clear();

  const Settings before = settings;
  for (const int id : {0, 4, 1011, 1017, 1018, 1020, 1021, 1028, 0xFFFF}) press(id);
  EXPECT_TRUE(ui.log.empty());
  EXPECT_TRUE(scene.log.empty());
  EXPECT_TRUE(store.log.empty());
  EXPECT_EQ(settings.VIEW_MODE, before.VIEW_MODE);
  EXPECT_EQ(settings.LINE_WIDTH, before.LINE_WIDTH);
  EXPECT_EQ(settings.STAR_SMOOTH, before.STAR_SMOOTH);
  EXPECT_EQ(settings.FOG_ENABLE, before.FOG_ENABLE);
}

}  // namespace
}  // namespace roamlets
