// gfx_bench.cpp — time per frame and pixels per second of the pixel pipeline
// for (a) halcyon's floor quad, (b) its 826-triangle sphere-mapped lump,
// (a + b) a whole halcyon frame and (c) tessera's 52 bodies, at 640 x 480,
// with one and two threads; and the whole frames of both at the internal
// scales 1 to 4 (640x480 to 2560x1920). Arguments: {threads, reference
// only, scale}. "pixels/s" counts the pixels the pipeline ran (overdraw
// included), "screen pixels/s" the buffer's pixels a second.
//
// The machine we measure on is shared: run the scales interleaved
// (--benchmark_enable_random_interleaving=true --benchmark_repetitions=N)
// and read the medians beside the load (uptime).
#include <benchmark/benchmark.h>

#include <functional>

#include "scenes.h"

namespace {

using namespace gfx;

void RunScene(benchmark::State& bench, const std::function<void(scenes::Scene*)>& build, bool clear) {
  scenes::Scene scene;
  build(&scene);
  const int scale = static_cast<int>(bench.range(2));
  scenes::ScaledCanvas canvas(scale);
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
  bench.counters["screen pixels/s"] =
      benchmark::Counter(frames * canvas.target.width * canvas.target.height, benchmark::Counter::kIsRate);
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

#define SCENE_ARGS                            \
  ArgNames({"threads", "reference", "scale"}) \
      ->Args({1, 0, 1})                       \
      ->Args({2, 0, 1})                       \
      ->Args({1, 1, 1})                       \
      ->Unit(benchmark::kMillisecond)
BENCHMARK(FloorQuad)->SCENE_ARGS;
BENCHMARK(Lump)->SCENE_ARGS;
BENCHMARK(HalcyonFrame)->SCENE_ARGS;
BENCHMARK(Bodies)->SCENE_ARGS;

// Whole frames at every internal scale, one and two threads.
void ScaledArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"threads", "reference", "scale"});
  for (int scale = 1; scale <= 4; ++scale)
    for (int threads = 1; threads <= 2; ++threads) b->Args({threads, 0, scale});
  // Wall time: with two threads the benchmark's own thread is only one of those drawing.
  b->UseRealTime()->Unit(benchmark::kMillisecond);
}
void ScaledHalcyonFrame(benchmark::State& s) {
  HalcyonFrame(s);
}
void ScaledBodies(benchmark::State& s) {
  Bodies(s);
}
BENCHMARK(ScaledHalcyonFrame)->Apply(ScaledArgs);
BENCHMARK(ScaledBodies)->Apply(ScaledArgs);

}  // namespace

BENCHMARK_MAIN();
