// scene-dump: runs the scene model for a number of ticks and prints its whole
// state as one JSON object, so that a scene can be inspected and compared.
//
//   scene-dump [--seed S] [--ticks T] [setting options]
//
// As in a saver run, the star field is built first, from the generator's
// initial state, then the scene is seeded and initialised, then it ticks.
// Out of memory ends the run with a message and status 1.

#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "scene/scene_driver.h"
#include "scene/starfield.h"
#include "scene/x87_precision.h"
#include "settings/settings.h"
#include "cli/cli_numbers.h"
#include "cli/command_line.h"

namespace roamlets {
namespace {

constexpr const char* kUsage =
    "usage: scene-dump [--seed S] [--ticks T] [setting options]\n"
    "  --seed S         generator seed, a 32-bit value (default: the current time)\n"
    "  --ticks T        ticks to run after the warm-up (default 0)\n"
    "Setting options (default: the settings' defaults, not the user's):\n";

struct Options {
  std::optional<std::uint32_t> seed;  // the calendar time when absent
  Settings settings;
  std::uint32_t ticks = 0;
};

// Fills `options` from the arguments; names the first bad one in `error`.
Parsed parse_args(int argc, char** argv, Options& options, std::string& error) {
  const auto tool_option = [&options](std::string_view name, std::string_view value) {
    if (name == "--seed") {
      options.seed = parse_bits32(value);
      return options.seed ? OptionResult::Applied : OptionResult::BadValue;
    }
    if (name == "--ticks") {
      const auto ticks = parse_uint32(value);
      options.ticks = ticks.value_or(0);
      return ticks ? OptionResult::Applied : OptionResult::BadValue;
    }
    return OptionResult::NotOne;
  };
  return parse_command_line(argc, argv, tool_option, options.settings, error);
}

class CountingSink : public StarSink {
 public:
  void star(float, float, float) override { ++count; }
  std::uint32_t count = 0;
};

// Builds compact JSON; commas between members and elements are placed for the
// caller.
class JsonWriter {
 public:
  void open(char bracket) {
    separate();
    out_ += bracket;
    first_ = true;
  }
  void close(char bracket) {
    out_ += bracket;
    first_ = false;
  }
  void key(const char* name) {
    separate();
    out_ += '"';
    out_ += name;
    out_ += "\":";
    first_ = true;
  }
  void literal(const char* text) {
    separate();
    out_ += text;
  }
  // Nine significant digits read back to the same float.
  void value(float v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(v));
    literal(buffer);
  }
  void value(std::int64_t v) { literal(std::to_string(v).c_str()); }
  void value(const Vec4& v) {
    open('[');
    for (const float c : {v.x, v.y, v.z, v.w}) value(c);
    close(']');
  }
  template <typename T>
  void field(const char* name, const T& v) {
    key(name);
    value(v);
  }
  const std::string& text() const { return out_; }

 private:
  void separate() {
    if (!first_) out_ += ',';
    first_ = false;
  }
  std::string out_;
  bool first_ = true;
};

void write_mover(JsonWriter& j, const Mover& m) {
  j.open('{');
  j.key("kind");
  j.literal(m.kind == MoverKind::Roamlet ? "\"roamlet\"" : "\"chaser\"");
  j.key("target");
  if (m.target == kNoTarget) {
    j.literal("null");
  } else {
    j.value(std::int64_t{m.target});
  }
  j.field("heading", m.heading);
  j.field("desired", m.desired);
  j.field("turn_step", m.turn_step);
  j.field("leg_duration", m.leg_duration);
  j.field("leg_elapsed", m.leg_elapsed);
  j.field("colour", m.colour);
  j.key("trail");
  j.open('[');
  for (const Vec4& slot : m.trail.slots) j.value(slot);
  j.close(']');
  j.field("head", std::int64_t{m.trail.head});
  j.field("speed_min", std::int64_t{m.speed_min});
  j.field("speed_max", std::int64_t{m.speed_max});
  j.field("position", m.position);
  j.field("speed", m.speed);
  j.field("next_position", m.next_position);
  j.close('}');
}

void write_movers(JsonWriter& j, const char* name, const std::vector<Mover>& movers) {
  j.key(name);
  j.open('[');
  for (const Mover& m : movers) write_mover(j, m);
  j.close(']');
}

std::string scene_json(const SceneState& scene, std::uint32_t star_count) {
  JsonWriter j;
  j.open('{');
  j.field("lcg_state", std::int64_t{scene.lcg.state()});
  j.field("tick_counter", std::int64_t{scene.tick_counter});
  j.field("angle_x", scene.angle_x);
  j.field("angle_y", scene.angle_y);
  j.field("angle_z", scene.angle_z);
  j.field("scale", scene.scale);
  j.key("translate");
  j.open('[');
  for (const float c : scene.translate) j.value(c);
  j.close(']');
  j.field("star_count", std::int64_t{star_count});
  write_movers(j, "roamlets", scene.roamlets);
  write_movers(j, "chasers", scene.chasers);
  j.close('}');
  return j.text() + '\n';
}

int dump(const Options& options) {
  SceneState scene;
  CountingSink sink;
  build_starfield(star_step(options.settings.DENSITY), scene.lcg, sink);
  if (options.seed) {
    init_scene_model(scene, options.settings, *options.seed);
  } else {
    init_scene_model(scene, options.settings);
  }
  for (std::uint32_t t = 0; t < options.ticks; ++t) {
    scene_tick(scene, options.settings);
  }
  const std::string json = scene_json(scene, sink.count);
  std::fwrite(json.data(), 1, json.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int run(int argc, char** argv) {
  Options options;
  std::string error;
  const Parsed parsed = parse_args(argc, argv, options, error);
  if (const auto status = help_or_usage_error(parsed, "scene-dump", kUsage, error)) return *status;
  try {
    return dump(options);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "scene-dump: out of memory\n");
    return 1;
  }
}

}  // namespace
}  // namespace roamlets

int main(int argc, char** argv) {
  roamlets::use_double_precision_arithmetic();
  return roamlets::run(argc, argv);
}
