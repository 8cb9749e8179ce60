// The Linux program's command line: placement, the daemon's window, the
// one- and two-dash spellings, setting overrides and what a save refuses.
#include "x11/run_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace roamlets::saver {
namespace {

struct Parsed {
  RunOptionsParse result;
  RunOptions options;
  std::string error;
};

Parsed parse(std::vector<const char*> args, const char* daemon_window = nullptr) {
  args.insert(args.begin(), "roamlets");
  Parsed parsed;
  parsed.result = parse_run_options(static_cast<int>(args.size()), args.data(), daemon_window, parsed.options,
                                          parsed.error);
  return parsed;
}

TEST(RunOptions, PlacementOptionsTheLastOneCounting) {
  struct Row {
    std::vector<const char*> args;
    const char* daemon_window;
    Surface surface;
    std::uint32_t window_id;
  };
  const Row rows[] = {
      {{}, nullptr, Surface::OwnWindow, 0},
      {{"--window"}, nullptr, Surface::OwnWindow, 0},
      {{"-fullscreen"}, nullptr, Surface::FullScreen, 0},
      {{"--root"}, nullptr, Surface::RootWindow, 0},
      {{"-window-id", "4194305"}, nullptr, Surface::GivenWindow, 4194305},
      {{"--window-id=0x400001"}, nullptr, Surface::GivenWindow, 0x400001},
      {{"--window-id", "0XFFFFFFFF"}, nullptr, Surface::GivenWindow, 0xFFFFFFFF},
      {{"--root", "--fullscreen"}, nullptr, Surface::FullScreen, 0},
      {{"--window-id", "5", "--root"}, nullptr, Surface::RootWindow, 0},
      // The daemon's window: with --root, or when nothing else is asked for.
      {{"-root"}, "0x2a00007", Surface::GivenWindow, 0x2a00007},
      {{}, "44040199", Surface::GivenWindow, 44040199},
      {{}, "", Surface::OwnWindow, 0},
      {{"--fullscreen"}, "0x2a00007", Surface::FullScreen, 0},
      {{"--window"}, "0x2a00007", Surface::OwnWindow, 0},
      {{"--window-id", "9"}, "0x2a00007", Surface::GivenWindow, 9},
  };
  for (const Row& row : rows) {
    const Parsed parsed = parse(row.args, row.daemon_window);
    SCOPED_TRACE(std::to_string(row.args.size()) + " args, first " + (row.args.empty() ? "-" : row.args[0]));
    ASSERT_EQ(parsed.result, RunOptionsParse::Run) << parsed.error;
    EXPECT_EQ(parsed.options.surface, row.surface);
    EXPECT_EQ(parsed.options.window_id, row.window_id);
  }
}

TEST(RunOptions, WindowIdsAsHacksTakeThem) {
  EXPECT_EQ(parse_window_id("12"), 12u);
  EXPECT_EQ(parse_window_id("0x1f"), 0x1fu);
  EXPECT_EQ(parse_window_id("4294967295"), 4294967295u);
  for (const char* bad : {"", "0", "0x0", "0x", "-5", "+5", "x12", "12x", "0x123456789", "4294967296", "0x1g",
                          " 12", "012a", "0xffffffff1"}) {
    EXPECT_FALSE(parse_window_id(bad).has_value()) << "'" << bad << "'";
  }
}

TEST(RunOptions, OwnOptionsAndSettingOverridesInBothSpellings) {
  const Parsed parsed = parse({"-roamlets", "200", "--chasers=7", "--mode", "snapshot", "-fog=off", "--seed",
                               "-1", "-display", ":3", "--size=640x360", "--density", "-5", "--line-width=0",
                               "--star-smooth", "on", "--star-size", "2147483647"});
  ASSERT_EQ(parsed.result, RunOptionsParse::Run) << parsed.error;
  const RunOptions& o = parsed.options;
  EXPECT_EQ(o.seed, 0xFFFFFFFFu);
  EXPECT_EQ(o.display, ":3");
  EXPECT_EQ(o.width, 640);
  EXPECT_EQ(o.height, 360);
  EXPECT_FALSE(o.save_settings);

  // Overrides land on whatever was stored, out-of-range values as given.
  Settings settings;
  settings.NUM_ROAMLETS = 3;
  settings.STAR_SIZE = 9;
  o.apply_overrides(settings);
  EXPECT_EQ(settings.NUM_ROAMLETS, 200);
  EXPECT_EQ(settings.NUM_CHASERS, 7);
  EXPECT_EQ(settings.VIEW_MODE, 2);
  EXPECT_EQ(settings.FOG_ENABLE, 0);
  EXPECT_EQ(settings.DENSITY, -5);
  EXPECT_EQ(settings.LINE_WIDTH, 0);
  EXPECT_EQ(settings.STAR_SMOOTH, 1);
  EXPECT_EQ(settings.STAR_SIZE, 2147483647);

  // The last of two overrides of one setting wins.
  Settings twice;
  parse({"--roamlets", "5", "-roamlets", "6"}).options.apply_overrides(twice);
  EXPECT_EQ(twice.NUM_ROAMLETS, 6);
}

TEST(RunOptions, HelpAndBadCommandLines) {
  EXPECT_EQ(parse({"--help"}).result, RunOptionsParse::Help);
  EXPECT_EQ(parse({"-h"}).result, RunOptionsParse::Help);
  EXPECT_EQ(parse({"--roamlets", "3", "-help"}).result, RunOptionsParse::Help);

  struct Row {
    std::vector<const char*> args;
    const char* daemon_window;
    const char* error_names;
  };
  const Row rows[] = {
      {{"--bogus"}, nullptr, "--bogus"},
      {{"-"}, nullptr, "'-'"},
      {{"--"}, nullptr, "'--'"},
      {{"stray"}, nullptr, "'stray'"},
      {{"--roamlets"}, nullptr, "--roamlets"},
      {{"--roamlets", "many"}, nullptr, "many"},
      {{"--roamlets", "2147483648"}, nullptr, "2147483648"},
      {{"--mode", "spin"}, nullptr, "spin"},
      {{"--window-id", "0"}, nullptr, "--window-id"},
      {{"--window-id", "0xzz"}, nullptr, "0xzz"},
      {{"--size", "0x100"}, nullptr, "--size"},
      {{"--size", "40000x100"}, nullptr, "--size"},
      {{"--size", "100x16385"}, nullptr, "at most 16384 pixels a side"},
      {{"--seed", "4294967296"}, nullptr, "--seed"},
      {{"--fullscreen=yes"}, nullptr, "takes no value"},
      {{"--root"}, "not-a-window", "XSCREENSAVER_WINDOW"},
      {{}, "0", "XSCREENSAVER_WINDOW"},
  };
  for (const Row& row : rows) {
    const Parsed parsed = parse(row.args, row.daemon_window);
    EXPECT_EQ(parsed.result, RunOptionsParse::Bad) << row.error_names;
    EXPECT_NE(parsed.error.find(row.error_names), std::string::npos) << parsed.error;
  }
  // A value may look like an option.
  EXPECT_EQ(parse({"--display", "--root"}).options.display, "--root");

  // A huge argument is quoted in part, its control bytes made harmless.
  const std::string huge = "\x1b[2J" + std::string(100000, '7');
  for (const Parsed& bad : {parse({"--roamlets", huge.c_str()}), parse({huge.c_str()}), parse({}, huge.c_str())}) {
    EXPECT_EQ(bad.result, RunOptionsParse::Bad);
    EXPECT_LT(bad.error.size(), 200u) << bad.error.substr(0, 200);
    EXPECT_NE(bad.error.find("'?[2J777"), std::string::npos) << bad.error.substr(0, 200);
    EXPECT_NE(bad.error.find("(100004 bytes)"), std::string::npos) << bad.error.substr(0, 200);
  }
  // The largest size drawn is taken.
  EXPECT_EQ(parse({"--size", "16384x16384"}).result, RunOptionsParse::Run);
}

TEST(RunOptions, SaveTakesOnlyWhatTheConfigurationDialogTakes) {
  const Parsed accepted = parse({"--save-settings", "--roamlets", "1", "--chasers", "500", "--density", "30000",
                                 "--mode", "snapshot", "--line-width", "-3", "--star-size", "0", "--fog", "7"});
  EXPECT_EQ(accepted.result, RunOptionsParse::Run) << accepted.error;
  EXPECT_TRUE(accepted.options.save_settings);
  // A save needs no window, so the daemon's variable does not matter.
  EXPECT_EQ(parse({"--save-settings"}, "not-a-window").result, RunOptionsParse::Run);

  for (const std::vector<const char*>& args : std::vector<std::vector<const char*>>{
           {"--roamlets", "0"}, {"--roamlets", "501"}, {"--chasers", "-1"}, {"--density", "30001"},
           {"--density", "0"}, {"--mode", "3"}, {"--mode", "-1"}}) {
    std::vector<const char*> saving = args;
    saving.push_back("--save-settings");
    const Parsed refused = parse(saving);
    EXPECT_EQ(refused.result, RunOptionsParse::Bad) << args[0] << " " << args[1];
    EXPECT_NE(refused.error.find(args[0]), std::string::npos) << refused.error;
    // The same values are fine for a run.
    EXPECT_EQ(parse(args).result, RunOptionsParse::Run) << args[0] << " " << args[1];
  }
}

}  // namespace
}  // namespace roamlets::saver
