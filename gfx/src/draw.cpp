// draw.cpp — the drawing calls: triangles go to the rasteriser as they are;
// points, lines and polygons are turned into triangles first.
#include <cmath>
#include <cstring>

#include "draw.h"

#include "context.h"
#include "record.h"

namespace gfx {

static_assert(sizeof(VertexIn) == sizeof(GrVertex), "the rasteriser reads GrVertex's layout");

namespace {

VertexIn ToVertexIn(const GrVertex& v) {
  VertexIn out;
  std::memcpy(&out, &v, sizeof out);
  return out;
}

}  // namespace

bool ReadyToDraw(const char* function) {
  if (!RequireOpen(function)) return false;
  ApplyState();
  return true;
}

void Triangle(const GrVertex& a, const GrVertex& b, const GrVertex& c) {
  Context& ctx = Ctx();
  const Framebuffer target = RenderTarget();
  if (!target.colour && !target.colour32) return;
  ctx.rasterizer->DrawTriangle(ToVertexIn(a), ToVertexIn(b), ToVertexIn(c), target);
  // The program may read or write through a lock next: the triangle lands first.
  if (ctx.lfbLocks) {
    ctx.rasterizer->Finish();
    SyncLfbCopies();
  }
}

float SignedArea(const GrVertex& a, const GrVertex& b, const GrVertex& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Points and lines are not meant to be culled: emit their triangles with the
// winding the current cull mode keeps.
void Uncullable(const GrVertex& a, const GrVertex& b, const GrVertex& c) {
  const float area = SignedArea(a, b, c);
  const int cull = Ctx().settings.cullMode;
  const bool flip = (cull == GR_CULL_POSITIVE && area > 0) || (cull == GR_CULL_NEGATIVE && area < 0);
  if (flip)
    Triangle(a, c, b);
  else
    Triangle(a, b, c);
}

namespace {

void Fan(int count, const GrVertex* (*at)(int, const void*), const void* source, bool planar) {
  const GrVertex* v0 = at(0, source);
  if (!v0) return;
  if (planar) {
    // One facing for the whole polygon: its first triangle with an area decides.
    const int cull = Ctx().settings.cullMode;
    for (int i = 1; i + 1 < count; ++i) {
      const GrVertex* v1 = at(i, source);
      const GrVertex* v2 = at(i + 1, source);
      if (!v1 || !v2) return;
      const float area = SignedArea(*v0, *v1, *v2);
      if (area == 0 || std::isnan(area)) continue;
      if ((cull == GR_CULL_POSITIVE && area > 0) || (cull == GR_CULL_NEGATIVE && area < 0)) return;
      break;
    }
  }
  for (int i = 1; i + 1 < count; ++i) {
    const GrVertex* v1 = at(i, source);
    const GrVertex* v2 = at(i + 1, source);
    if (!v1 || !v2) return;
    Triangle(*v0, *v1, *v2);
  }
}

struct Indexed {
  const int* indices;
  const GrVertex* vertices;
};

const GrVertex* FromList(int i, const void* source) {
  return static_cast<const GrVertex*>(source) + i;
}

const GrVertex* FromIndices(int i, const void* source) {
  const Indexed* s = static_cast<const Indexed*>(source);
  const int index = s->indices[i];
  if (index < 0) {
    ReportError("grDrawPolygon", "negative vertex index");
    return nullptr;
  }
  return s->vertices + index;
}

void Polygon(const char* function, int count, const int* indices, const GrVertex* vertices, bool planar) {
  if (!ReadyToDraw(function)) return;
  if (!vertices) {
    ReportError(function, "null vertex list");
    return;
  }
  if (count < 3) return;
  if (indices) {
    Indexed source{indices, vertices};
    Fan(count, FromIndices, &source, planar);
  } else {
    Fan(count, FromList, vertices, planar);
  }
}

}  // namespace
}  // namespace gfx

using namespace gfx;

extern "C" {

void grDrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c) {
  Record("grDrawTriangle", a, b, c);
  if (!ReadyToDraw("grDrawTriangle")) return;
  if (!a || !b || !c) {
    ReportError("grDrawTriangle", "null vertex");
    return;
  }
  Triangle(*a, *b, *c);
}

void grDrawPoint(const GrVertex* p) {
  Record("grDrawPoint", p);
  if (!ReadyToDraw("grDrawPoint")) return;
  if (!p) {
    ReportError("grDrawPoint", "null vertex");
    return;
  }
  if (!std::isfinite(p->x) || !std::isfinite(p->y)) return;
  // The pixel whose square holds the point, as two triangles with corners on
  // pixel edges: exactly its centre is covered.
  GrVertex corner[4];
  for (auto& v : corner) v = *p;
  const float x0 = std::floor(p->x), y0 = std::floor(p->y);
  corner[0].x = x0, corner[0].y = y0;
  corner[1].x = x0 + 1, corner[1].y = y0;
  corner[2].x = x0 + 1, corner[2].y = y0 + 1;
  corner[3].x = x0, corner[3].y = y0 + 1;
  Uncullable(corner[0], corner[1], corner[2]);
  Uncullable(corner[0], corner[2], corner[3]);
}

void grDrawLine(const GrVertex* v1, const GrVertex* v2) {
  Record("grDrawLine", v1, v2);
  if (!ReadyToDraw("grDrawLine")) return;
  if (!v1 || !v2) {
    ReportError("grDrawLine", "null vertex");
    return;
  }
  // A one-pixel-wide band along the major axis.
  const float dx = v2->x - v1->x, dy = v2->y - v1->y;
  if (!std::isfinite(dx) || !std::isfinite(dy)) return;
  const bool xMajor = std::fabs(dx) >= std::fabs(dy);
  GrVertex q[4] = {*v1, *v2, *v2, *v1};
  if (xMajor) {
    q[0].y -= 0.5f, q[1].y -= 0.5f, q[2].y += 0.5f, q[3].y += 0.5f;
  } else {
    q[0].x -= 0.5f, q[1].x -= 0.5f, q[2].x += 0.5f, q[3].x += 0.5f;
  }
  Uncullable(q[0], q[1], q[2]);
  Uncullable(q[0], q[2], q[3]);
}

void grDrawPolygon(int nverts, const int ilist[], const GrVertex vlist[]) {
  Record("grDrawPolygon", nverts, ilist, vlist);
  if (!ilist) {
    ReportError("grDrawPolygon", "null index list");
    return;
  }
  Polygon("grDrawPolygon", nverts, ilist, vlist, false);
}

void grDrawPolygonVertexList(int nverts, const GrVertex vlist[]) {
  Record("grDrawPolygonVertexList", nverts, vlist);
  Polygon("grDrawPolygonVertexList", nverts, nullptr, vlist, false);
}

void grDrawPlanarPolygon(int nverts, const int ilist[], const GrVertex vlist[]) {
  Record("grDrawPlanarPolygon", nverts, ilist, vlist);
  if (!ilist) {
    ReportError("grDrawPlanarPolygon", "null index list");
    return;
  }
  Polygon("grDrawPlanarPolygon", nverts, ilist, vlist, true);
}

void grDrawPlanarPolygonVertexList(int nverts, const GrVertex vlist[]) {
  Record("grDrawPlanarPolygonVertexList", nverts, vlist);
  Polygon("grDrawPlanarPolygonVertexList", nverts, nullptr, vlist, true);
}

// The rasteriser clips every triangle to the clip window itself.
void guDrawTriangleWithClip(const GrVertex* a, const GrVertex* b, const GrVertex* c) {
  Record("guDrawTriangleWithClip", a, b, c);
  QuietRecording quiet;
  grDrawTriangle(a, b, c);
}

// The rasteriser clips; every edge of the triangle gets its fringe.
void guAADrawTriangleWithClip(const GrVertex* a, const GrVertex* b, const GrVertex* c) {
  Record("guAADrawTriangleWithClip", a, b, c);
  QuietRecording quiet;
  grAADrawTriangle(a, b, c, FXTRUE, FXTRUE, FXTRUE);
}

void guDrawPolygonVertexListWithClip(int nverts, const GrVertex vlist[]) {
  Record("guDrawPolygonVertexListWithClip", nverts, vlist);
  QuietRecording quiet;
  grDrawPolygonVertexList(nverts, vlist);
}

}  // extern "C"
