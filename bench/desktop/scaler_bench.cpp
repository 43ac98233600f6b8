// The software presenter's per-frame work: a 640x480 frame scaled into the
// 4:3 rectangle of a full-screen surface, at the sizes people's screens have.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "desktop/scaler.h"

namespace {

struct Screen {
  int width, height;
};

constexpr Screen kScreens[] = {{1920, 1080}, {2560, 1440}, {3840, 2160}};

void Scale(benchmark::State& state, bool bilinear) {
  const Screen screen = kScreens[state.range(0)];
  const bool wide = state.range(1) != 0;
  std::vector<uint32_t> source(640 * 480);
  for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint32_t>(i * 2654435761u);
  std::vector<uint32_t> surface(static_cast<size_t>(screen.width) * screen.height);
  const int height = screen.height;
  const int width = height * 4 / 3;
  desktop::ScaleJob job;
  job.source = source.data();
  job.sourceWidth = 640;
  job.sourceHeight = 480;
  job.sourcePitchPixels = 640;
  job.target = surface.data() + (screen.width - width) / 2;
  job.targetWidth = width;
  job.targetHeight = height;
  job.targetPitchPixels = screen.width;
  desktop::Scaler scaler(wide);
  for (auto _ : state) {
    if (bilinear) {
      scaler.Bilinear(job);
    } else {
      scaler.Nearest(job);
    }
    benchmark::DoNotOptimize(surface.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t{width} * height);
  state.SetLabel(std::to_string(width) + "x" + std::to_string(height) + (wide ? " avx2" : " sse2"));
}

void BM_Bilinear(benchmark::State& state) {
  Scale(state, true);
}
void BM_Nearest(benchmark::State& state) {
  Scale(state, false);
}

BENCHMARK(BM_Bilinear)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Nearest)->ArgsProduct({{0, 2}, {1}})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
