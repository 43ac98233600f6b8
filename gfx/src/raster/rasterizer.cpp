// rasterizer.cpp — the Rasterizer object: records state, derives it once per
// change, sets up triangles on the calling thread (eight at a time where
// AVX-512 and the state allow, else one triangle behind) and walks their
// spans, either at once (one thread) or queued and split into regions of
// rows for worker threads (every pixel belongs to one region, drawn by one
// thread, so each pixel sees the draws in the order they were made, whatever
// the thread count). Whatever is held back is drawn by Finish.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "dither.h"
#include "pipeline.h"
#include "setup.h"
#include "span.h"

namespace gfx {

using namespace raster;

namespace {

constexpr size_t kQueueLimit = 8192;  // queued triangles before the workers are started anyway
constexpr int kMaxThreads = 16;
// Regions per thread: a few, so that a thread whose regions took less than
// their estimate takes another, while few triangles straddle two regions
// (each part of such a triangle is walked and set going on its own).
constexpr int kRegionsPerThread = 4;

// A queued triangle. Its state is held by the queue's list of states: a
// reference count per triangle would be an atomic operation per triangle.
struct Command {
  const Derived* derived;
  TriangleSetup tri;
  Framebuffer target;
};

// The rows of a queued triangle and the estimated work of drawing them, in
// pixels' worth, kept apart from the commands so that the threads scan a
// compact list for the triangles of their region.
struct QueuedRows {
  int start, end;
  float work;
};

// Its area (at most its rows times the clip window's width), plus the
// overhead of each row and of the triangle itself, as measured on the
// programs' scenes.
float EstimatedWork(const TriangleSetup& tri) {
  constexpr double kRowCost = 4.0, kTriangleCost = 8.0;
  const double rows = tri.rowEnd - tri.rowStart;
  const auto d = [](int64_t v) { return static_cast<double>(v); };
  const double twiceArea = std::abs(d(tri.x[1] - tri.x[0]) * d(tri.y[2] - tri.y[0]) -
                                    d(tri.x[2] - tri.x[0]) * d(tri.y[1] - tri.y[0]));  // 1/256 pixels
  const double pixels = std::min(twiceArea / 512.0, rows * (tri.clipX1 - tri.clipX0));
  return static_cast<float>(pixels + kRowCost * rows + kTriangleCost);
}

// GLIDE_THREADS=n (1..kMaxThreads) as the user set it, or 0 when unset or not a number.
int ThreadCountFromEnvironment() {
  const char* text = std::getenv("GLIDE_THREADS");
  if (text == nullptr || *text == '\0') return 0;
  char* end = nullptr;
  long count = std::strtol(text, &end, 10);
  if (*end != '\0' || count < 1) return 0;
  return static_cast<int>(std::min<long>(count, kMaxThreads));
}

// GLIDE_SIMD=sse2 or avx2 keeps the spans to those instructions on a
// processor that has more (for comparing them, or working around a fault);
// the default and anything else is the widest the processor runs.
Rasterizer::Simd SimdFromEnvironment() {
  const char* text = std::getenv("GLIDE_SIMD");
  if (text != nullptr && std::strcmp(text, "sse2") == 0) return Rasterizer::Simd::kSse2;
  if (text != nullptr && std::strcmp(text, "avx2") == 0) return std::min(Rasterizer::Simd::kAvx2, BestSimd());
  return BestSimd();
}

// Two threads where the machine has two cores or more: the second core halves
// the frame time, more threads than that mostly contend with the program.
int DefaultThreadCount() {
  if (int fromEnvironment = ThreadCountFromEnvironment()) return fromEnvironment;
  unsigned cores = std::thread::hardware_concurrency();
  return cores >= 2 ? 2 : 1;
}

}  // namespace

struct Rasterizer::Impl {
  RecordedState pending;
  bool dirty = true;
  bool referenceOnly = false;
  std::shared_ptr<const Derived> derived;
  Simd simd = SimdFromEnvironment();
  DeriveCaches caches;
  RasterCounters counters;

