// span.h — the span walk: for each covered row of a set-up triangle inside a
// band of rows, the first and last pixel by the top-left rule, handed to the
// span function of the current state.
#pragma once

#include "pipeline.h"
#include "setup.h"

namespace gfx::raster {

// Walks rows [bandStart, bandEnd) of the triangle (already clipped to the
// clip window) and calls ctx.derived->span for every non-empty span. A pixel
// is covered when its centre lies inside: left edges and the top inclusive,
// right edges and the bottom exclusive, so triangles sharing an edge cover
// every pixel along it exactly once.
void WalkTriangle(const SpanContext& ctx, int bandStart, int bandEnd);

}  // namespace gfx::raster
