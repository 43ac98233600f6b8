// aa_draw.cpp — the antialiased drawing calls, drawn as the board's library
// draws them: the primitive, then fringes one pixel wide whose iterated alpha
// falls from the vertices' alpha at the edge to zero one pixel out, so that
// alpha blending (the program's) fades the edge into what lies behind.
//
// - A fringe lies on the side of its edge away from the triangle's third
//   vertex, one pixel along the minor axis (y for edges more horizontal than
//   vertical, else x). Its colour, depth and texture coordinates continue the
//   triangle's planes; it is drawn whatever the cull mode.
// - grAADrawTriangle draws nothing for a culled or zero-area triangle, and
//   turns depth writes off for the fringes.
// - A polygon is the fan (v0, vi, vi+1); each drawn triangle gets a fringe on
//   its outer edges: (vi, vi+1) always, (v0, v1) on the first, (vn-1, v0) on
//   the last. Depth writes stay as set.
// - A point is a 2x2-pixel square around it, alpha highest at the point and
//   zero at the square's edge; a line is a band from one pixel on one side of
//   it to one pixel on the other (along the minor axis), alpha highest on the
//   line. Their other parameters are the vertices' own.
#include <cmath>
#include <cstring>
#include <utility>

#include "context.h"
#include "draw.h"
#include "record.h"

namespace gfx {
namespace {

constexpr int kFloats = sizeof(GrVertex) / sizeof(float);
constexpr int kX = 0, kY = 1, kAlpha = 7;

float* Floats(GrVertex* v) {
  return reinterpret_cast<float*>(v);
}
const float* Floats(const GrVertex* v) {
  return reinterpret_cast<const float*>(v);
}

bool Finite(const GrVertex& v) {
  return std::isfinite(v.x) && std::isfinite(v.y);
}

// The gradients of every vertex parameter over a triangle's plane.
struct Plane {
  float dx[kFloats] = {}, dy[kFloats] = {};

  Plane(const GrVertex& a, const GrVertex& b, const GrVertex& c) {
    const float area = SignedArea(a, b, c);
    const float x1 = b.x - a.x, y1 = b.y - a.y, x2 = c.x - a.x, y2 = c.y - a.y;
    const float *pa = Floats(&a), *pb = Floats(&b), *pc = Floats(&c);
    for (int i = 0; i < kFloats; ++i) {
      const float d1 = pb[i] - pa[i], d2 = pc[i] - pa[i];
      dx[i] = (d1 * y2 - d2 * y1) / area;
      dy[i] = (d2 * x1 - d1 * x2) / area;
    }
  }
};

// Vertex v moved by (ox, oy) with alpha zero; its other parameters follow
// the plane when one is given, else they stay v's own.
GrVertex Outer(const GrVertex& v, float ox, float oy, const Plane* plane) {
  GrVertex out = v;
  float* p = Floats(&out);
  if (plane) {
    for (int i = 0; i < kFloats; ++i) p[i] += plane->dx[i] * ox + plane->dy[i] * oy;
  }
  p[kX] = v.x + ox;
  p[kY] = v.y + oy;
  p[kAlpha] = 0.0f;
  return out;
}

enum class Side { kBelow, kAbove, kLeft, kRight };

// The fringe of edge (a, b) of a triangle whose third vertex is c.
void EdgeFringe(const GrVertex* a, const GrVertex* b, const GrVertex* c, const Plane& plane) {
  if (a->y >= b->y) std::swap(a, b);
  const float dx = a->x - b->x, dy = a->y - b->y;  // dy <= 0
  Side side;
  if (dx == 0.0f) {
    side = c->x > a->x ? Side::kLeft : Side::kRight;
  } else if (dy == 0.0f) {
    side = c->y > a->y ? Side::kAbove : Side::kBelow;
  } else {
    // Which side of the edge c lies on, and whether the edge is more
    // horizontal (fringe above or below) or more vertical (left or right).
    const float cross = (a->x - c->x) * (b->y - c->y) - (a->y - c->y) * (b->x - c->x);
    if (dx > 0.0f) {
      if (dx >= -dy)
        side = cross > 0 ? Side::kBelow : Side::kAbove;
      else
        side = cross > 0 ? Side::kRight : Side::kLeft;
    } else {
      if (dx <= dy)
        side = cross < 0 ? Side::kBelow : Side::kAbove;
      else
        side = cross < 0 ? Side::kLeft : Side::kRight;
    }
  }
  const float ox = side == Side::kLeft ? -1.0f : (side == Side::kRight ? 1.0f : 0.0f);
  const float oy = side == Side::kAbove ? -1.0f : (side == Side::kBelow ? 1.0f : 0.0f);
  const GrVertex a1 = Outer(*a, ox, oy, &plane), b1 = Outer(*b, ox, oy, &plane);
  // The quad a, b, b1, a1 as two triangles, split where the library splits it.
  if (side == Side::kAbove && dy == 0.0f) {
    Uncullable(a1, b1, *b);
    Uncullable(a1, *a, *b);
  } else {
    Uncullable(*a, a1, b1);
    Uncullable(*a, *b, b1);
  }
}

// Whether the cull mode (or a zero area) drops triangle (a, b, c).
bool Dropped(const GrVertex& a, const GrVertex& b, const GrVertex& c) {
  const float area = SignedArea(a, b, c);
  if (!(area != 0.0f) || !std::isfinite(area)) return true;
  const int cull = Ctx().settings.cullMode;
  return (cull == GR_CULL_NEGATIVE && area < 0) || (cull == GR_CULL_POSITIVE && area > 0);
}

// Depth writes off while it lives (the fringes of grAADrawTriangle).
class DepthWritesOff {
 public:
  DepthWritesOff() : was(Ctx().settings.depth.writeMask) {
    if (!was) return;
    Ctx().settings.depth.writeMask = false;
    MarkDirty();
    ApplyState();
  }
  ~DepthWritesOff() {
    if (!was) return;
    Ctx().settings.depth.writeMask = true;
    MarkDirty();
  }
  DepthWritesOff(const DepthWritesOff&) = delete;
  DepthWritesOff& operator=(const DepthWritesOff&) = delete;

