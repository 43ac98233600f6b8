// frame_cost.cpp — draws one of the benchmark scenes a fixed number of times,
// for instruction counts under callgrind (the benchmark's own iteration count
// varies). Usage: gfx_frame_cost floor|lump|halcyon|bodies|bodies8 [frames] [threads] [reference] [scale]
// [tile rows] Count one frame with
//   valgrind --tool=callgrind --toggle-collect='gfx::scenes::Scene::Draw*' gfx_frame_cost bodies 10
// and divide the total by the frame count.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "scenes.h"

int main(int argc, char** argv) {
  using namespace gfx;
  if (argc < 2) {
    std::fprintf(
        stderr,
        "usage: %s floor|lump|halcyon|bodies|bodies8 [frames] [threads] [reference] [scale] [tile rows]\n",
        argv[0]);
    return 2;
  }
  const char* name = argv[1];
  int frames = argc > 2 ? std::atoi(argv[2]) : 10;
  int threads = argc > 3 ? std::atoi(argv[3]) : 1;
  bool reference = argc > 4 && std::atoi(argv[4]) != 0;
  const int scale = argc > 5 ? std::atoi(argv[5]) : 1;
  const int tileRows = argc > 6 ? std::atoi(argv[6]) : 0;  // Rasterizer::SetTileRows
  if (scale < 1 || scale > 4) {
    std::fprintf(stderr, "the scale is 1 to 4\n");
    return 2;
  }
  auto scene = std::make_unique<scenes::Scene>();
  bool clear = true;
  if (std::strcmp(name, "floor") == 0) {
    scenes::BuildFloor(scene.get(), 1.0f);
    clear = false;
  } else if (std::strcmp(name, "lump") == 0) {
    scenes::BuildLump(scene.get(), 0.7f);
  } else if (std::strcmp(name, "halcyon") == 0) {
    scenes::BuildHalcyonFrame(scene.get(), 1.0f);
    clear = false;
  } else if (std::strcmp(name, "bodies") == 0 || std::strcmp(name, "bodies8") == 0) {
    scenes::BuildBodies(scene.get(), 3, std::strcmp(name, "bodies8") == 0);
  } else {
    std::fprintf(stderr, "unknown scene %s\n", name);
    return 2;
  }
  scenes::ScaledCanvas canvas(scale);
  Rasterizer rasterizer;
  rasterizer.SetThreadCount(threads);
  rasterizer.SetReferenceOnly(reference);
  rasterizer.SetTileRows(tileRows);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) {
    if (clear) rasterizer.Clear(canvas.target, 0, 0, 0xFFFF, true, true, true);
    scene->Draw(rasterizer, canvas.target);
    rasterizer.Finish();
  }
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const RasterCounters& c = rasterizer.Counters();
  std::printf(
      "%s: %.2f ms/frame, %d frames, %.0f pixels/frame, %.0f written/frame, %.0f triangles/frame, span %s\n",
      name, ms / frames, frames, static_cast<double>(c.pixelsIn) / frames,
      static_cast<double>(c.pixelsWritten) / frames, static_cast<double>(c.trianglesIn) / frames,
      rasterizer.SpanName());
  return 0;
}
