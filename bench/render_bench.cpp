// Speed of whole frames in a 1920 x 1080 off-screen context, each beside a
// yardstick: the same geometry drawn by the plainest fast OpenGL 1.1 path
// (the star list, then one client-array line strip per trail). Also the
// compile of the densest star field, and a saver run's way to its first
// picture: scene_init, the resize and the first frame.
//
// Every case uses the default Chase view with fog and a fixed seed. A
// measured frame ends with glFinish, so it includes the rasteriser's work;
// the tick that moves the scene between frames is left out of the timing
// (scene_bench measures it). Times are wall-clock, since the rasteriser
// draws on its own threads.
//
// A frame's cost depends on how close the trails pass to the camera and
// varies several-fold from tick to tick, so each case runs a fixed number of
// frames from the same seed: a frame and its yardstick draw the same scenes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "render/frame.h"
#include "render/gl.h"
#include "render/osmesa_surface.h"
#include "render/scene_setup.h"
#include "render/star_list.h"
#include "scene/scene_driver.h"

namespace roamlets {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr std::uint32_t kSeed = 12345;
constexpr int kTrailVertices = Trail::kLength - 1;

struct Case {
  const char* name;
  std::int32_t roamlets;
  std::int32_t chasers;
  std::int32_t density;
  std::int32_t line_width;
  std::int32_t star_size;
  benchmark::IterationCount frames;
};

// The defaults; the largest populations; those with the densest star field
// (about 337,500 stars); and all of that with the widest lines and largest
// stars the settings panel offers, which covers every pixel hundreds of times
// and takes most of a second a frame in software.
constexpr Case kCases[] = {
    {"defaults", 10, 25, 200, 2, 2, 300},
    {"500x500", 500, 500, 200, 2, 2, 60},
    {"densest", 500, 500, 1, 2, 2, 60},
    {"largest", 500, 500, 1, 100, 100, 3},
};

Settings settings_for(const Case& c) {
  Settings s;
  s.NUM_ROAMLETS = c.roamlets;
  s.NUM_CHASERS = c.chasers;
  s.DENSITY = c.density;
  s.LINE_WIDTH = c.line_width;
  s.STAR_SIZE = c.star_size;
  return s;
}

// A scene and its view, set up in the current context as a saver run sets
// them up.
struct SetUpScene {
  SceneState scene;
  SceneView view;
};

SetUpScene make_scene(const Settings& settings) {
  SetUpScene made;
  scene_init(made.scene, made.view, settings, kSeed);
  scene_resize(made.view, kWidth, kHeight);
  return made;
}

// The yardstick frame. Gathers every trail, chasers first, into `vertices`
// (three floats a vertex, 49 vertices a mover, oldest first), then draws.
void floor_render(const SceneState& scene, const SceneView& view, const Settings& settings,
                  std::vector<GLfloat>& vertices) {
  const std::vector<Mover>* const groups[] = {&scene.chasers, &scene.roamlets};
  std::size_t at = 0;
  for (const std::vector<Mover>* group : groups) {
    for (const Mover& mover : *group) {
      for (int i = 1; i < Trail::kLength; ++i) {
        const Vec4& point =
            mover.trail.slots[static_cast<std::size_t>((mover.trail.head + i) % Trail::kLength)];
        vertices[at++] = point.x;
        vertices[at++] = point.y;
        vertices[at++] = point.z;
      }
    }
  }

  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glPushMatrix();
  place_camera(scene, settings);

  glColor4fv(kStarColour);
  glCallList(view.star_list);

  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, vertices.data());
  GLint first = 0;
  for (const std::vector<Mover>* group : groups) {
    for (const Mover& mover : *group) {
      glColor4f(mover.colour.x, mover.colour.y, mover.colour.z, mover.colour.w);
      glDrawArrays(GL_LINE_STRIP, first, kTrailVertices);
      first += kTrailVertices;
    }
  }
  glDisableClientState(GL_VERTEX_ARRAY);

  glPopMatrix();
  glFlush();
}

// Times `draw` on successive ticks of a fresh scene, drawn in its view. The
// same frames are drawn once untimed before, so that the rasteriser's compiled
// code and working memory are in place; else the first case to meet them would
// pay for them.
template <typename Draw>
void time_frames(benchmark::State& state, const Settings& settings, Draw draw) {
  SetUpScene start = make_scene(settings);
  SceneState scene = start.scene;
  for (benchmark::IterationCount i = 0; i < state.max_iterations; ++i) {
    draw(scene, start.view);
    glFinish();
    scene_tick(scene, settings);
  }
  scene = start.scene;
  for (auto _ : state) {
    draw(scene, start.view);
    glFinish();
    state.PauseTiming();
    scene_tick(scene, settings);
    state.ResumeTiming();
  }
  delete_starfield(start.view);
}

void BM_SceneRender(benchmark::State& state, const Settings& settings) {
  time_frames(state, settings, [&settings](const SceneState& scene, const SceneView& view) {
    scene_render(scene, view, settings);
  });
}

