// span.h — the span walk: for each covered row of a set-up triangle inside a
// band of rows, the first and last pixel by the top-left rule, handed to the
// span function of the current state (or walked by the state's band function,
// which draws the rows itself with its per-triangle values hoisted).
#pragma once

#include <algorithm>

#include "pipeline.h"
#include "setup.h"

namespace gfx::raster {

// First pixel whose centre is at or right of edge (xa,ya)-(xb,yb) (12.4,
// yb > ya), row after row: ceil(((xa - 8) * dy + (yc - ya) * (xb - xa)) / (16 * dy))
// for the row centre yc, kept as an exact quotient and remainder that step by
// 16 * (xb - xa) per row, so no row needs a division.
class EdgeStepper {
 public:
  void Start(int64_t xa, int64_t ya, int64_t xb, int64_t yb, int64_t yc) {
    den = 16 * (yb - ya);
    int64_t num = (xa - 8) * (yb - ya) + (yc - ya) * (xb - xa);
    quotient = CeilDiv(num, den);
    remainder = num - quotient * den;  // in (-den, 0]
    int64_t step = 16 * (xb - xa);
    stepQuotient = FloorDiv(step, den);
    stepRemainder = step - stepQuotient * den;  // in [0, den)
  }
  int64_t Pixel() const { return quotient; }
  // Without a branch: whether the remainder carries changes from row to row
  // with no pattern a predictor could learn.
  void NextRow() {
    quotient += stepQuotient;
    remainder += stepRemainder;
    const int64_t carry = remainder > 0;
    quotient += carry;
    remainder -= den & -carry;
  }

  static int64_t CeilDiv(int64_t num, int64_t den) {  // den > 0
    int64_t q = num / den;
    return (num % den != 0 && num > 0) ? q + 1 : q;
  }
  static int64_t FloorDiv(int64_t num, int64_t den) {  // den > 0
    int64_t q = num / den;
    return (num % den != 0 && num < 0) ? q - 1 : q;
  }

 private:
  int64_t den = 1, quotient = 0, remainder = 0, stepQuotient = 0, stepRemainder = 0;
};

// The non-empty spans of rows [bandStart, bandEnd) of a triangle (already
// clipped to the clip window), top to bottom. A pixel is covered when its
// centre lies inside: left edges and the top inclusive, right edges and the
// bottom exclusive, so triangles sharing an edge cover every pixel along it
// exactly once.
class RowWalker {
 public:
  [[gnu::always_inline]] RowWalker(const TriangleSetup& tri, int bandStart, int bandEnd)
      : tri(tri), row(std::max(tri.rowStart, bandStart)), rowEnd(std::min(tri.rowEnd, bandEnd)) {
    if (row >= rowEnd) return;
    yc = int64_t{row} * 16 + 8;
    longEdge.Start(tri.x[0], tri.y[0], tri.x[2], tri.y[2], yc);
    upper = yc < tri.y[1];
    if (upper)
      shortEdge.Start(tri.x[0], tri.y[0], tri.x[1], tri.y[1], yc);
    else
      shortEdge.Start(tri.x[1], tri.y[1], tri.x[2], tri.y[2], yc);
  }

  // The next row with a non-empty span: false once the band is done.
  [[gnu::always_inline]] bool Next(int* y, int* x0, int* x1) {
    for (; row < rowEnd; ++row, yc += 16) {
      if (upper && yc >= tri.y[1]) {
        upper = false;
        shortEdge.Start(tri.x[1], tri.y[1], tri.x[2], tri.y[2], yc);
      }
      int64_t left = tri.midOnLeft ? shortEdge.Pixel() : longEdge.Pixel();
      int64_t right = tri.midOnLeft ? longEdge.Pixel() : shortEdge.Pixel();
      longEdge.NextRow();
      shortEdge.NextRow();
      left = std::max<int64_t>(left, tri.clipX0);
      right = std::min<int64_t>(right, tri.clipX1);
      if (left < right) {
        *y = row++;
        yc += 16;
        *x0 = static_cast<int>(left);
        *x1 = static_cast<int>(right);
        return true;
      }
    }
    return false;
  }

 private:
  const TriangleSetup& tri;
  int row, rowEnd;
  int64_t yc = 0;
  bool upper = false;
  EdgeStepper longEdge, shortEdge;
};

// Calls draw(y, x0, x1) for every non-empty span of rows [bandStart, bandEnd)
// of the triangle. (Band functions compiled for other instructions walk the
// rows with RowWalker themselves, so their row code stays inline.)
template <class Draw>
inline void WalkRows(const TriangleSetup& tri, int bandStart, int bandEnd, Draw&& draw) {
  RowWalker walker(tri, bandStart, bandEnd);
  int y = 0, x0 = 0, x1 = 0;
  while (walker.Next(&y, &x0, &x1)) draw(y, x0, x1);
}

// The fast spans test depth in the aux buffer; without one the reference
// draws their rows. True when it did.
inline bool DrawnWithoutAuxBuffer(const SpanContext& ctx, int bandStart, int bandEnd) {
  if (ctx.target->depth != nullptr) return false;
  const SpanFunction span = ctx.target->colour32 ? ReferenceSpan32 : ReferenceSpan;
  WalkRows(*ctx.tri, bandStart, bandEnd, [&](int y, int x0, int x1) { span(ctx, y, x0, x1); });
  return true;
}

// Walks rows [bandStart, bandEnd) of the triangle: the state's band function
// when it has one, else the span function row by row.
void WalkTriangle(const SpanContext& ctx, int bandStart, int bandEnd);

}  // namespace gfx::raster
