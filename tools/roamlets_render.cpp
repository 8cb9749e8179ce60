// roamlets-render: draws the scene without a display, into PNG files.
//
//   roamlets-render --out frame.png [--size 1280x720] [--seed S] [--ticks T] [--frames N]
//                   [setting options]
//
// The settings come from the user's store, then from the setting options. As
// in a saver run, the render state and the star field are set up first, then
// the scene is seeded and warmed up, then the window size arrives. The first
// frame shows the scene after T ticks; with --frames N each further frame
// follows one more tick, as the saver's tick and frame timers interleave.
// Out of memory ends the run with a message and status 1; so does a signal
// that stops it, which first removes the picture it was writing.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "render/frame.h"
#include "render/osmesa_surface.h"
#include "render/scene_setup.h"
#include "scene/scene_driver.h"
#include "settings/settings.h"
#include "settings/user_store.h"
#include "cli/cli_numbers.h"
#include "cli/command_line.h"
#include "tools/picture_output.h"
#include "tools/progress_line.h"
#include "cli/quoted.h"

namespace roamlets {
namespace {

constexpr std::uint32_t kMaxTicks = 1'000'000;
constexpr std::uint32_t kMaxFrames = 100'000;

constexpr const char* kUsage =
    "usage: roamlets-render --out FILE.png [--size WxH] [--seed S] [--ticks T] [--frames N]\n"
    "                       [setting options]\n"
    "  --out FILE.png   where the picture goes; with --frames N > 1, FILE-0001.png and on;\n"
    "                   - (standard output), a device or a FIFO gets every frame in turn\n"
    "  --size WxH       picture size in pixels (default 1280x720, at most 8192 a side)\n"
    "  --seed S         generator seed, a 32-bit value (default: the current time)\n"
    "  --ticks T        ticks before the first frame (default 0, at most 1000000)\n"
    "  --frames N       number of frames, one tick apart (default 1, at most 100000)\n"
    "Setting options (default: the user's stored settings):\n";

struct Options {
  std::string out;
  int width = 1280;
  int height = 720;
  std::optional<std::uint32_t> seed;  // the calendar time when absent
  std::uint32_t ticks = 0;
  std::uint32_t frames = 1;
  Settings settings;
};

std::optional<std::uint32_t> parse_bounded(std::string_view text, std::uint32_t low, std::uint32_t high) {
  const auto v = parse_uint32(text);
  if (!v || *v < low || *v > high) return std::nullopt;
  return v;
}

// Fills `options` from the arguments, with the setting options on top of
// the settings already there; names the first bad argument in `error`.
Parsed parse_args(int argc, char** argv, Options& options, std::string& error) {
  const auto tool_option = [&options](std::string_view name, std::string_view value) {
    bool ok = true;
    if (name == "--out") {
      options.out = value;
      ok = !value.empty();
    } else if (name == "--size") {
      const auto size = parse_size(value, OsMesaSurface::kMaxSide);
      ok = size.has_value();
      if (ok) {
        options.width = size->width;
        options.height = size->height;
      }
    } else if (name == "--seed") {
      options.seed = parse_bits32(value);
      ok = options.seed.has_value();
    } else if (name == "--ticks") {
      const auto v = parse_bounded(value, 0, kMaxTicks);
      ok = v.has_value();
      options.ticks = v.value_or(0);
    } else if (name == "--frames") {
      const auto v = parse_bounded(value, 1, kMaxFrames);
      ok = v.has_value();
      options.frames = v.value_or(1);
    } else {
      return OptionResult::NotOne;
    }
    return ok ? OptionResult::Applied : OptionResult::BadValue;
  };
  const Parsed parsed = parse_command_line(argc, argv, tool_option, options.settings, error);
  if (parsed == Parsed::Run && options.out.empty()) {
    error = "--out is required";
    return Parsed::Bad;
  }
  return parsed;
}

// FILE.png -> FILE-0001.png, counting from 1, with at least four digits.
std::string numbered_path(const std::string& path, std::uint32_t number, std::uint32_t count) {
  const std::size_t slash = path.rfind('/');
  std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1) {
    dot = path.size();
  }
  const int digits = std::max(4, static_cast<int>(std::to_string(count).size()));
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, "-%0*u", digits, number);
  return path.substr(0, dot) + suffix + path.substr(dot);
}

int render(const Options& options) {
  const Settings& settings = options.settings;
  std::string error;
  const auto surface = OsMesaSurface::create(options.width, options.height, &error);
  if (!surface) {
    std::fprintf(stderr, "roamlets-render: %s\n", error.c_str());
    return 1;
  }

  SceneState scene;
  SceneView view;
  const std::uint32_t seed = options.seed.value_or(calendar_seed());
  scene_init(scene, view, settings, seed);
  scene_resize(view, options.width, options.height);
  ProgressLine progress(stderr, "roamlets-render");
  for (std::uint32_t t = 0; t < options.ticks; ++t) {
    if (t % 64 == 0) progress.show("tick", t, options.ticks);
    scene_tick(scene, settings);
  }

  // A stream takes every frame in turn; files are numbered.
  const bool numbered = options.frames > 1 && !is_stream_output(options.out);
  for (std::uint32_t frame = 1; frame <= options.frames; ++frame) {
    if (options.frames > 1) progress.show("frame", frame, options.frames);
    if (frame > 1) scene_tick(scene, settings);
    scene_render(scene, view, settings);
    const std::string path = numbered ? numbered_path(options.out, frame, options.frames) : options.out;
    if (!write_picture(path, options.width, options.height, surface->read_rgba_top_down(), &error)) {
      progress.clear();
      std::fprintf(stderr, "roamlets-render: cannot write %s: %s\n", quoted(path).c_str(), error.c_str());
      return 1;
    }
    // Standard output holds the pictures themselves.
    if (options.out != "-") std::printf("%s\n", path.c_str());
  }
  progress.clear();
  std::fprintf(stderr, "roamlets-render: %u frame%s of %dx%d, seed %u, ticks %u to %u\n", options.frames,
               options.frames == 1 ? "" : "s", options.width, options.height, seed, options.ticks,
               options.ticks + options.frames - 1);
  return 0;
}

int run(int argc, char** argv) {
  remove_temporary_picture_on_signals();
  Options options;
  load_settings(options.settings, *make_user_settings_store());
  std::string error;
  const Parsed parsed = parse_args(argc, argv, options, error);
  if (const auto status = help_or_usage_error(parsed, "roamlets-render", kUsage, error)) return *status;
  try {
    return render(options);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "roamlets-render: out of memory for a %dx%d picture\n", options.width, options.height);
    return 1;
  }
}

}  // namespace
}  // namespace roamlets

int main(int argc, char** argv) { return roamlets::run(argc, argv); }