void BM_FloorRender(benchmark::State& state, const Settings& settings) {
  const std::size_t movers = static_cast<std::size_t>(settings.NUM_ROAMLETS + settings.NUM_CHASERS);
  std::vector<GLfloat> vertices(movers * static_cast<std::size_t>(kTrailVertices) * 3u);
  time_frames(state, settings, [&settings, &vertices](const SceneState& scene, const SceneView& view) {
    floor_render(scene, view, settings, vertices);
  });
}

// The heaviest settings a store can hold: stars drawn at their largest (64
// pixels) and smoothed, lines at the widest OpenGL draws, the densest field
// and the largest populations.
Settings heaviest_settings() {
  Settings s;
  s.NUM_ROAMLETS = 500;
  s.NUM_CHASERS = 500;
  s.DENSITY = 1;
  s.LINE_WIDTH = INT32_MAX;
  s.STAR_SIZE = INT32_MAX;
  s.STAR_SMOOTH = 1;
  return s;
}

// The densest field of the largest smoothed stars with the default
// populations and lines: a frame made almost only of pieces of stars, each of
// which OpenGL takes far longer to draw than to be given.
Settings large_star_settings() {
  Settings s;
  s.DENSITY = 1;
  s.STAR_SIZE = INT32_MAX;
  s.STAR_SMOOTH = 1;
  return s;
}

// How long a close waits for the frame in flight at most: the longest time
// between two of a frame's questions whether to go on (or from its start to
// the first, or from the last to its end), longest_piece_ms, plus the longest
// OpenGL still took to draw what it had been given once a frame was given up,
// drain_ms. The first frame is drawn whole and counts the questions; every
// later one is given up at its middle question.
void BM_LongestPiece(benchmark::State& state, const Settings& settings) {
  using Clock = std::chrono::steady_clock;
  const auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
  double longest = 0.0;
  double drain = 0.0;
  int questions = 0;
  int asked = 0;
  Clock::time_point last;
  const auto mark = [&] {
    const Clock::time_point now = Clock::now();
    longest = std::max(longest, ms(now - last));
    last = now;
    return ++asked == (questions + 1) / 2;
  };
  time_frames(state, settings, [&](const SceneState& scene, const SceneView& view) {
    asked = 0;
    last = Clock::now();
    const bool whole = scene_render(scene, view, settings, mark);
    const Clock::time_point given_up = Clock::now();
    glFinish();
    if (whole) {
      if (questions == 0) questions = asked;
      mark();
    } else {
      drain = std::max(drain, ms(Clock::now() - given_up));
    }
  });
  state.counters["longest_piece_ms"] = longest;
  state.counters["drain_ms"] = drain;
}

// From a context without a scene to the first finished frame, as a saver run
// goes once its window and context exist. The context has drawn before, so
// this leaves out what a new process pays for the driver and its compiled
// shaders; the start-up measured on a display includes them.
void BM_FirstFrame(benchmark::State& state, const Settings& settings) {
  for (auto _ : state) {
    SceneState scene;
    SceneView view;
    scene_init(scene, view, settings, kSeed);
    scene_resize(view, kWidth, kHeight);
    scene_render(scene, view, settings);
    glFinish();
    state.PauseTiming();
    delete_starfield(view);
    state.ResumeTiming();
  }
}

void BM_StarfieldCompile(benchmark::State& state) {
  SetUpScene made = make_scene(Settings{});
  for (auto _ : state) {
    rebuild_starfield(made.view, 1, made.scene.lcg);
    glFinish();
  }
  delete_starfield(made.view);
}

void register_benchmarks() {
  for (const Case& c : kCases) {
    const Settings settings = settings_for(c);
    const std::string suffix = std::string("/") + c.name;
    benchmark::RegisterBenchmark(("BM_SceneRender" + suffix).c_str(), BM_SceneRender, settings)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(c.frames)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("BM_FloorRender" + suffix).c_str(), BM_FloorRender, settings)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(c.frames)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("BM_FirstFrame" + suffix).c_str(), BM_FirstFrame, settings)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(c.frames)
        ->UseRealTime();
  }
  benchmark::RegisterBenchmark("BM_LongestPiece/defaults", BM_LongestPiece, Settings{})
      ->Unit(benchmark::kMillisecond)
      ->Iterations(300)
      ->UseRealTime();
  benchmark::RegisterBenchmark("BM_LongestPiece/heaviest", BM_LongestPiece, heaviest_settings())
      ->Unit(benchmark::kMillisecond)
      ->Iterations(3)
      ->UseRealTime();
  benchmark::RegisterBenchmark("BM_LongestPiece/large_stars", BM_LongestPiece, large_star_settings())
      ->Unit(benchmark::kMillisecond)
      ->Iterations(3)
      ->UseRealTime();
  benchmark::RegisterBenchmark("BM_StarfieldCompile/density1", BM_StarfieldCompile)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
}

}  // namespace
}  // namespace roamlets

// One context, current for the whole run.
int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  std::string error;
  const auto surface = roamlets::OsMesaSurface::create(roamlets::kWidth, roamlets::kHeight, &error);
  if (surface == nullptr) {
    std::fprintf(stderr, "render_bench: %s\n", error.c_str());
    return 1;
  }
  benchmark::AddCustomContext("renderer", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  benchmark::AddCustomContext("gl_version", reinterpret_cast<const char*>(glGetString(GL_VERSION)));
  roamlets::register_benchmarks();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
