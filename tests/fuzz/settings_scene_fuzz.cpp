// A saver run's start from an arbitrary stored record: the settings loaded
// from a store of raw values of any size and content, then the start-up a
// run makes (render state, star field, scene model with its warm-up, fog) in
// an off-screen OpenGL context, the window size, 100 ticks and three frames.
// Whatever the record holds, the run must neither crash nor hang nor grow
// without bound, the counts must be held to what a population can hold, the
// movers must stay at finite positions and OpenGL must report no error.
//
// Input: a stored record (tests/fuzz/stored_record.h), then the seed as four
// bytes little-endian.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "render/frame.h"
#include "render/gl.h"
#include "render/osmesa_surface.h"
#include "render/scene_setup.h"
#include "render/star_list.h"
#include "scene/population.h"
#include "scene/scene_driver.h"
#include "settings/ranges.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/stored_record.h"

namespace roamlets::fuzz {
namespace {

// Small, because what a frame costs grows with the area each star and line
// covers, up to the whole surface: a stored STAR_SIZE of 255 or more (Mesa's
// largest point) with DENSITY 1 paints the whole surface some 337,000 times a
// frame, about a second a frame at 64 x 48.
constexpr int kWidth = 32;
constexpr int kHeight = 24;
constexpr int kTicks = 100;
// Frames follow these ticks, as the saver's frame timer interleaves them.
constexpr int kFrameAfter[] = {0, 50, kTicks};

bool finite(const Vec4& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

void check_population(const std::vector<Mover>& movers, std::int32_t count) {
  FUZZ_CHECK(movers.size() == static_cast<std::size_t>(std::clamp(count, 0, kMaxCount)));
  for (const Mover& m : movers) {
    FUZZ_CHECK(finite(m.position));
    for (const Vec4& point : m.trail.slots) FUZZ_CHECK(finite(point));
  }
}

void check_no_gl_error() { FUZZ_CHECK(glGetError() == GL_NO_ERROR); }

// One context for the whole process: making one costs far more than a run,
// and Mesa keeps a little of every context it makes. Each run saves the
// context's state first and restores it after, so every run starts from a
// fresh context's state, and deletes the star list it compiled.
OsMesaSurface& surface() {
  static const std::unique_ptr<OsMesaSurface> made = [] {
    std::string error;
    auto created = OsMesaSurface::create(kWidth, kHeight, &error);
    if (!created) {
      std::fprintf(stderr, "settings_scene_fuzz: %s\n", error.c_str());
      std::abort();
    }
    return created;
  }();
  return *made;
}

void run(const std::uint8_t* data, std::size_t size) {
  ByteReader in(data, size);
  MemoryStore store;
  read_stored_record(in, store);
  const std::uint32_t seed = in.u32();

  Settings settings;
  load_settings(settings, store);
  FUZZ_CHECK(settings == expected_load(store));

  surface();
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  SceneState scene;
  SceneView view;
  scene_init(scene, view, settings, seed);
  scene_resize(view, kWidth, kHeight);
  check_no_gl_error();
  FUZZ_CHECK(view.star_list != 0);

  int tick = 0;
  for (const int frame_tick : kFrameAfter) {
    for (; tick < frame_tick; ++tick) scene_tick(scene, settings);
    scene_render(scene, view, settings);
    check_no_gl_error();
  }
  // Drawing is deferred: wait for it, so that whatever it does happens now.
  glFinish();
  delete_starfield(view);
  glPopAttrib();
  check_no_gl_error();

  check_population(scene.roamlets, settings.NUM_ROAMLETS);
  check_population(scene.chasers, settings.NUM_CHASERS);
}

}  // namespace
}  // namespace roamlets::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  roamlets::fuzz::surface();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  roamlets::fuzz::run(data, size);
  return 0;
}