 private:
  bool was;
};

// One triangle of a fan with its outer edges' fringes.
void FanTriangle(const GrVertex& v0, const GrVertex& v1, const GrVertex& v2, bool first, bool last) {
  if (!Finite(v0) || !Finite(v1) || !Finite(v2) || Dropped(v0, v1, v2)) return;
  Triangle(v0, v1, v2);
  const Plane plane(v0, v1, v2);
  if (first) EdgeFringe(&v0, &v1, &v2, plane);
  // The library leaves out (v2, v0) when the polygon has three vertices (its
  // one triangle is the first); that edge is outer too, so it is drawn here.
  if (last) EdgeFringe(&v2, &v0, &v1, plane);
  EdgeFringe(&v1, &v2, &v0, plane);
}

void AaPolygon(const char* function, int count, const int* indices, const GrVertex* vertices) {
  if (!ReadyToDraw(function)) return;
  if (!vertices) {
    ReportError(function, "null vertex list");
    return;
  }
  for (int i = 0; indices && i < count; ++i) {
    if (indices[i] < 0) {
      ReportError(function, "negative vertex index");
      return;
    }
  }
  auto at = [&](int i) -> const GrVertex& { return vertices[indices ? indices[i] : i]; };
  for (int i = 1; i + 1 < count; ++i) FanTriangle(at(0), at(i), at(i + 1), i == 1, i == count - 2);
}

}  // namespace
}  // namespace gfx

using namespace gfx;

extern "C" {

void grAADrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c, FxBool abAntialias,
                      FxBool bcAntialias, FxBool caAntialias) {
  Record("grAADrawTriangle", a, b, c, abAntialias, bcAntialias, caAntialias);
  if (!ReadyToDraw("grAADrawTriangle")) return;
  if (!a || !b || !c) {
    ReportError("grAADrawTriangle", "null vertex");
    return;
  }
  if (!Finite(*a) || !Finite(*b) || !Finite(*c) || Dropped(*a, *b, *c)) return;
  Triangle(*a, *b, *c);
  if (!abAntialias && !bcAntialias && !caAntialias) return;
  const Plane plane(*a, *b, *c);
  DepthWritesOff fringesWriteNoDepth;
  if (abAntialias) EdgeFringe(a, b, c, plane);
  if (bcAntialias) EdgeFringe(b, c, a, plane);
  if (caAntialias) EdgeFringe(c, a, b, plane);
}

void grAADrawLine(const GrVertex* v1, const GrVertex* v2) {
  Record("grAADrawLine", v1, v2);
  if (!ReadyToDraw("grAADrawLine")) return;
  if (!v1 || !v2) {
    ReportError("grAADrawLine", "null vertex");
    return;
  }
  if (!Finite(*v1) || !Finite(*v2)) return;
  if (v2->y < v1->y) std::swap(v1, v2);
  const float dx = v1->x - v2->x, dy = v2->y - v1->y;
  if (std::fabs(dx) >= dy) {
    if (dx == 0.0f) return;  // both ends at one place
    const GrVertex a = Outer(*v1, 0, -1, nullptr), b = Outer(*v2, 0, -1, nullptr);
    const GrVertex e = Outer(*v1, 0, 1, nullptr), f = Outer(*v2, 0, 1, nullptr);
    Uncullable(a, b, *v2);
    Uncullable(a, *v1, *v2);
    Uncullable(*v1, e, f);
    Uncullable(*v1, *v2, f);
  } else {
    const GrVertex a = Outer(*v1, -1, 0, nullptr), b = Outer(*v2, -1, 0, nullptr);
    const GrVertex e = Outer(*v1, 1, 0, nullptr), f = Outer(*v2, 1, 0, nullptr);
    Uncullable(*v1, *v2, b);
    Uncullable(*v1, a, b);
    Uncullable(e, *v1, *v2);
    Uncullable(e, f, *v2);
  }
}

void grAADrawPoint(const GrVertex* p) {
  Record("grAADrawPoint", p);
  if (!ReadyToDraw("grAADrawPoint")) return;
  if (!p) {
    ReportError("grAADrawPoint", "null vertex");
    return;
  }
  if (!Finite(*p)) return;
  const GrVertex topLeft = Outer(*p, -1, -1, nullptr), topRight = Outer(*p, 1, -1, nullptr);
  const GrVertex bottomLeft = Outer(*p, -1, 1, nullptr), bottomRight = Outer(*p, 1, 1, nullptr);
  Uncullable(*p, bottomLeft, bottomRight);
  Uncullable(topRight, *p, bottomRight);
  Uncullable(topLeft, *p, bottomLeft);
  Uncullable(topLeft, topRight, *p);
}

void grAADrawPolygon(const int nverts, const int ilist[], const GrVertex vlist[]) {
  Record("grAADrawPolygon", nverts, ilist, vlist);
  if (!ilist) {
    ReportError("grAADrawPolygon", "null index list");
    return;
  }
  AaPolygon("grAADrawPolygon", nverts, ilist, vlist);
}

void grAADrawPolygonVertexList(const int nverts, const GrVertex vlist[]) {
  Record("grAADrawPolygonVertexList", nverts, vlist);
  AaPolygon("grAADrawPolygonVertexList", nverts, nullptr, vlist);
}

}  // extern "C"
