// scene-dump: runs the scene model for a number of ticks and prints its whole
// state as one JSON object, so that a scene can be inspected and compared.
//
//   scene-dump --seed S --roamlets R --chasers C --mode M --ticks T [--density D]
//
// As in a saver run, the star field is built first, from the generator's
// initial state, then the scene is seeded and initialised, then it ticks.

#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "scene/scene_driver.h"
#include "scene/starfield.h"
#include "settings/settings.h"
#include "tools/cli_numbers.h"

namespace roamlets {
namespace {

constexpr const char* kUsage =
    "usage: scene-dump [--seed S] [--roamlets R] [--chasers C] [--mode M] [--ticks T] [--density D]\n"
    "  --seed S      generator seed, a 32-bit value (default: the current time)\n"
    "  --roamlets R  roamlet count (default 10; clamped to 0..500)\n"
    "  --chasers C   chaser count (default 25; clamped to 0..500)\n"
    "  --mode M      chase, rotate, snapshot or a stored number (default chase)\n"
    "  --ticks T     ticks to run after the warm-up (default 0)\n"
    "  --density D   star-field DENSITY (default 200)\n";

struct Options {
  std::uint32_t seed = 0;
  bool seeded = false;
  Settings settings;
  std::uint32_t ticks = 0;
};

std::optional<std::int32_t> parse_mode(std::string_view text) {
  if (text == "chase") return static_cast<std::int32_t>(ViewMode::Chase);
  if (text == "rotate") return static_cast<std::int32_t>(ViewMode::Rotate);
  if (text == "snapshot") return static_cast<std::int32_t>(ViewMode::Snapshot);
  return parse_int32(text);
}

enum class Parsed { Run, Help, Bad };

// Fills `options` from the arguments; names the first bad one in `error`.
Parsed parse_args(int argc, char** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view name = argv[i];
    if (name == "--help" || name == "-h") {
      return Parsed::Help;
    }
    if (i + 1 >= argc) {
      error = "missing value after " + std::string(name);
      return Parsed::Bad;
    }
    const std::string_view value = argv[++i];
    bool ok = false;
    if (name == "--seed") {
      const auto v = parse_bits32(value);
      ok = v.has_value();
      options.seed = v.value_or(0);
      options.seeded = true;
    } else if (name == "--ticks") {
      const auto v = parse_uint32(value);
      ok = v.has_value();
      options.ticks = v.value_or(0);
    } else {
      std::int32_t* field = nullptr;
      std::optional<std::int32_t> v;
      if (name == "--mode") {
        field = &options.settings.VIEW_MODE;
        v = parse_mode(value);
      } else {
        if (name == "--roamlets") field = &options.settings.NUM_ROAMLETS;
        if (name == "--chasers") field = &options.settings.NUM_CHASERS;
        if (name == "--density") field = &options.settings.DENSITY;
        v = parse_int32(value);
      }
      if (field == nullptr) {
        error = "unknown option " + std::string(name);
        return Parsed::Bad;
      }
      ok = v.has_value();
      *field = v.value_or(0);
    }
    if (!ok) {
      error = "bad value for " + std::string(name) + ": '" + std::string(value) + "'";
      return Parsed::Bad;
    }
  }
  return Parsed::Run;
}

class CountingSink : public StarSink {
 public:
  void star(float, float, float) override { ++count; }
  std::uint32_t count = 0;
};

class JsonWriter {
 public:
  void raw(const char* text) { out_ += text; }
  void key(const char* name) {
    out_ += '"';
    out_ += name;
    out_ += "\":";
  }
  // Nine significant digits read back to the same float.
  void number(float v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(v));
    out_ += buffer;
  }
  void number(std::int64_t v) { out_ += std::to_string(v); }
  void vec(const Vec4& v) {
    out_ += '[';
    number(v.x);
    out_ += ',';
    number(v.y);
    out_ += ',';
    number(v.z);
    out_ += ',';
    number(v.w);
    out_ += ']';
  }
  const std::string& text() const { return out_; }

 private:
  std::string out_;
};

