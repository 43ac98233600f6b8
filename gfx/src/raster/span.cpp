// span.cpp — the span walk with exact integer edge positions.
#include "span.h"

#include <algorithm>

namespace gfx::raster {

namespace {

int64_t CeilDiv(int64_t num, int64_t den) {  // den > 0
  int64_t q = num / den;
  return (num % den != 0 && num > 0) ? q + 1 : q;
}

// First pixel whose centre is at or right of edge (xa,ya)-(xb,yb) on the row
// whose centre is yc (all 12.4, yb > ya): ceil((x(yc) - 8) / 16).
int64_t EdgePixel(int64_t xa, int64_t ya, int64_t xb, int64_t yb, int64_t yc) {
  int64_t dy = yb - ya;
  return CeilDiv((xa - 8) * dy + (yc - ya) * (xb - xa), 16 * dy);
}

}  // namespace

void WalkTriangle(const SpanContext& ctx, int bandStart, int bandEnd) {
  const TriangleSetup& tri = *ctx.tri;
  int rowStart = std::max(tri.rowStart, bandStart);
  int rowEnd = std::min(tri.rowEnd, bandEnd);
  const int64_t* x = tri.x;
  const int64_t* y = tri.y;
  SpanFunction span = ctx.derived->span;
  for (int row = rowStart; row < rowEnd; ++row) {
    int64_t yc = int64_t{row} * 16 + 8;
    int64_t longEdge = EdgePixel(x[0], y[0], x[2], y[2], yc);
    int64_t shortEdge =
        yc < y[1] ? EdgePixel(x[0], y[0], x[1], y[1], yc) : EdgePixel(x[1], y[1], x[2], y[2], yc);
    int64_t left = tri.midOnLeft ? shortEdge : longEdge;
    int64_t right = tri.midOnLeft ? longEdge : shortEdge;
    left = std::max<int64_t>(left, tri.clipX0);
    right = std::min<int64_t>(right, tri.clipX1);
    if (left < right) span(ctx, row, static_cast<int>(left), static_cast<int>(right));
  }
}

}  // namespace gfx::raster
