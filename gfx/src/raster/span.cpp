// span.cpp — the span walk for states without a band function of their own.
#include "span.h"

namespace gfx::raster {

void WalkTriangle(const SpanContext& ctx, int bandStart, int bandEnd) {
  if (BandFunction band = ctx.derived->band) return band(ctx, bandStart, bandEnd);
  SpanFunction span = ctx.derived->span;
  WalkRows(*ctx.tri, bandStart, bandEnd, [&](int y, int x0, int x1) { span(ctx, y, x0, x1); });
}

}  // namespace gfx::raster
