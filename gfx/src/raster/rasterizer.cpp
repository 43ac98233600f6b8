// rasterizer.cpp — the Rasterizer object: records state, derives it once per
// change, sets up triangles on the calling thread (eight at a time where
// AVX-512 and the state allow, else one triangle behind) and walks their
// spans, either at once (one thread) or through the queue the worker
// threads draw (draw_queue.h). Whatever is held back is drawn by Finish.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "clear.h"
#include "draw_queue.h"
#include "pipeline.h"
#include "setup.h"
#include "span.h"

namespace gfx {

using namespace raster;

namespace {

constexpr int kMaxThreads = 16;
// Targets whose colour and depth take more than this are drawn band by band
// (binned through the queue) with one thread too. Below it, 640x480 among
// them, drawing each triangle at once is faster.
constexpr size_t kBinnedBytes = 4u << 20;

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

// Two threads where the machine has two cores or more: the second core takes
// on about half the drawing, more threads than that mostly contend with the
// program.
int DefaultThreadCount() {
  if (int fromEnvironment = ThreadCountFromEnvironment()) return fromEnvironment;
  unsigned cores = std::thread::hardware_concurrency();
  return cores >= 2 ? 2 : 1;
}

// A target the pipeline can draw into: one colour buffer (16 or 32 bits a
// pixel), a size, rows at least that wide and an internal scale of 1 to 4.
bool Drawable(const Framebuffer& target) {
  return (target.colour != nullptr) != (target.colour32 != nullptr) && target.width > 0 &&
         target.height > 0 && target.stride >= target.width && target.scale >= 1 && target.scale <= 4;
}

}  // namespace

struct Rasterizer::Impl {
  RecordedState pending;
  bool dirty = true;
  bool referenceOnly = false;
  bool colour32 = false;  // the targets keep 8 bits a channel (Derive picks the spans that draw them)
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

  // The queue that the worker threads draw, and that one thread draws band
  // by band on large targets (made when first needed).
  int threadCount = 1;
  int tileRows = 0;  // SetTileRows
  std::unique_ptr<DrawQueue> queue;

  // Whether triangles on target go through the queue.
  bool Binned(const Framebuffer& target) const {
    if (threadCount > 1 || tileRows > 0) return true;
    return tileRows == 0 &&
           static_cast<size_t>(target.width) * static_cast<size_t>(target.height) * 4 > kBinnedBytes;
  }
  DrawQueue& Queue() {
    if (!queue) queue = std::make_unique<DrawQueue>(threadCount, &counters, std::max(tileRows, 0));
    return *queue;
  }

  // The last few states derived, most recently used first: a program that
  // switches between a few textures (one per object) derives each once.
  static constexpr size_t kRecentStates = 8;
  std::vector<std::shared_ptr<Derived>> recent;

  const Derived& Current() {
    if (dirty || !derived) {
      if (!derived || !(derived->recorded == pending)) derived = FindOrDerive();
      dirty = false;
    }
    return *derived;
  }

  std::shared_ptr<const Derived> FindOrDerive() {
    for (size_t k = 0; k < recent.size(); ++k) {
      if (!(recent[k]->recorded == pending)) continue;
      std::rotate(recent.begin(), recent.begin() + static_cast<ptrdiff_t>(k),
                  recent.begin() + static_cast<ptrdiff_t>(k) + 1);
      return recent.front();
    }
    // States recorded before texture memory last changed can never match
    // again; dropping them lets their decoded textures go. One that no
    // queued draw holds any more is derived again in place, so that a
    // program changing its palette every frame (a fade) reuses the memory of
    // the states it leaves behind.
    const uint64_t version = pending.state.texture.contentVersion;
    std::shared_ptr<Derived> reused = MakeRoom(&recent, kRecentStates, [&](const Derived& d) {
      return d.recorded.state.texture.contentVersion != version;
    });
    if (!reused) reused = std::make_shared<Derived>();
    Derive(pending, referenceOnly, colour32, simd, &caches, reused.get());
    recent.insert(recent.begin(), reused);
    return reused;
  }

  // Derived states no longer fit once the spans to pick change.
  void ForgetDerived() {
    derived.reset();
    recent.clear();
    dirty = true;
  }

