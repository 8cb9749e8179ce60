// Speed of the scene model: the tick at the default and the largest counts,
// the star-field generation, and the whole initialisation of a saver run.
#include <benchmark/benchmark.h>

#include "scene/scene_driver.h"
#include "scene/starfield.h"

namespace roamlets {
namespace {

Settings counts(std::int32_t roamlets, std::int32_t chasers) {
  Settings s;
  s.NUM_ROAMLETS = roamlets;
  s.NUM_CHASERS = chasers;
  return s;
}

void BM_SceneTick(benchmark::State& state) {
  const Settings settings =
      counts(static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(1)));
  SceneState scene;
  init_scene_model(scene, settings, 12345);
  for (auto _ : state) {
    scene_tick(scene, settings);
    benchmark::DoNotOptimize(scene.chasers.data());
  }
}
BENCHMARK(BM_SceneTick)->Args({10, 25})->Args({500, 500})->Unit(benchmark::kMicrosecond);

class NullSink : public StarSink {
 public:
  void star(float x, float y, float z) override {
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(y);
    benchmark::DoNotOptimize(z);
  }
};

void BM_BuildStarfield(benchmark::State& state) {
  const float step = star_step(static_cast<std::int32_t>(state.range(0)));
  Lcg lcg;
  NullSink sink;
  for (auto _ : state) {
    build_starfield(step, lcg, sink);
  }
}
BENCHMARK(BM_BuildStarfield)->Arg(200)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_InitSceneModel(benchmark::State& state) {
  const Settings settings = counts(500, 500);
  for (auto _ : state) {
    SceneState scene;
    init_scene_model(scene, settings, 12345);
    benchmark::DoNotOptimize(scene.chasers.data());
  }
}
BENCHMARK(BM_InitSceneModel)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace roamlets

BENCHMARK_MAIN();
