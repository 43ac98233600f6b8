// world_frame_bench.cpp — time of one DrawFrame of the world saver (floor
// pass, 826 mesh triangles, swap) on the headless display with a fixed seed,
// the same at the internal scales 1 to 4 with one and two drawing threads,
// and the frame's arithmetic alone.
#include <benchmark/benchmark.h>
#include <glide.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "halcyon/render/frame_math.h"
#include "halcyon/render/world_mesh_prep.h"
#include "halcyon/render/world_renderer.h"
#include "halcyon/resources/texture_bank_resource.h"
#include "halcyon/resources/world_mesh.h"
#include "platform/resources.h"

namespace {

struct SilentPlayer final : halcyon::MusicPlayer {
  void Startup() override {}
  bool Init() override { return false; }
  bool StartBackgroundPlay(uint32_t) override { return false; }
  halcyon::MusicModule LoadModule(const std::string&) override { return 0; }
  void PlayModule(halcyon::MusicModule, int) override {}
  void StopModule(halcyon::MusicModule) override {}
  void FreeModule(halcyon::MusicModule) override {}
  void StopBackgroundPlay() override {}
  void Close() override {}
};

void WholeFrame(benchmark::State& state) {
  setenv("GLIDE_DISPLAY", "headless", 1);
  unsetenv("GLIDE_CAPTURE");
  uint32_t clockMs = 0;
  platform::RegisterResource("TEXTURE", 666, halcyon::TextureBankResourceBytes());
  halcyon::RendererServices services = halcyon::RendererServices::Defaults();
  services.tickCount = [&clockMs] { return clockMs; };
  services.seedOverride = [] { return std::optional<uint32_t>(1); };
  services.music = std::make_shared<SilentPlayer>();
  services.lowerPriority = [] {};  // idle priority would time the machine's load
  halcyon::WorldRenderer renderer(services);
  renderer.DrawFrame();            // set-up
  for (int i = 0; i < 300; ++i) {  // into the scene's full brightness
    clockMs += 17;
    renderer.DrawFrame();
  }
  if (renderer.started == 0) {
    state.SkipWithError("set-up failed");
    return;
  }
  grSstResetPerfStats();
  for (auto _ : state) {
    clockMs += 17;
    renderer.DrawFrame();
  }
  GrSstPerfStats_t stats;
  grSstPerfStats(&stats);
  state.counters["pixels/s"] =
      benchmark::Counter(static_cast<double>(stats.pixelsIn), benchmark::Counter::kIsRate);
}
BENCHMARK(WholeFrame)->Unit(benchmark::kMillisecond);

// Arguments {scale, threads}; wall time, since with two threads the
// benchmark's own thread is only one of those drawing.
void ScaledFrame(benchmark::State& state) {
  setenv("GLIDE_SCALE", std::to_string(state.range(0)).c_str(), 1);
  setenv("GLIDE_THREADS", std::to_string(state.range(1)).c_str(), 1);
  WholeFrame(state);
  unsetenv("GLIDE_SCALE");
  unsetenv("GLIDE_THREADS");
}
BENCHMARK(ScaledFrame)
    ->ArgNames({"scale", "threads"})
    ->ArgsProduct({{1, 2, 3, 4}, {1, 2}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void FrameArithmetic(benchmark::State& state) {
  std::vector<float> vertices(&halcyon::worldVertexTable[0][0], &halcyon::worldVertexTable[0][0] + 419 * 3);
  halcyon::ScaleMesh(vertices);
  std::vector<halcyon::Vec3> normals(419, halcyon::Vec3{0.0f, 0.0f, -1.0f});
  float t = 0.0f;
  for (auto _ : state) {
    t += 0.68f;
    const halcyon::Matrix3 r =
        halcyon::RotationMatrix(0.3f * t * 0.009f, -1.1f * t * 0.009f, 1.7f * t * 0.009f);
    for (int i = 0; i < 419; ++i) {
      const halcyon::Vec3 p{vertices[3 * i], vertices[3 * i + 1], vertices[3 * i + 2]};
      benchmark::DoNotOptimize(halcyon::ProjectVertex(r, p, normals[i], 640.0f, 480.0f));
    }
  }
}
BENCHMARK(FrameArithmetic)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