  // One thread: a triangle is walked once the next one is set up (or at the
  // next flush). Setup is a chain of divisions the processor waits on; with
  // the previous triangle's pixels after it in the instruction stream, it
  // has work to do meanwhile. The setups alternate between two slots.
  TriangleSetup setups[2];
  int nextSetup = 0;
  bool waiting = false;  // setups[nextSetup ^ 1] is set up and not walked yet
  std::shared_ptr<const Derived> waitingDerived;
  Framebuffer waitingTarget;

  // With AVX-512, consecutive triangles of one state and target that need
  // only the W, S and T planes are set up eight at a time, then drawn (or
  // queued) in their order.
  TriangleBatch batch;
  std::shared_ptr<const Derived> batchDerived;
  Framebuffer batchTarget;
  TriangleSetup batchSetups[8];

  // Worker pool: at a flush the queued rows are split into regions, which
  // the workers (1..n-1) and the calling thread take one at a time until
  // none is left.
  int threadCount = 1;
  std::vector<Command> queue;
  std::vector<QueuedRows> queueRows;                        // one per command
  std::vector<std::shared_ptr<const Derived>> queueStates;  // the states the commands use
  std::vector<double> rowWorkStep;
  std::vector<int> regionEdges;  // region k is rows [edges[k], edges[k + 1])
  int regionCount = 0;
  std::atomic<int> nextRegion{0};
  std::vector<std::thread> workers;
  std::vector<RasterCounters> workerCounters;
  std::mutex mutex;
  std::condition_variable wake, done;
  uint64_t generation = 0;
  int running = 0;
  bool quit = false;

  const Derived& Current() {
    if (dirty || !derived) {
      if (!derived || !(derived->recorded == pending)) {
        auto fresh = std::make_shared<Derived>();
        Derive(pending, referenceOnly, simd, &caches, fresh.get());
        derived = std::move(fresh);
      }
      dirty = false;
    }
    return *derived;
  }

  void Enqueue(const std::shared_ptr<const Derived>& state, const TriangleSetup& tri,
               const Framebuffer& target) {
    if (tri.rowStart >= tri.rowEnd) return;
    if (queueStates.empty() || queueStates.back() != state) queueStates.push_back(state);
    queue.emplace_back(state.get(), tri, target);  // built in place: no temporary to copy
    queueRows.push_back(QueuedRows{tri.rowStart, tri.rowEnd, EstimatedWork(tri)});
    if (queue.size() >= kQueueLimit) Flush();
  }

  // Splits the queued triangles' rows into regions of about equal estimated
  // work: each triangle's work spread evenly over its rows.
  void SplitRows() {
    int top = queueRows.front().start, bottom = queueRows.front().end;
    for (const QueuedRows& rows : queueRows) {
      top = std::min(top, rows.start);
      bottom = std::max(bottom, rows.end);
    }
    // Change of the work per row at each row, from the top.
    rowWorkStep.assign(static_cast<size_t>(bottom - top) + 1, 0.0);
    double total = 0;
    for (const QueuedRows& rows : queueRows) {
      const double perRow = rows.work / (rows.end - rows.start);
      rowWorkStep[static_cast<size_t>(rows.start - top)] += perRow;
      rowWorkStep[static_cast<size_t>(rows.end - top)] -= perRow;
      total += rows.work;
    }
    regionCount = threadCount * kRegionsPerThread;
    regionEdges.resize(static_cast<size_t>(regionCount) + 1);
    regionEdges[0] = top;
    int region = 1;
    double perRow = 0, above = 0;  // work of the current row, of the rows above it and it
    for (int y = top; y < bottom; ++y) {
      perRow += rowWorkStep[static_cast<size_t>(y - top)];
      above += perRow;
      while (region < regionCount && above >= total * region / regionCount) regionEdges[region++] = y + 1;
    }
    while (region <= regionCount) regionEdges[region++] = bottom;
  }

  // Takes regions until none is left and draws every queued triangle's rows in each.
  void DrawRegions(RasterCounters* out) {
    for (int region; (region = nextRegion.fetch_add(1, std::memory_order_relaxed)) < regionCount;) {
      const int from = regionEdges[region], to = regionEdges[region + 1];
      if (from >= to) continue;
      for (size_t i = 0; i < queue.size(); ++i) {
        if (queueRows[i].end <= from || queueRows[i].start >= to) continue;
        const Command& command = queue[i];
        SpanContext ctx{command.derived, &command.tri, &command.target, out};
        WalkTriangle(ctx, from, to);
      }
    }
  }

