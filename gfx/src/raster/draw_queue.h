// draw_queue.h — set-up triangles (and clears) queued for worker threads. Every row of
// the target belongs to one thread at a time, which draws the triangles on
// it in the order they were queued, so the picture is the one a single
// thread draws.
//
// The regions are also kept to a band of rows whose colour and depth fit
// the processor's cache (a tile as wide as the target), so that every
// triangle on a band finds its pixels there: on a large target (an internal
// scale) the buffers no longer fit the cache whole. With one thread the
// queue is the same, without workers: the calling thread draws band by band.
//
// While triangles are being queued, each worker already draws them on a
// stripe of its own: the bottom rows that held a share of the work when the
// same pass of the last frame was drawn. At the flush the rows above the
// stripes are split into regions of about equal estimated work, each worker
// hands over what it has not drawn of its stripe (split likewise, from the
// first triangle it has not drawn there), and all threads, the flushing one
// among them, take regions until none is left.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "clear.h"
#include "pipeline.h"
#include "setup.h"

namespace gfx::raster {

class DrawQueue {
 public:
  // threads: 1 or more, the calling thread among them. Pixel counts go to
  // *counters at each flush. tileRows: the most rows of a region, 0 for as
  // many as fit kTileBytes of colour and depth.
  DrawQueue(int threads, RasterCounters* counters, int tileRows = 0);
  ~DrawQueue();  // draws what is still queued
  DrawQueue(const DrawQueue&) = delete;
  DrawQueue& operator=(const DrawQueue&) = delete;

  // Queues a set-up triangle (drawn with state into target); draws the
  // queue when it is full.
  void Add(const std::shared_ptr<const Derived>& state, const TriangleSetup& tri, const Framebuffer& target);
  // Queues a clear of target, drawn in order with the triangles.
  void AddClear(const ClearJob& clear, const Framebuffer& target);
  // Draws everything queued and waits for it.
  void Flush();
  // The next flush draws the first pass of a frame.
  void NewFrame() { pass = 0; }

 private:
  struct Command;
  struct RowWork {
    int top = 0;
    std::vector<double> above;  // above[i]: the work of rows [top, top + i)
    size_t triangles = 0;
  };

  // What drawing a triangle costs, in pixels' worth: its area (at most its
  // rows times the clip window's width) and an overhead per row and per triangle.
  static float EstimatedWork(const TriangleSetup& tri);
  // The same for a clear.
  static float EstimatedWork(const ClearJob& clear);
  // Appends a command and its rows, and draws the queue when it is full.
  void Queued(int start, int end, float work);

  // The rows of a queued triangle and the estimated work of drawing them.
  struct Rows {
    int start, end;
    float work;
  };
  // Rows [from, to) to draw from queued triangle `first` on.
  struct Region {
    int from, to;
    size_t first;
  };
  // The work above each row of rows [from, to) of triangles [first, last),
  // each triangle's spread evenly over its rows; false where none has rows.
  static bool WorkAbove(const Rows* rows, size_t first, size_t last, int from, int to, RowWork* work);
  // Splits the rows [from, to) of triangles [first, last) into up to `pieces`
  // regions of about equal work (each triangle's spread evenly over its
  // rows), each cut again into regions of at most maxRows rows, appended to
  // *out; none where no triangle has rows. *work is scratch, kept by the
  // caller so that a frame allocates nothing.
  static void Split(const Rows* rows, size_t first, size_t last, int from, int to, int pieces, int maxRows,
                    RowWork* work, std::vector<Region>* out);
  // The most rows of a region on targets as wide as the queued triangle's.
  int MaxRows(size_t triangle) const;

  // Scratch for a target of `height` rows, before the workers start on a queue.
  void ReserveRows(int height);
  void Open();
  void RecordWork();
  size_t Stream(int from, int to, RasterCounters* out);
  void HandOver(int worker, int from, int to, size_t first);
  bool TakeRegion(Region* region);
  void DrawRegions(RasterCounters* out);
  void DrawRange(size_t first, size_t last, int from, int to, RasterCounters* out) const;
  void WorkerLoop(int index);

  const int threads;
  const int tileRows;    // as asked, 0: by kTileBytes
  const bool mayStream;  // one thread per core at most
  RasterCounters* const counters;

  // Written by the queueing thread only. The lists are reserved in full, so
  // that they never move while workers read them.
  std::vector<Command> commands;
  std::vector<Rows> rows;
  std::vector<ClearJob> clears;                        // the queued clears, which their commands index
  std::vector<std::shared_ptr<const Derived>> states;  // held for the commands
  RowWork history[4];  // the work by row of the last flushes, by their order in the frame
  int pass = 0;
  // The flush's scratch: the regions it splits off (swapped with `regions`)
  // and the work by row it splits them by.
  std::vector<Region> flushRegions;
  RowWork flushWork;

  // Set before the workers start on a queue.
  const Command* commandData = nullptr;
  const Rows* rowData = nullptr;
  const ClearJob* clearData = nullptr;
  std::vector<int> stripeEdges;  // worker i streams rows [stripeEdges[i - 1], stripeEdges[i])
  int streamTop = 0;             // the first row of the stripes
  bool streaming = false;        // whether the workers were started at the first triangle

  // Each on a line of its own: published changes with every triangle queued.
  alignas(64) std::atomic<size_t> published{0};
  alignas(64) std::atomic<bool> closed{false};

  alignas(64) std::mutex mutex;
  std::condition_variable wake, regionsChanged, done;
  uint64_t generation = 0;  // one per queue the workers start on
  int drawingPriority = 0;  // the queueing thread's, when it last started the workers
  int running = 0;          // workers not yet done with the queue
  bool quit = false;
  std::vector<Region> regions;  // the flush's regions, taken in order
  size_t nextRegion = 0;
  int handedOver = 0;  // workers whose stripes are in regions

  std::vector<RasterCounters> workerCounters;
  // Each worker's scratch for handing over its stripe, kept like the flush's.
  struct HandOverScratch {
    RowWork work;
    std::vector<Region> rest;
  };
  std::vector<HandOverScratch> handOverScratch;
  std::vector<std::thread> workers;
};

}  // namespace gfx::raster
