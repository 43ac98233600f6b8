// gfx_bench.cpp — time per frame and pixels per second of the pixel pipeline
// for (a) halcyon's floor quad, (b) its 826-triangle sphere-mapped lump,
// (a + b) a whole halcyon frame and (c) tessera's 52 bodies, at 640 x 480,
// with one and two threads. Arguments: {threads, reference only}.
#include <benchmark/benchmark.h>

#include <functional>

#include "scenes.h"

namespace {

using namespace gfx;

void RunScene(benchmark::State& bench, const std::function<void(scenes::Scene*)>& build, bool clear) {
  scenes::Scene scene;
  build(&scene);
  scenes::Canvas canvas;
  Rasterizer rasterizer;
  rasterizer.SetThreadCount(static_cast<int>(bench.range(0)));
  rasterizer.SetReferenceOnly(bench.range(1) != 0);
  scene.Draw(rasterizer, canvas.target);  // warm caches and derived state
  rasterizer.Finish();
  rasterizer.ResetCounters();
  for (auto _ : bench) {
    if (clear) rasterizer.Clear(canvas.target, 0, 0, 0xFFFF, true, true, true);
    scene.Draw(rasterizer, canvas.target);
    rasterizer.Finish();
  }
  const RasterCounters& c = rasterizer.Counters();
  double frames = static_cast<double>(bench.iterations());
  bench.counters["pixels/s"] =
      benchmark::Counter(static_cast<double>(c.pixelsIn), benchmark::Counter::kIsRate);
  bench.counters["pixels/frame"] = static_cast<double>(c.pixelsIn) / frames;
  bench.counters["written/frame"] = static_cast<double>(c.pixelsWritten) / frames;
  bench.counters["triangles/frame"] = static_cast<double>(c.trianglesIn) / frames;
}

void FloorQuad(benchmark::State& s) {
  RunScene(
      s, [](scenes::Scene* sc) { scenes::BuildFloor(sc, 1.0f); }, false);
}
void Lump(benchmark::State& s) {
  RunScene(
      s, [](scenes::Scene* sc) { scenes::BuildLump(sc, 0.7f); }, true);
}
void HalcyonFrame(benchmark::State& s) {
  RunScene(
      s, [](scenes::Scene* sc) { scenes::BuildHalcyonFrame(sc, 1.0f); }, false);
}
void Bodies(benchmark::State& s) {
  RunScene(
      s, [](scenes::Scene* sc) { scenes::BuildBodies(sc, 3); }, true);
}

#define SCENE_ARGS \
  ArgNames({"threads", "reference"})->Args({1, 0})->Args({2, 0})->Args({1, 1})->Unit(benchmark::kMillisecond)
BENCHMARK(FloorQuad)->SCENE_ARGS;
BENCHMARK(Lump)->SCENE_ARGS;
BENCHMARK(HalcyonFrame)->SCENE_ARGS;
BENCHMARK(Bodies)->SCENE_ARGS;

}  // namespace

BENCHMARK_MAIN();