  void DrawWaiting() {
    if (!waiting) return;
    waiting = false;
    const TriangleSetup& tri = setups[nextSetup ^ 1];
    SpanContext ctx{waitingDerived.get(), &tri, &waitingTarget, &counters};
    WalkTriangle(ctx, tri.rowStart, tri.rowEnd);
  }

  void DrawBatch() {
    if (batch.count == 0) return;
    const bool withLod = batchDerived->needsLod;
    uint32_t drawn = SetupTriangleBatch(batch, batchDerived->state, batchTarget, withLod, batchSetups);
    batch.count = 0;
    for (; drawn != 0; drawn &= drawn - 1) {
      const TriangleSetup& tri = batchSetups[__builtin_ctz(drawn)];
      if (threadCount <= 1) {
        SpanContext ctx{batchDerived.get(), &tri, &batchTarget, &counters};
        WalkTriangle(ctx, tri.rowStart, tri.rowEnd);
      } else {
        Enqueue(batchDerived, tri, batchTarget);
      }
    }
  }

  void AddToBatch(const VertexIn& a, const VertexIn& b, const VertexIn& c, const Framebuffer& target) {
    if (batch.count > 0 && (batchDerived != derived || batchTarget != target)) DrawBatch();
    if (batch.count == 0) {
      if (batchDerived != derived) batchDerived = derived;
      batchTarget = target;
    }
    batch.Add(a, b, c);
    if (batch.count == 8) DrawBatch();
  }

  void WorkerLoop(int index, uint64_t seen) {
    for (;;) {
      {
        std::unique_lock lock(mutex);
        wake.wait(lock, [&] { return quit || generation != seen; });
        if (quit) return;
        seen = generation;
      }
      DrawRegions(&workerCounters[index]);
      {
        std::lock_guard lock(mutex);
        if (--running == 0) done.notify_one();
      }
    }
  }

  void Flush() {
    DrawWaiting();
    DrawBatch();
    if (queue.empty()) return;
    SplitRows();
    {
      std::lock_guard lock(mutex);
      nextRegion.store(0, std::memory_order_relaxed);
      running = threadCount - 1;
      ++generation;
    }
    wake.notify_all();
    DrawRegions(&counters);
    {
      std::unique_lock lock(mutex);
      done.wait(lock, [&] { return running == 0; });
    }
    for (int i = 1; i < threadCount; ++i) {
      RasterCounters& c = workerCounters[i];
      counters.pixelsIn += c.pixelsIn;
      counters.depthFailed += c.depthFailed;
      counters.alphaFailed += c.alphaFailed;
      counters.chromaFailed += c.chromaFailed;
      counters.pixelsWritten += c.pixelsWritten;
      c = RasterCounters{};
    }
    queue.clear();
    queueRows.clear();
    queueStates.clear();
  }

  void StopWorkers() {
    Flush();
    {
      std::lock_guard lock(mutex);
      quit = true;
    }
    wake.notify_all();
    for (std::thread& worker : workers) worker.join();
    workers.clear();
    quit = false;
  }

