// The Linux program's command line: where it draws (a window of its own,
// the whole screen, or a window the screen-saver daemon gives it), the
// setting options that override the stored settings for one run, the seed
// and the request to save. Spelt as screen-saver hacks spell their options:
// `--name` or `-name`, with the value after a blank or an equals sign.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"

namespace roamlets::saver {

// The largest side drawn, in pixels: the widest viewport of the software
// renderer (Mesa's llvmpipe answers 16384 for GL_MAX_VIEWPORT_DIMS). Its
// window buffers are sized by the window and not held to that: their size
// wraps at 4 GiB, and a window of 32705 x 32705 crashed inside the renderer.
// A window of its own is at most this large; a larger window of another
// program is drawn in its corner at this size (viewport and buffers alike).
inline constexpr int kMaxWindowSide = 16384;

enum class Surface {
  OwnWindow,   // a window of its own, closed like any other window
  FullScreen,  // the whole screen, closed by the saver's close rules
  RootWindow,  // the root window
  GivenWindow  // a window another program made, by its id
};

// A setting option given on the command line, already read.
struct SettingOverride {
  std::string_view option;
  std::int32_t Settings::*field;
  std::int32_t value;
};

struct RunOptions {
  Surface surface = Surface::OwnWindow;
  std::uint32_t window_id = 0;  // GivenWindow only
  std::string display;          // empty: $DISPLAY
  int width = 1280;             // the own window's size
  int height = 720;
  std::optional<std::uint32_t> seed;  // the calendar time when absent
  bool save_settings = false;
  // The setting options given, in order.
  std::vector<SettingOverride> overrides;

  void apply_overrides(Settings& settings) const;
};

enum class RunOptionsParse { Run, Help, Bad };

// Reads the arguments. `screensaver_window` is the XSCREENSAVER_WINDOW
// variable (null when unset): with --root, or with no placement option at
// all, it names the window to draw into. Of --window, --fullscreen, --root
// and --window-id the last one given counts. A bad argument, or a bad window
// id in the variable, gives Bad with the reason in `error`, which quotes at
// most a bounded part of any argument; --save-settings ignores the variable
// and refuses counts, densities and modes the configuration dialog would not
// take.
RunOptionsParse parse_run_options(int argc, const char* const* argv, const char* screensaver_window,
                                      RunOptions& options, std::string& error);

// A window id as hacks take it: decimal, or hexadecimal after 0x; never 0.
std::optional<std::uint32_t> parse_window_id(const std::string& text);

// The usage text, setting options included.
std::string run_options_usage();

}  // namespace roamlets::saver