  // Derives for the target's colour layout (a change is rare: a new window).
  void MatchLayout(const Framebuffer& target) {
    const bool wide = target.colour32 != nullptr;
    if (wide == colour32) return;
    Flush();
    colour32 = wide;
    ForgetDerived();
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
    const bool binned = Binned(batchTarget);
    if (!binned && batchDerived->triangles) {
      SpanContext ctx{batchDerived.get(), nullptr, &batchTarget, &counters};
      batchDerived->triangles(ctx, batchSetups, drawn);
      return;
    }
    for (; drawn != 0; drawn &= drawn - 1) {
      const TriangleSetup& tri = batchSetups[__builtin_ctz(drawn)];
      if (!binned) {
        SpanContext ctx{batchDerived.get(), &tri, &batchTarget, &counters};
        WalkTriangle(ctx, tri.rowStart, tri.rowEnd);
      } else {
        Queue().Add(batchDerived, tri, batchTarget);
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

  void Flush() {
    DrawWaiting();
    DrawBatch();
    if (queue) queue->Flush();
  }

  void SetThreads(int count, int rows) {
    Flush();
    queue.reset();
    threadCount = count;
    tileRows = rows;
    if (count > 1) Queue();  // the workers start now
  }
};

Rasterizer::Rasterizer() : impl(new Impl) {
  int count = DefaultThreadCount();
  if (count > 1) impl->SetThreads(count, 0);
}

Rasterizer::~Rasterizer() {
  impl->SetThreads(1, 0);
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
  if (!Drawable(target)) return;
  const RasterState& st = im.pending.state;
  if (Culled(a, b, c, st.cullMode)) {
    ++im.counters.trianglesCulled;
    return;
  }
  im.MatchLayout(target);
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
  if (!im.Binned(target)) {
    im.DrawWaiting();
    if (im.waitingDerived != im.derived) im.waitingDerived = im.derived;
    im.waitingTarget = target;
    im.waiting = true;
    im.nextSetup ^= 1;
    return;
  }
  im.DrawWaiting();  // a smaller target drawn before keeps its order
  im.Queue().Add(im.derived, tri, target);
}

void Rasterizer::Clear(const Framebuffer& target, uint32_t colour, uint8_t alpha, uint16_t depth,
                       bool writeColour, bool writeAux, bool auxIsDepth) {
  Impl& im = *impl;
  im.Flush();
  if (im.queue) im.queue->NewFrame();  // a clear most likely starts a frame
  if (!Drawable(target)) return;
  const RasterState& st = im.pending.state;
  ClearJob job;
  job.clip = ClipWindowOf(st, target);
  if (job.clip.Empty()) return;
  job.colour = colour;
  job.aux = auxIsDepth ? depth : alpha;
  job.ditherMode = st.ditherMode;
  job.writeColour = writeColour;
  job.writeAux = writeAux;
  // Through the queue, a band is cleared just before its triangles are drawn, while it is in the cache.
  if (im.Binned(target))
    im.Queue().AddClear(job, target);
  else
    ClearRows(job, target, job.clip.y0, job.clip.y1);
}

void Rasterizer::WriteThroughPipeline(const Framebuffer& target, const LfbPixel* pixels, size_t count) {
  Impl& im = *impl;
  im.Flush();
  if (!Drawable(target)) return;
  im.MatchLayout(target);
  const Derived& d = im.Current();
  const ClipWindow clip = ClipWindowOf(d.state, target);
  for (size_t i = 0; i < count; ++i) {
    const LfbPixel& p = pixels[i];
    if (p.x < clip.x0 || p.x >= clip.x1 || p.y < clip.y0 || p.y >= clip.y1) continue;
    ReferenceLfbPixel(d, target, p, &im.counters);
  }
}

void Rasterizer::Finish() {
  impl->Flush();
}

void Rasterizer::SetThreadCount(int count) {
  if (int fromEnvironment = ThreadCountFromEnvironment()) count = fromEnvironment;
  count = std::clamp(count, 1, kMaxThreads);
  if (count == impl->threadCount) return;
  impl->SetThreads(count, impl->tileRows);
}

void Rasterizer::SetTileRows(int rows) {
  rows = std::max(rows, -1);
  if (rows == impl->tileRows) return;
  impl->SetThreads(impl->threadCount, rows);
}

int Rasterizer::ThreadCount() const {
  return impl->threadCount;
}

void Rasterizer::SetReferenceOnly(bool referenceOnly) {
  impl->Flush();
  impl->referenceOnly = referenceOnly;
  impl->ForgetDerived();
}

void Rasterizer::SetSimd(Simd simd) {
  simd = std::min(simd, BestSimd());
  if (simd == impl->simd) return;
  impl->Flush();
  impl->simd = simd;
  impl->ForgetDerived();
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