  void StartWorkers(int count) {
    StopWorkers();
    threadCount = count;
    workerCounters.assign(count, RasterCounters{});
    for (int i = 1; i < count; ++i)
      workers.emplace_back([this, i, seen = generation] { WorkerLoop(i, seen); });
  }
};

Rasterizer::Rasterizer() : impl(new Impl) {
  int count = DefaultThreadCount();
  if (count > 1) impl->StartWorkers(count);
}

Rasterizer::~Rasterizer() {
  impl->StopWorkers();
  delete impl;
}

void Rasterizer::SetState(const RasterState& state) {
  RecordState(state, &impl->pending);
  impl->dirty = true;
}

void Rasterizer::DrawTriangle(const VertexIn& a, const VertexIn& b, const VertexIn& c,
                              const Framebuffer& target) {
  Impl& im = *impl;
  ++im.counters.trianglesIn;
  if (target.colour == nullptr || target.width <= 0 || target.height <= 0 || target.stride < target.width)
    return;
  const RasterState& st = im.pending.state;
  if (Culled(a, b, c, st.cullMode)) {
    ++im.counters.trianglesCulled;
    return;
  }
  const Derived& d = im.Current();
  // Without an aux buffer the fast paths hand their rows to the reference, which reads every plane.
  bool allPlanes = d.needsAllPlanes || target.depth == nullptr;
  if (!allPlanes && im.simd == Simd::kAvx512) {
    im.DrawWaiting();
    im.AddToBatch(a, b, c, target);
    return;
  }
  im.DrawBatch();
  TriangleSetup& tri = im.setups[im.nextSetup];
  if (!SetupTriangle(a, b, c, st, target, &tri, allPlanes, d.needsLod || allPlanes)) return;
  if (im.threadCount <= 1) {
    im.DrawWaiting();
    if (im.waitingDerived != im.derived) im.waitingDerived = im.derived;
    im.waitingTarget = target;
    im.waiting = true;
    im.nextSetup ^= 1;
    return;
  }
  im.Enqueue(im.derived, tri, target);
}

void Rasterizer::Clear(const Framebuffer& target, uint32_t colour, uint8_t alpha, uint16_t depth,
                       bool writeColour, bool writeAux, bool auxIsDepth) {
  Impl& im = *impl;
  im.Flush();
  if (target.colour == nullptr || target.width <= 0 || target.height <= 0 || target.stride < target.width)
    return;
  const RasterState& st = im.pending.state;
  const ClipWindow clip = ClipWindowOf(st, target);
  if (clip.Empty()) return;
  const int x0 = clip.x0, x1 = clip.x1, y0 = clip.y0, y1 = clip.y1;
  writeAux = writeAux && target.depth != nullptr;
  // Dither patterns repeat every four rows and columns, so the first four
  // rows are built pixel by pixel and every later row is a copy of the row
  // four above it (the aux value of the row above it).
  const int r = (colour >> 16) & 0xFF, g = (colour >> 8) & 0xFF, b = colour & 0xFF;
  const uint16_t aux = auxIsDepth ? depth : alpha;
  const ptrdiff_t stride = target.stride;
  const size_t rowBytes = static_cast<size_t>(x1 - x0) * sizeof(uint16_t);
  for (int y = y0; y < y1; ++y) {
    if (writeColour) {
      uint16_t* colourRow = target.colour + y * stride;
      if (y - y0 < 4) {
        uint16_t pattern[4];
        for (int k = 0; k < 4; ++k) pattern[k] = Dither565(r, g, b, k, y, st.ditherMode);
        for (int x = x0; x < x1; ++x) colourRow[x] = pattern[x & 3];
      } else {
        std::memcpy(colourRow + x0, colourRow - 4 * stride + x0, rowBytes);
      }
    }
    if (writeAux) {
      uint16_t* auxRow = target.depth + y * stride;
      if (y == y0)
        std::fill(auxRow + x0, auxRow + x1, aux);
      else
        std::memcpy(auxRow + x0, auxRow - stride + x0, rowBytes);
    }
  }
}

void Rasterizer::Finish() {
  impl->Flush();
}

void Rasterizer::SetThreadCount(int count) {
  if (int fromEnvironment = ThreadCountFromEnvironment()) count = fromEnvironment;
  count = std::clamp(count, 1, kMaxThreads);
  if (count == impl->threadCount) return;
  impl->StartWorkers(count);
}

int Rasterizer::ThreadCount() const {
  return impl->threadCount;
}

void Rasterizer::SetReferenceOnly(bool referenceOnly) {
  impl->Flush();
  impl->referenceOnly = referenceOnly;
  impl->derived.reset();
  impl->dirty = true;
}

void Rasterizer::SetSimd(Simd simd) {
  simd = std::min(simd, BestSimd());
  if (simd == impl->simd) return;
  impl->Flush();
  impl->simd = simd;
  impl->derived.reset();
  impl->dirty = true;
}

Rasterizer::Simd Rasterizer::CurrentSimd() const {
  return impl->simd;
}

const char* Rasterizer::SpanName() {
  return impl->Current().spanName;
}

const RasterCounters& Rasterizer::Counters() const {
  impl->Flush();
  return impl->counters;
}

void Rasterizer::ResetCounters() {
  impl->Flush();
  impl->counters = RasterCounters{};
}

}  // namespace gfx
