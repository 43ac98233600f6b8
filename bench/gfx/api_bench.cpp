// api_bench.cpp — the benchmark scenes drawn the way programs draw them:
// through the Glide entry points on the headless display (textures placed
// with guTexAllocateMemory and guTexDownloadMipMap, the palette with
// grTexDownloadTable, triangles with grDrawTriangle, every frame cleared and
// shown with grBufferSwap). Time per frame and pixels per second with one
// and two rasteriser threads (GLIDE_THREADS), for (a) halcyon's floor quad,
// (a + b) a whole halcyon frame and (c) tessera's 52 bodies.
#include <benchmark/benchmark.h>
#include <glide.h>
#include <glideutl.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "scenes.h"

namespace {

using namespace gfx;

// One scene's textures in TMU memory, keyed by where their largest level
// lies in the scene's memory.
struct ApiScene {
  std::unique_ptr<scenes::Scene> scene;
  std::vector<std::vector<GrVertex>> vertices;  // per batch
  std::map<uint32_t, GrMipMapId_t> textures;
};

GrVertex ToGlide(const VertexIn& in) {
  GrVertex v{};
  v.x = in.x;
  v.y = in.y;
  v.z = in.z;
  v.r = in.r;
  v.g = in.g;
  v.b = in.b;
  v.ooz = in.ooz;
  v.a = in.a;
  v.oow = in.oow;
  v.tmuvtx[0].sow = in.sow0;
  v.tmuvtx[0].tow = in.tow0;
  v.tmuvtx[0].oow = in.oow0;
  return v;
}

// Pixels the pipeline runs per frame of the scene (the API does not count them).
double PipelinePixels(const scenes::Scene& scene) {
  scenes::Canvas canvas;
  Rasterizer rasterizer;
  scene.Draw(rasterizer, canvas.target);
  return static_cast<double>(rasterizer.Counters().pixelsIn);
}

GrMipMapId_t Place(const scenes::Scene& scene, const TextureState& t) {
  const int size = 256 >> t.largeLod;  // the scenes' textures are square
  GrMipMapId_t id =
      guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, size, size, t.format, t.mipmapMode, t.smallLod,
                          t.largeLod, t.aspect, t.sClamp, t.tClamp, t.minFilter, t.magFilter, 0.0f, FXFALSE);
  if (id != GR_NULL_MIPMAP_HANDLE)
    guTexDownloadMipMap(id, scene.memory.data() + t.levelOffset[t.largeLod], nullptr);
  return id;
}

// The state of one batch, set as a program sets it.
void SetState(const ApiScene& s, const RasterState& st) {
  grColorCombine(st.colour.function, st.colour.factor, st.colour.local, st.colour.other, st.colour.invert);
  grAlphaCombine(st.alpha.function, st.alpha.factor, st.alpha.local, st.alpha.other, st.alpha.invert);
  const TextureCombine& tc = st.textureCombine;
  grTexCombine(GR_TMU0, tc.rgbFunction, tc.rgbFactor, tc.alphaFunction, tc.alphaFactor, tc.rgbInvert,
               tc.alphaInvert);
  grDepthBufferMode(st.depth.mode);
  grDepthBufferFunction(st.depth.function);
  grDepthMask(st.depth.writeMask);
  grDitherMode(st.ditherMode);
  grCullMode(st.cullMode);
  grConstantColorValue(st.constantColour);
  grAlphaBlendFunction(st.blend.rgbSource, st.blend.rgbDestination, st.blend.alphaSource,
                       st.blend.alphaDestination);
  grFogMode(st.fog.mode);
  grFogColorValue(st.fog.colour);
  if (st.fog.table) grFogTable(st.fog.table);
  grSstOrigin(st.originLowerLeft ? GR_ORIGIN_LOWER_LEFT : GR_ORIGIN_UPPER_LEFT);
  auto found = s.textures.find(st.texture.levelOffset[st.texture.largeLod]);
  if (found != s.textures.end()) guTexSource(found->second);
}

void RunApiScene(benchmark::State& bench, void (*build)(scenes::Scene*)) {
  setenv("GLIDE_DISPLAY", "headless", 1);
  setenv("GLIDE_THREADS", std::to_string(bench.range(0)).c_str(), 1);
  grGlideInit();
  if (!grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB, GR_ORIGIN_UPPER_LEFT, 2,
                    1)) {
    bench.SkipWithError("grSstWinOpen failed");
    grGlideShutdown();
    return;
  }
  ApiScene s;
  s.scene = std::make_unique<scenes::Scene>();
  build(s.scene.get());
  for (const scenes::Batch& batch : s.scene->batches) {
    s.vertices.emplace_back();
    for (const VertexIn& v : batch.vertices) s.vertices.back().push_back(ToGlide(v));
    const TextureState& t = batch.state.texture;
    uint32_t key = t.levelOffset[t.largeLod];
    if (!s.textures.count(key)) s.textures[key] = Place(*s.scene, t);
  }
  if (const uint32_t* palette = s.scene->batches.front().state.texture.palette) {
    GuTexPalette table;
    for (int i = 0; i < 256; ++i) table.data[i] = palette[i];
    grTexDownloadTable(GR_TMU0, GR_TEXTABLE_PALETTE, &table);
  }
  const double pixelsPerFrame = PipelinePixels(*s.scene);
  uint64_t frames = 0;
  auto frame = [&] {
    grDepthMask(FXTRUE);
    grBufferClear(0, 0, 0xFFFF);
    for (size_t b = 0; b < s.scene->batches.size(); ++b) {
      SetState(s, s.scene->batches[b].state);
      const std::vector<GrVertex>& v = s.vertices[b];
      for (size_t i = 0; i + 2 < v.size(); i += 3) grDrawTriangle(&v[i], &v[i + 1], &v[i + 2]);
    }
    grBufferSwap(1);
  };
  frame();  // warm caches and derived state
  for (auto _ : bench) {
    frame();
    ++frames;
  }
  grSstWinClose();
  grGlideShutdown();
  bench.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
  bench.counters["pixels/s"] =
      benchmark::Counter(static_cast<double>(frames) * pixelsPerFrame, benchmark::Counter::kIsRate);
  bench.counters["pixels/frame"] = pixelsPerFrame;
}

void ApiFloorQuad(benchmark::State& s) {
  RunApiScene(s, [](scenes::Scene* sc) { scenes::BuildFloor(sc, 1.0f); });
}
void ApiHalcyonFrame(benchmark::State& s) {
  RunApiScene(s, [](scenes::Scene* sc) { scenes::BuildHalcyonFrame(sc, 1.0f); });
}
void ApiBodies(benchmark::State& s) {
  RunApiScene(s, [](scenes::Scene* sc) { scenes::BuildBodies(sc, 3); });
}

#define API_ARGS ArgNames({"threads"})->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()
BENCHMARK(ApiFloorQuad)->API_ARGS;
BENCHMARK(ApiHalcyonFrame)->API_ARGS;
BENCHMARK(ApiBodies)->API_ARGS;

}  // namespace

BENCHMARK_MAIN();
