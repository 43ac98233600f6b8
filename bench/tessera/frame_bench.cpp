// The object saver's frame with 50 objects: clear, Update and Draw of every
// body, swap, on the headless display; the same at the internal scales 1 to
// 4 with one and two drawing threads. Also the motion step alone, which is
// the saver's own share of the frame (the rest is rasterising).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tessera/scene/model.h"

namespace {

struct Scene {
  tessera::ObjectScene scene;
  tessera::Random random{1};

  Scene() {
    std::filesystem::current_path(TESSERA_DATA_DIR);
    scene.objectCount = tessera::kObjectSlots;
    tessera::SetUpScene(scene, random);
  }
};

void OpenGlide() {
  grGlideInit();
  grSstSelect(0);
  grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_RGBA, GR_ORIGIN_LOWER_LEFT, 2, 1);
  guColorCombineFunction(GR_COLORCOMBINE_DECAL_TEXTURE);
}

void RunFrames(benchmark::State& state) {
  OpenGlide();
  Scene s;
  for (int slot = 0; slot < tessera::kTextureSlots; ++slot) {
    s.scene.textureHandles[static_cast<size_t>(slot)] =
        tessera::TryLoadTexture(tessera::kTextureFiles[static_cast<size_t>(slot)])
            .value_or(GR_NULL_MIPMAP_HANDLE);
  }
  grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
  grDepthBufferFunction(GR_CMP_LESS);
  grDepthMask(FXTRUE);
  for (int frame = 0; frame < 120; ++frame) tessera::DrawFrame(s.scene, s.random);  // objects spread out
  grSstResetPerfStats();
  FxU32 trianglesBefore = 0, drawnBefore = 0;
  grTriStats(&trianglesBefore, &drawnBefore);
  for (auto _ : state) tessera::DrawFrame(s.scene, s.random);
  // What a frame asks of the pixel pipeline, for reading the time against.
  GrSstPerfStats_t stats;
  grSstPerfStats(&stats);
  FxU32 triangles = 0, drawn = 0;
  grTriStats(&triangles, &drawn);
  const double frames = static_cast<double>(state.iterations());
  state.counters["pixelsIn/frame"] = static_cast<double>(stats.pixelsIn) / frames;
  state.counters["pixelsOut/frame"] = static_cast<double>(stats.pixelsOut) / frames;
  state.counters["triangles/frame"] = static_cast<double>(drawn - drawnBefore) / frames;
  state.counters["pixels/s"] =
      benchmark::Counter(static_cast<double>(stats.pixelsIn), benchmark::Counter::kIsRate);
  grGlideShutdown();
}

void BM_FrameWith50Objects(benchmark::State& state) {
  RunFrames(state);
}
BENCHMARK(BM_FrameWith50Objects)->Unit(benchmark::kMillisecond);

// Arguments {scale, threads}; wall time, since with two threads the
// benchmark's own thread is only one of those drawing.
void BM_ScaledFrame(benchmark::State& state) {
  setenv("GLIDE_SCALE", std::to_string(state.range(0)).c_str(), 1);
  setenv("GLIDE_THREADS", std::to_string(state.range(1)).c_str(), 1);
  RunFrames(state);
  unsetenv("GLIDE_SCALE");
  unsetenv("GLIDE_THREADS");
}
BENCHMARK(BM_ScaledFrame)
    ->ArgNames({"scale", "threads"})
    ->ArgsProduct({{1, 2, 3, 4}, {1, 2}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_MotionStepOf52Bodies(benchmark::State& state) {
  Scene s;
  for (auto _ : state) {
    s.scene.dude.Update(s.random);
    s.scene.plane.Update(s.random);
    for (tessera::Model& object : s.scene.objects) object.Update(s.random);
    benchmark::DoNotOptimize(s.scene.objects[0].vertices.data());
  }
}
BENCHMARK(BM_MotionStepOf52Bodies)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
