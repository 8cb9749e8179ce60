#include "x11/run_options.h"

#include <string_view>

#include "settings/ranges.h"
#include "cli/cli_numbers.h"
#include "cli/quoted.h"
#include "cli/setting_options.h"

namespace roamlets::saver {
namespace {

// The largest side of a window X allows.
constexpr int kMaxXWindowSide = 32767;

constexpr const char* kUsage =
    "usage: roamlets [--window | --fullscreen | --root | --window-id ID] [--display NAME]\n"
    "                [--size WxH] [--seed S] [setting options] [--save-settings]\n"
    "  --window         draw in a window of its own (the default); Escape or q closes it\n"
    "  --fullscreen     cover the screen; a key, a mouse button or moving the mouse ends it\n"
    "  --root           draw into $XSCREENSAVER_WINDOW, or else the root window, as a\n"
    "                   screen-saver hack; the daemon ends it with a signal\n"
    "  --window-id ID   draw into the window ID (decimal or 0x hex), as a hack\n"
    "  --display NAME   the X display (default: $DISPLAY)\n"
    "  --size WxH       the size of its own window (default 1280x720, at most 16384x16384)\n"
    "  --seed S         generator seed, a 32-bit value, to replay a scene (default: the time)\n"
    "  --save-settings  store the settings with the setting options applied, and exit\n"
    "Every option may also be written with one dash, and NAME VALUE as NAME=VALUE.\n"
    "Setting options (for this run only, unless --save-settings):\n";

// The ranges the configuration dialog holds a setting to, for a save.
struct DialogRange {
  std::int32_t Settings::*field;
  std::int32_t low;
  std::int32_t high;
};
constexpr DialogRange kDialogRanges[] = {
    {&Settings::VIEW_MODE, 0, 2},
    {&Settings::NUM_ROAMLETS, kMinCount, kMaxCount},
    {&Settings::NUM_CHASERS, kMinCount, kMaxCount},
    {&Settings::DENSITY, kMinDensity, kMaxDensity},
};

// "-name" and "--name" both become "--name"; anything else is no option.
std::optional<std::string> option_name(std::string_view arg) {
  if (arg.size() < 2 || arg[0] != '-') return std::nullopt;
  if (arg[1] == '-') return arg.size() > 2 ? std::optional<std::string>(arg) : std::nullopt;
  return "-" + std::string(arg);
}

const DialogRange* dialog_range(std::int32_t Settings::*field) {
  for (const DialogRange& range : kDialogRanges) {
    if (range.field == field) return &range;
  }
  return nullptr;
}

}  // namespace

void RunOptions::apply_overrides(Settings& settings) const {
  for (const SettingOverride& given : overrides) settings.*given.field = given.value;
}

std::optional<std::uint32_t> parse_window_id(const std::string& text) {
  const std::string_view view = text;
  std::optional<std::uint32_t> id;
  if (view.size() > 2 && view[0] == '0' && (view[1] == 'x' || view[1] == 'X')) {
    if (view.size() > 10) return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : view.substr(2)) {
      int digit = -1;
      if (c >= '0' && c <= '9') digit = c - '0';
      if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
      if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    id = value;
  } else if (!view.empty() && view[0] >= '0' && view[0] <= '9') {
    id = parse_uint32(view);
  }
  if (!id || *id == 0) return std::nullopt;
  return id;
}

std::string run_options_usage() { return kUsage + setting_options_usage(); }

RunOptionsParse parse_run_options(int argc, const char* const* argv, const char* screensaver_window,
                                      RunOptions& options, std::string& error) {
  bool placed = false;
  bool root = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    std::optional<std::string> name = option_name(arg);
    if (!name) {
      error = "unexpected argument " + quoted(arg);
      return RunOptionsParse::Bad;
    }
    std::optional<std::string> value;
    if (const std::size_t equals = name->find('='); equals != std::string::npos) {
      value = name->substr(equals + 1);
      name->resize(equals);
    }

    // Options without a value.
    const bool flag = *name == "--help" || *name == "--h" || *name == "--window" || *name == "--fullscreen" ||
                      *name == "--root" || *name == "--save-settings";
    if (flag) {
      if (value) {
        error = quoted(*name) + " takes no value";
        return RunOptionsParse::Bad;
      }
      if (*name == "--help" || *name == "--h") return RunOptionsParse::Help;
      if (*name == "--save-settings") {
        options.save_settings = true;
        continue;
      }
      placed = true;
      root = *name == "--root";
      options.window_id = 0;
      options.surface = *name == "--window" ? Surface::OwnWindow
                        : *name == "--fullscreen" ? Surface::FullScreen
                                                  : Surface::RootWindow;
      continue;
    }

    const SettingOption* setting = find_setting_option(*name);
    const bool own = *name == "--window-id" || *name == "--display" || *name == "--size" || *name == "--seed";
    if (setting == nullptr && !own) {
      error = "unknown option " + quoted(arg);
      return RunOptionsParse::Bad;
    }
    if (!value) {
      if (i + 1 >= argc) {
        error = "missing value after " + quoted(arg);
        return RunOptionsParse::Bad;
      }
      value = argv[++i];
    }

    bool ok = true;
    if (setting != nullptr) {
      const std::optional<std::int32_t> parsed = setting->parse(*value);
      ok = parsed.has_value();
      if (ok) options.overrides.push_back({setting->name, setting->field, *parsed});
    } else if (*name == "--window-id") {
      const std::optional<std::uint32_t> id = parse_window_id(*value);
      ok = id.has_value();
      placed = true;
      root = false;
      options.surface = Surface::GivenWindow;
      options.window_id = id.value_or(0);
    } else if (*name == "--display") {
      options.display = *value;
    } else if (*name == "--size") {
      const std::optional<Size> size = parse_size(*value, kMaxWindowSide);
      ok = size.has_value();
      if (!ok && parse_size(*value, kMaxXWindowSide)) {
        error = "--size " + std::string(*value) + " is larger than the renderer draws: at most " +
                std::to_string(kMaxWindowSide) + " pixels a side";
        return RunOptionsParse::Bad;
      }
      if (ok) {
        options.width = size->width;
        options.height = size->height;
      }
    } else {
      options.seed = parse_bits32(*value);
      ok = options.seed.has_value();
    }
    if (!ok) {
      error = "bad value for " + quoted(*name) + ": " + quoted(*value);
      return RunOptionsParse::Bad;
    }
  }

  if (options.save_settings) {
    for (const SettingOverride& given : options.overrides) {
      const DialogRange* range = dialog_range(given.field);
      if (range != nullptr && (given.value < range->low || given.value > range->high)) {
        error = "cannot save " + std::string(given.option) + " " + std::to_string(given.value) +
                ": the configuration takes " + std::to_string(range->low) + " to " + std::to_string(range->high);
        return RunOptionsParse::Bad;
      }
    }
  }

  // The daemon's window: with --root, or when nothing else is asked for. A
  // save draws nothing and needs no window.
  const bool daemon_window = screensaver_window != nullptr && *screensaver_window != '\0';
  if (daemon_window && !options.save_settings && (root || !placed)) {
    const std::optional<std::uint32_t> id = parse_window_id(screensaver_window);
    if (!id) {
      error = "XSCREENSAVER_WINDOW is not a window id: " + quoted(screensaver_window);
      return RunOptionsParse::Bad;
    }
    options.surface = Surface::GivenWindow;
    options.window_id = *id;
  }
  return RunOptionsParse::Run;
}

}  // namespace roamlets::saver
