// draw_queue.cpp — the queue of set-up triangles and the worker threads
// that draw it.
#include "draw_queue.h"

#include "thread_priority.h"

#include <immintrin.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iterator>
#include <limits>
#include <utility>

#include "span.h"

namespace gfx::raster {

namespace {

constexpr size_t kQueueLimit = 8192;  // queued triangles before the queue is drawn anyway
constexpr size_t kClearLimit = 16;    // queued clears before the queue is drawn anyway
// Colour and depth of one band: half of a core's L2 cache on the machines we
// measured (1 MiB), so the band and the textures stay there while it is drawn.
constexpr size_t kTileBytes = 512 * 1024;
constexpr int kLeastTileRows = 8;  // fewer would mostly add walking per triangle and band
// Regions per thread at a flush: a few, so that a thread whose regions took
// less than their estimate takes another, while few triangles straddle two
// regions (each part of such a triangle is walked and set going on its own).
constexpr int kRegionsPerThread = 4;
// The share of the work the stripes take. What a worker has not drawn of
// its stripe by the flush is shared out again, so this only has to leave
// the flushing thread enough to do while the workers reach the end of the
// triangle they are drawing.
constexpr double kStreamedShare = 0.5;
// Streaming pays where queueing takes long: for many triangles. A pass of a
// few large ones is queued at once and drawn only at the flush.
constexpr size_t kStreamedTriangles = 1024;
// Past every row: the last stripe runs to the bottom of any target.
constexpr int kLastRow = std::numeric_limits<int>::max();
constexpr int kFirstRow = std::numeric_limits<int>::min();
// A worker that has drawn all that is queued on its stripe spins this many
// times, then looks again at this interval until the queue is flushed.
constexpr int kSpins = 2000;
constexpr std::chrono::microseconds kStreamPoll{100};

}  // namespace

// A queued triangle, or a clear. A triangle's state is held by the queue's
// list of states: a reference count per triangle would be an atomic
// operation per triangle.
struct DrawQueue::Command {
  // A constructor (not only an aggregate) so that emplace_back builds it in
  // place with every compiler, clang 14's included.
  Command(const Derived* derivedIn, const TriangleSetup& triIn, const Framebuffer& targetIn)
      : derived(derivedIn), tri(triIn), target(targetIn) {}
  Command(int clearIn, const Framebuffer& targetIn) : clear(clearIn), target(targetIn) {}
  const Derived* derived = nullptr;
  TriangleSetup tri{};
  int clear = -1;  // the index of a clear in the queue's list of them
  Framebuffer target;
};

float DrawQueue::EstimatedWork(const TriangleSetup& tri) {
  constexpr double kRowCost = 4.0, kTriangleCost = 8.0;  // as measured on the programs' scenes
  const double rowCount = tri.rowEnd - tri.rowStart;
  const auto d = [](int64_t v) { return static_cast<double>(v); };
  const double twiceArea = std::abs(d(tri.x[1] - tri.x[0]) * d(tri.y[2] - tri.y[0]) -
                                    d(tri.x[2] - tri.x[0]) * d(tri.y[1] - tri.y[0]));  // 1/256 pixels
  const double pixels = std::min(twiceArea / 512.0, rowCount * (tri.clipX1 - tri.clipX0));
  return static_cast<float>(pixels + kRowCost * rowCount + kTriangleCost);
}

float DrawQueue::EstimatedWork(const ClearJob& clear) {
  // Filling a pixel's colour and depth costs a small part of drawing one.
  constexpr double kPixelCost = 1.0 / 16, kRowCost = 1.0;
  const double rowCount = clear.clip.y1 - clear.clip.y0;
  return static_cast<float>(rowCount * ((clear.clip.x1 - clear.clip.x0) * kPixelCost + kRowCost));
}

bool DrawQueue::WorkAbove(const Rows* rows, size_t first, size_t last, int from, int to, RowWork* work) {
  int top = to, bottom = from;
  for (size_t i = first; i < last; ++i) {
    top = std::min(top, std::max(rows[i].start, from));
    bottom = std::max(bottom, std::min(rows[i].end, to));
  }
  if (top >= bottom) return false;
  // The change of the work per row at each row, then the work above each row.
  std::vector<double>& above = work->above;
  above.assign(static_cast<size_t>(bottom - top) + 1, 0.0);
  for (size_t i = first; i < last; ++i) {
    const int start = std::max(rows[i].start, top), end = std::min(rows[i].end, bottom);
    if (start >= end) continue;
    const double perRow = rows[i].work / (rows[i].end - rows[i].start);
    above[static_cast<size_t>(start - top)] += perRow;
    above[static_cast<size_t>(end - top)] -= perRow;
  }
  double perRow = 0, sum = 0;
  for (double& a : above) {
    perRow += std::exchange(a, sum);
    sum += perRow;
  }
  work->top = top;
  work->triangles = last - first;
  return true;
}

void DrawQueue::Split(const Rows* rows, size_t first, size_t last, int from, int to, int pieces, int maxRows,
                      RowWork* work, std::vector<Region>* out) {
  if (!WorkAbove(rows, first, last, from, to, work)) return;
  const std::vector<double>& above = work->above;
  const int top = work->top, bottom = top + static_cast<int>(above.size()) - 1;
  const double total = above.back();
  int edge = top;
  for (int piece = 1; piece <= pieces; ++piece) {
    int next = bottom;
    if (piece < pieces) {
      next = edge;
      while (next < bottom && above[static_cast<size_t>(next - top)] < total * piece / pieces) ++next;
    }
    if (next > edge) {
      // Bands of about equal height, none taller than maxRows.
      const int height = next - edge, bands = (height + maxRows - 1) / maxRows;
      for (int band = 0; band < bands; ++band)
        out->push_back(Region{edge + height * band / bands, edge + height * (band + 1) / bands, first});
    }
    edge = next;
  }
}

int DrawQueue::MaxRows(size_t triangle) const {
  if (tileRows > 0) return tileRows;
  const size_t rowBytes = static_cast<size_t>(std::max(commandData[triangle].target.width, 1)) * 4;
  return std::max(kLeastTileRows, static_cast<int>(std::min<size_t>(kTileBytes / rowBytes, kLastRow)));
}

DrawQueue::DrawQueue(int threads, RasterCounters* counters, int tileRows)
    : threads(threads),
      tileRows(tileRows),
      // Workers that wait for triangles by spinning must not take the cores the queueing thread needs.
      mayStream(static_cast<unsigned>(threads) <= std::thread::hardware_concurrency()),
      counters(counters),
      workerCounters(static_cast<size_t>(threads)),
      handOverScratch(static_cast<size_t>(threads)) {
  commands.reserve(kQueueLimit);
  rows.reserve(kQueueLimit);
  clears.reserve(kClearLimit);
  commandData = commands.data();
  rowData = rows.data();
  clearData = clears.data();
  stripeEdges.assign(static_cast<size_t>(threads), kLastRow);
  // The flush's regions and those every worker hands over (see Flush and HandOver).
  const int handedOverRegions = threads * kRegionsPerThread / 2;
  const auto mostRegions =
      static_cast<size_t>(threads * kRegionsPerThread + (threads - 1) * handedOverRegions);
  regions.reserve(mostRegions);
  flushRegions.reserve(mostRegions);
  for (HandOverScratch& scratch : handOverScratch)
    scratch.rest.reserve(static_cast<size_t>(handedOverRegions));
  for (int i = 1; i < threads; ++i) workers.emplace_back([this, i] { WorkerLoop(i); });
}

DrawQueue::~DrawQueue() {
  Flush();
  {
    std::lock_guard lock(mutex);
    quit = true;
  }
  wake.notify_all();
  for (std::thread& worker : workers) worker.join();
}

void DrawQueue::Add(const std::shared_ptr<const Derived>& state, const TriangleSetup& tri,
                    const Framebuffer& target) {
  if (tri.rowStart >= tri.rowEnd) return;
  if (commands.empty()) {
    ReserveRows(target.height);
    Open();
  }
  if (states.empty() || states.back() != state) states.push_back(state);
  commands.emplace_back(state.get(), tri, target);  // built in place: no temporary to copy
  Queued(tri.rowStart, tri.rowEnd, EstimatedWork(tri));
}

void DrawQueue::AddClear(const ClearJob& clear, const Framebuffer& target) {
  if (clear.clip.Empty()) return;
  if (clears.size() >= kClearLimit) Flush();
  if (commands.empty()) {
    ReserveRows(target.height);
    Open();
  }
  clears.push_back(clear);
  commands.emplace_back(static_cast<int>(clears.size() - 1), target);
  Queued(clear.clip.y0, clear.clip.y1, EstimatedWork(clear));
}

void DrawQueue::Queued(int start, int end, float work) {
  rows.push_back(Rows{start, end, work});
  published.store(commands.size(), std::memory_order_release);
  if (commands.size() >= kQueueLimit) Flush();
}

void DrawQueue::ReserveRows(int height) {
  // The work above each row of the target and past its last.
  const size_t entries = static_cast<size_t>(std::max(height, 0)) + 1;
  for (RowWork& work : history) work.above.reserve(entries);
  flushWork.above.reserve(entries);
  for (HandOverScratch& scratch : handOverScratch) scratch.work.above.reserve(entries);
}

// Places the stripes by the work of the same pass of the last frame (none
// before there is one) and starts the workers on them.
void DrawQueue::Open() {
  const int stripes = threads - 1;
  stripeEdges.assign(static_cast<size_t>(threads), kLastRow);
  const RowWork& last = history[std::min<size_t>(static_cast<size_t>(pass), std::size(history) - 1)];
  if (mayStream && last.triangles >= kStreamedTriangles) {
    const double total = last.above.back();
    int edge = 0;
    for (size_t y = 0; y < last.above.size() && edge < stripes; ++y)
      while (edge < stripes &&
             last.above[y] >= total * (1.0 - kStreamedShare + kStreamedShare * edge / stripes))
        stripeEdges[static_cast<size_t>(edge++)] = last.top + static_cast<int>(y);
  }
  streamTop = stripeEdges[0];
  published.store(0, std::memory_order_relaxed);
  streaming = streamTop != kLastRow;
  if (!streaming) return;  // the workers start at the flush
  const int priority = CurrentThreadPriority();
  {
    std::lock_guard lock(mutex);
    closed.store(false, std::memory_order_relaxed);
    running = threads - 1;
    drawingPriority = priority;
    ++generation;
  }
  wake.notify_all();
}

// Keeps the work by row of what is queued, for placing the stripes of the
// same pass next frame.
void DrawQueue::RecordWork() {
  WorkAbove(rowData, 0, rows.size(), kFirstRow, kLastRow,
            &history[std::min<size_t>(static_cast<size_t>(pass), std::size(history) - 1)]);
}

void DrawQueue::Flush() {
  if (commands.empty()) return;
  RecordWork();
  flushRegions.clear();
  Split(rowData, 0, commands.size(), kFirstRow, streamTop, threads * kRegionsPerThread, MaxRows(0),
        &flushWork, &flushRegions);
  const int priority = streaming ? 0 : CurrentThreadPriority();
  {
    std::lock_guard lock(mutex);
    // The last flush's regions are all taken: their list is the next flush's scratch.
    regions.swap(flushRegions);
    nextRegion = 0;
    handedOver = 0;
    closed.store(true, std::memory_order_release);
    if (!streaming) {
      running = threads - 1;
      drawingPriority = priority;
      ++generation;
    }
  }
  wake.notify_all();
  DrawRegions(counters);
  {
    std::unique_lock lock(mutex);
    done.wait(lock, [&] { return running == 0; });
  }
  for (RasterCounters& c : workerCounters) {
    counters->pixelsIn += c.pixelsIn;
    counters->depthFailed += c.depthFailed;
    counters->alphaFailed += c.alphaFailed;
    counters->chromaFailed += c.chromaFailed;
    counters->pixelsWritten += c.pixelsWritten;
    c = RasterCounters{};
  }
  commands.clear();
  rows.clear();
  clears.clear();
  states.clear();
  pass = std::min(pass + 1, static_cast<int>(std::size(history)) - 1);
}

void DrawQueue::DrawRange(size_t first, size_t last, int from, int to, RasterCounters* out) const {
  for (size_t i = first; i < last; ++i) {
    if (rowData[i].end <= from || rowData[i].start >= to) continue;
    const Command& command = commandData[i];
    if (command.clear >= 0) {
      ClearRows(clearData[command.clear], command.target, from, to);
      continue;
    }
    SpanContext ctx{command.derived, &command.tri, &command.target, out};
    WalkTriangle(ctx, from, to);
  }
}

// Draws the queued triangles on rows [from, to) as they come, until the
// queue is flushed: the first triangle not drawn there.
size_t DrawQueue::Stream(int from, int to, RasterCounters* out) {
  size_t drawn = 0;
  if (from >= to) {
    std::unique_lock lock(mutex);
    wake.wait(lock, [&] { return closed.load(std::memory_order_relaxed); });
    return drawn;
  }
  for (int idle = 0;;) {
    const size_t count = published.load(std::memory_order_acquire);
    for (; drawn < count; ++drawn, idle = 0) {
      if (closed.load(std::memory_order_relaxed)) return drawn;
      DrawRange(drawn, drawn + 1, from, to, out);
    }
    if (closed.load(std::memory_order_relaxed)) return drawn;
    if (++idle < kSpins) {
      _mm_pause();
      continue;
    }
    std::unique_lock lock(mutex);
    wake.wait_for(lock, kStreamPoll, [&] {
      return closed.load(std::memory_order_relaxed) || published.load(std::memory_order_relaxed) != count;
    });
  }
}

// Puts what is left of a worker's stripe, triangles [first, end) on rows
// [from, to), among the flush's regions.
void DrawQueue::HandOver(int worker, int from, int to, size_t first) {
  // Reading closed as the flush set it makes the whole queue visible.
  (void)closed.load(std::memory_order_acquire);
  HandOverScratch& scratch = handOverScratch[static_cast<size_t>(worker)];
  std::vector<Region>& rest = scratch.rest;
  rest.clear();
  const size_t count = published.load(std::memory_order_acquire);
  if (from < to)
    Split(rowData, first, count, from, to, threads * kRegionsPerThread / 2, MaxRows(0), &scratch.work, &rest);
  {
    std::lock_guard lock(mutex);
    regions.insert(regions.end(), rest.begin(), rest.end());
    ++handedOver;
  }
  regionsChanged.notify_all();
}

// The next region to draw; false once every region is taken and no worker has any more to hand over.
bool DrawQueue::TakeRegion(Region* region) {
  std::unique_lock lock(mutex);
  for (;;) {
    if (nextRegion < regions.size()) {
      *region = regions[nextRegion++];
      return true;
    }
    if (handedOver == threads - 1) return false;
    regionsChanged.wait(lock);
  }
}

void DrawQueue::DrawRegions(RasterCounters* out) {
  const size_t count = published.load(std::memory_order_acquire);
  for (Region region; TakeRegion(&region);) DrawRange(region.first, count, region.from, region.to, out);
}

void DrawQueue::WorkerLoop(int index) {
  // A thread starts at its creator's priority; from then on it follows the
  // drawing thread's whenever that changes.
  int applied = CurrentThreadPriority();
  for (uint64_t seen = 0;;) {
    int wanted;
    {
      std::unique_lock lock(mutex);
      wake.wait(lock, [&] { return quit || generation != seen; });
      if (quit) return;
      seen = generation;
      wanted = drawingPriority;
    }
    if (wanted != applied) {
      SetCurrentThreadPriority(wanted);
      applied = wanted;  // tried once: a refusal is not asked again every frame
    }
    RasterCounters* out = &workerCounters[static_cast<size_t>(index)];
    const int from = stripeEdges[static_cast<size_t>(index) - 1],
              to = stripeEdges[static_cast<size_t>(index)];
    HandOver(index, from, to, Stream(from, to, out));
    DrawRegions(out);
    {
      std::lock_guard lock(mutex);
      if (--running == 0) done.notify_one();
    }
  }
}

}  // namespace gfx::raster