void write_mover(JsonWriter& j, const Mover& m) {
  j.raw("{");
  j.key("kind");
  j.raw(m.kind == MoverKind::Roamlet ? "\"roamlet\"" : "\"chaser\"");
  j.raw(",");
  j.key("target");
  if (m.target == kNoTarget) {
    j.raw("null");
  } else {
    j.number(std::int64_t{m.target});
  }
  const std::pair<const char*, const Vec4*> before_trail[] = {
      {"heading", &m.heading}, {"desired", &m.desired}, {"turn_step", &m.turn_step}};
  for (const auto& [name, v] : before_trail) {
    j.raw(",");
    j.key(name);
    j.vec(*v);
  }
  j.raw(",");
  j.key("leg_duration");
  j.number(m.leg_duration);
  j.raw(",");
  j.key("leg_elapsed");
  j.number(m.leg_elapsed);
  j.raw(",");
  j.key("colour");
  j.vec(m.colour);
  j.raw(",");
  j.key("trail");
  j.raw("[");
  for (std::size_t i = 0; i < m.trail.slots.size(); ++i) {
    if (i != 0) j.raw(",");
    j.vec(m.trail.slots[i]);
  }
  j.raw("],");
  j.key("head");
  j.number(std::int64_t{m.trail.head});
  j.raw(",");
  j.key("speed_min");
  j.number(std::int64_t{m.speed_min});
  j.raw(",");
  j.key("speed_max");
  j.number(std::int64_t{m.speed_max});
  const std::pair<const char*, const Vec4*> after_trail[] = {
      {"position", &m.position}, {"speed", &m.speed}, {"next_position", &m.next_position}};
  for (const auto& [name, v] : after_trail) {
    j.raw(",");
    j.key(name);
    j.vec(*v);
  }
  j.raw("}");
}

void write_movers(JsonWriter& j, const char* name, const std::vector<Mover>& movers) {
  j.key(name);
  j.raw("[");
  for (std::size_t i = 0; i < movers.size(); ++i) {
    if (i != 0) j.raw(",");
    write_mover(j, movers[i]);
  }
  j.raw("]");
}

std::string scene_json(const SceneState& scene, std::uint32_t star_count) {
  JsonWriter j;
  j.raw("{");
  j.key("lcg_state");
  j.number(std::int64_t{scene.lcg.state()});
  j.raw(",");
  j.key("tick_counter");
  j.number(std::int64_t{scene.tick_counter});
  const std::pair<const char*, float> camera[] = {{"angle_x", scene.angle_x},
                                                  {"angle_y", scene.angle_y},
                                                  {"angle_z", scene.angle_z},
                                                  {"scale", scene.scale}};
  for (const auto& [name, v] : camera) {
    j.raw(",");
    j.key(name);
    j.number(v);
  }
  j.raw(",");
  j.key("translate");
  j.raw("[");
  j.number(scene.translate[0]);
  j.raw(",");
  j.number(scene.translate[1]);
  j.raw(",");
  j.number(scene.translate[2]);
  j.raw("],");
  j.key("star_count");
  j.number(std::int64_t{star_count});
  j.raw(",");
  write_movers(j, "roamlets", scene.roamlets);
  j.raw(",");
  write_movers(j, "chasers", scene.chasers);
  j.raw("}\n");
  return j.text();
}

int run(int argc, char** argv) {
  Options options;
  std::string error;
  switch (parse_args(argc, argv, options, error)) {
    case Parsed::Help:
      std::fputs(kUsage, stdout);
      return 0;
    case Parsed::Bad:
      std::fprintf(stderr, "scene-dump: %s\n", error.c_str());
      std::fputs(kUsage, stderr);
      return 2;
    case Parsed::Run:
      break;
  }
  SceneState scene;
  CountingSink sink;
  build_starfield(star_step(options.settings.DENSITY), scene.lcg, sink);
  if (options.seeded) {
    init_scene_model(scene, options.settings, options.seed);
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

}  // namespace
}  // namespace roamlets

int main(int argc, char** argv) { return roamlets::run(argc, argv); }
