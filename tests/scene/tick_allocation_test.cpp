// A tick runs every 33 ms for as long as the saver runs: it must not allocate.
// This binary replaces the global allocation functions to count calls.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "scene/scene_driver.h"

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

// Not inlined: seen through, the replacement pairs with malloc and free, and
// some builds then warn of new matched with free at the call sites.
[[gnu::noinline]] void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace roamlets {
namespace {

TEST(SceneTick, AllocatesNothingInAnyMode) {
  for (const std::int32_t mode : {0, 1, 2}) {
    SceneState scene;
    Settings settings;
    settings.VIEW_MODE = mode;
    settings.NUM_ROAMLETS = 500;
    settings.NUM_CHASERS = 500;
    init_scene_model(scene, settings, 8);
    const long before = g_allocations.load();
    for (int t = 0; t < 600; ++t) {
      scene_tick(scene, settings);
    }
    EXPECT_EQ(g_allocations.load() - before, 0) << "mode " << mode;
  }
}

}  // namespace
}  // namespace roamlets
