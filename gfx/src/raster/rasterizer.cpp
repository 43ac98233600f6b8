// rasterizer.cpp — the Rasterizer object: state recording and draw entry points.
#include "raster.h"

namespace gfx {

struct Rasterizer::Impl {
  RasterState state;
  RasterCounters counters;
};

Rasterizer::Rasterizer() : impl(new Impl) {}
Rasterizer::~Rasterizer() {
  delete impl;
}
void Rasterizer::SetState(const RasterState& state) {
  impl->state = state;
}
void Rasterizer::DrawTriangle(const VertexIn&, const VertexIn&, const VertexIn&, const Framebuffer&) {
  ++impl->counters.trianglesIn;
}
void Rasterizer::Clear(const Framebuffer&, uint32_t, uint8_t, uint16_t, bool, bool, bool) {}
void Rasterizer::Finish() {}
void Rasterizer::SetThreadCount(int) {}
void Rasterizer::SetReferenceOnly(bool) {}
const RasterCounters& Rasterizer::Counters() const {
  return impl->counters;
}
void Rasterizer::ResetCounters() {
  impl->counters = RasterCounters{};
}

}  // namespace gfx
