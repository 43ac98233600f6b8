// mesh.cpp — builds halcyon's world mesh. 415 well-spread directions (a
// Fibonacci spiral relaxed by repulsion, with four directions fixed) are
// triangulated by their convex hull, which for points on a sphere is a sphere
// triangulation of 826 triangles and 1239 edges. Each direction is then given
// a radius from smooth noise, shaped so that the lump reaches its fixed
// extents, and the vertices and triangles are labelled so that the first rows
// of the tables come out as the program's data expects.
#include "mesh.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <numeric>
#include <set>
#include <stdexcept>

#include "noise.h"

namespace halcyon_art {

namespace {

constexpr int kReferenced = 415;
constexpr int kSlots = 419;
constexpr int kTriangles = 826;

struct V3 {
  double x = 0, y = 0, z = 0;
};
V3 operator+(V3 a, V3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
V3 operator-(V3 a, V3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V3 operator*(V3 a, double s) {
  return {a.x * s, a.y * s, a.z * s};
}
double Dot(V3 a, V3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
V3 Cross(V3 a, V3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Len(V3 a) {
  return std::sqrt(Dot(a, a));
}
V3 Unit(V3 a) {
  return a * (1.0 / Len(a));
}

// The four vertices whose positions are fixed, in slot order 0..3.
const V3 kFixed[4] = {
    {-1.976, -1.516, 1.842}, {0.001, 3.222, 0.001}, {-0.027, -0.454, -3.138}, {3.182, -0.388, 0.479}};

// Extents of the lump.
constexpr double kMinX = -2.126, kMaxX = 3.182, kMinY = -1.732, kMaxY = 3.222, kMinZ = -3.138, kMaxZ = 2.012;
constexpr double kMinDist = 0.899, kMaxDist = 3.241;

std::vector<V3> Directions() {
  std::vector<V3> dirs(kReferenced);
  const double golden = M_PI * (3.0 - std::sqrt(5.0));
  for (int i = 0; i < kReferenced; ++i) {
    double y = 1.0 - (i + 0.5) * 2.0 / kReferenced;
    double r = std::sqrt(1.0 - y * y);
    dirs[i] = {std::cos(golden * i) * r, y, std::sin(golden * i) * r};
  }
  // Replace the nearest spiral point of each fixed vertex by its direction.
  std::vector<int> fixedAt(4);
  std::set<int> taken;
  for (int f = 0; f < 4; ++f) {
    V3 d = Unit(kFixed[f]);
    int best = -1;
    double bestDot = -2;
    for (int i = 0; i < kReferenced; ++i) {
      if (!taken.count(i) && Dot(dirs[i], d) > bestDot) {
        bestDot = Dot(dirs[i], d);
        best = i;
      }
    }
    taken.insert(best);
    fixedAt[f] = best;
    dirs[best] = d;
  }
  // Move the fixed four to the front so that index f is fixed vertex f.
  for (int f = 0; f < 4; ++f) {
    int at = fixedAt[f];
    std::swap(dirs[f], dirs[at]);
    for (int g = f + 1; g < 4; ++g) {
      if (fixedAt[g] == f) fixedAt[g] = at;
    }
  }
  // Relax the free points by repulsion so that the spacing around the fixed
  // four evens out.
  for (int iteration = 0; iteration < 60; ++iteration) {
    std::vector<V3> next = dirs;
    for (int i = 4; i < kReferenced; ++i) {
      V3 push{};
      for (int j = 0; j < kReferenced; ++j) {
        if (j == i) continue;
        V3 d = dirs[i] - dirs[j];
        double l2 = Dot(d, d);
        if (l2 < 0.09) push = push + d * (1.0 / (l2 * std::sqrt(l2)));
      }
      next[i] = Unit(dirs[i] + push * 0.00012);
    }
    dirs = next;
  }
  return dirs;
}

// Convex hull of points on the unit sphere; faces oriented outward.
std::vector<std::array<int, 3>> Hull(const std::vector<V3>& p) {
  struct Face {
    std::array<int, 3> v;
    V3 n;
    bool alive;
  };
  std::vector<Face> faces;
  auto add = [&](int a, int b, int c) {
    V3 n = Cross(p[b] - p[a], p[c] - p[a]);
    faces.push_back({{a, b, c}, n, true});
  };
  // Starting tetrahedron from the first four points that are not coplanar.
  int a = 0, b = 1, c = 2, d = 3;
  while (std::fabs(Dot(Cross(p[b] - p[a], p[c] - p[a]), p[d] - p[a])) < 1e-6) ++d;
  if (Dot(Cross(p[b] - p[a], p[c] - p[a]), p[d] - p[a]) > 0) std::swap(b, c);
  add(a, b, c);
  add(a, c, d);
  add(a, d, b);
  add(b, d, c);
  for (int i = 0; i < static_cast<int>(p.size()); ++i) {
    if (i == a || i == b || i == c || i == d) continue;
    std::map<std::pair<int, int>, int> visibleEdges;
    std::vector<int> visible;
    for (int f = 0; f < static_cast<int>(faces.size()); ++f) {
      if (faces[f].alive && Dot(faces[f].n, p[i] - p[faces[f].v[0]]) > 1e-12) visible.push_back(f);
    }
    if (visible.empty()) throw std::runtime_error("hull: point inside");
    std::set<std::pair<int, int>> edges;
    for (int f : visible) {
      faces[f].alive = false;
      for (int k = 0; k < 3; ++k) edges.insert({faces[f].v[k], faces[f].v[(k + 1) % 3]});
    }
    for (auto [u, w] : edges) {
      if (!edges.count({w, u})) add(u, w, i);
    }
  }
  std::vector<std::array<int, 3>> out;
  for (auto& f : faces) {
    if (f.alive) out.push_back(f.v);
  }
  return out;
}

// Smooth radius field over directions: an uneven ellipsoid roughened by noise.
double BaseRadius(V3 d) {
  double ax = d.x > 0 ? 2.7 : 1.95, ay = d.y > 0 ? 2.6 : 1.65, az = d.z > 0 ? 1.9 : 2.6;
  double e = std::sqrt((d.x / ax) * (d.x / ax) + (d.y / ay) * (d.y / ay) + (d.z / az) * (d.z / az));
  double r = 1.0 / e;
  double n1 = Gradient3(d.x * 1.3 + 10, d.y * 1.3 + 20, d.z * 1.3 + 30, 4242);
  double n2 = Gradient3(d.x * 3.1 + 5, d.y * 3.1 + 7, d.z * 3.1 + 9, 977);
  return r * (1.0 + 0.22 * n1 + 0.07 * n2);
}

double Angle(V3 a, V3 b) {
  return std::acos(std::clamp(Dot(a, b), -1.0, 1.0));
}

}  // namespace

WorldMesh BuildWorldMesh() {
  std::vector<V3> dirs = Directions();
  std::vector<std::array<int, 3>> hull = Hull(dirs);
  if (hull.size() != kTriangles) throw std::runtime_error("hull: wrong triangle count");

  // ---- Radii ----
  std::vector<double> r(kReferenced);
  for (int i = 0; i < kReferenced; ++i) r[i] = BaseRadius(dirs[i]);
  // Pull the neighbourhood of each fixed vertex towards its length.
  for (int f = 0; f < 4; ++f) {
    double ratio = Len(kFixed[f]) / BaseRadius(dirs[f]);
    for (int i = 0; i < kReferenced; ++i) {
      double t = Angle(dirs[i], dirs[f]);
      r[i] *= 1.0 + (ratio - 1.0) * std::exp(-(t * t) / (0.45 * 0.45));
    }
  }
  // Extents: a soft wall per half axis flattens whatever reaches past a knee
  // below the wall, so the lump leans on its bounding box with rounded sides.
  // The fixed vertices hold three of the extents; the others stay inside them.
  struct Extent {
    V3 axis;
    double wall;
  };
  const Extent extents[6] = {{{1, 0, 0}, kMaxX - 0.03}, {{-1, 0, 0}, -kMinX}, {{0, 1, 0}, kMaxY - 0.04},
                             {{0, -1, 0}, -kMinY},      {{0, 0, 1}, kMaxZ},   {{0, 0, -1}, -kMinZ - 0.03}};
  auto softWall = [](double c, double wall, double width) {
    double knee = wall - width;
    return c <= knee ? c : knee + width * std::tanh((c - knee) / width);
  };
  for (int i = 4; i < kReferenced; ++i) {
    for (const Extent& e : extents) {
      double along = Dot(dirs[i], e.axis);
      if (along <= 0) continue;
      double c = r[i] * along;
      r[i] = softWall(c, e.wall, 0.35) / along;
    }
    r[i] = softWall(r[i], 3.225, 0.25);
  }
  // A crater, the nearest point of the surface to the middle.
  const V3 craterDir = Unit({0.55, -0.6, -0.58});
  int crater = 4;
  for (int i = 4; i < kReferenced; ++i) {
    if (Dot(dirs[i], craterDir) > Dot(dirs[crater], craterDir)) crater = i;
  }
  {
    double depth = 1.0 - kMinDist / r[crater];
    std::vector<double> before = r;
    for (int i = 4; i < kReferenced; ++i) {
      double t = Angle(dirs[i], dirs[crater]);
      r[i] = before[i] * (1.0 - depth * std::exp(-(t * t) / (0.33 * 0.33)));
    }
    r[crater] = kMinDist;
  }
  // The free extents are met exactly by the vertex that comes nearest,
  // together with its neighbourhood.
  for (int k : {1, 3, 4}) {
    const Extent& e = extents[k];
    int best = 4;
    for (int i = 4; i < kReferenced; ++i) {
      if (r[i] * Dot(dirs[i], e.axis) > r[best] * Dot(dirs[best], e.axis)) best = i;
    }
    double ratio = e.wall / (r[best] * Dot(dirs[best], e.axis));
    std::vector<double> before = r;
    for (int i = 4; i < kReferenced; ++i) {
      double t = Angle(dirs[i], dirs[best]);
      r[i] = before[i] * (1.0 + (ratio - 1.0) * std::exp(-(t * t) / (0.2 * 0.2)));
    }
    r[best] = e.wall / Dot(dirs[best], e.axis);
  }
  // Rounded to thousandths the crater must still measure its depth.
  for (int attempt = 0; attempt < 50; ++attempt) {
    V3 p = dirs[crater] * r[crater];
    V3 q = {std::round(p.x * 1000) / 1000, std::round(p.y * 1000) / 1000, std::round(p.z * 1000) / 1000};
    double error = Len(q) - kMinDist;
    if (std::fabs(error) < 0.0003) break;
    r[crater] -= error * 0.5;
  }

  std::vector<V3> pos(kReferenced);
  for (int i = 0; i < kReferenced; ++i) pos[i] = dirs[i] * r[i];
  for (int f = 0; f < 4; ++f) pos[f] = kFixed[f];

  // ---- Labels ----
  // Rows 0..3 of the triangle table are fixed: (361 363 360), (62 316 56),
  // (68 327 77), (77 357 62). Pick hull triangles with the same sharing.
  auto has = [](const std::array<int, 3>& t, int v) { return t[0] == v || t[1] == v || t[2] == v; };
  auto rotateTo = [](std::array<int, 3> t, int v, int slot) {
    while (t[slot] != v) t = {t[2], t[0], t[1]};
    return t;
  };
  auto freeOf = [&](const std::array<int, 3>& t, const std::set<int>& used) {
    return !used.count(t[0]) && !used.count(t[1]) && !used.count(t[2]);
  };
  std::set<int> used = {0, 1, 2, 3};
  int t3 = -1, t1 = -1, t2 = -1, t0 = -1;
  // Start the search half way round so the fixed rows sit mid-sphere.
  for (int k = 0; k < kTriangles && t3 < 0; ++k) {
    int f = (k + kTriangles / 2) % kTriangles;
    if (freeOf(hull[f], used)) t3 = f;
  }
  std::array<int, 3> T3 = hull[t3];  // (77, 357, 62)
  for (int v : T3) used.insert(v);
  for (int f = 0; f < kTriangles && t1 < 0; ++f) {
    if (f != t3 && has(hull[f], T3[2]) && !has(hull[f], T3[0]) && !has(hull[f], T3[1])) {
      std::array<int, 3> t = rotateTo(hull[f], T3[2], 0);
      if (!used.count(t[1]) && !used.count(t[2])) t1 = f;
    }
  }
  std::array<int, 3> T1 = rotateTo(hull[t1], T3[2], 0);  // (62, 316, 56)
  for (int v : T1) used.insert(v);
  for (int f = 0; f < kTriangles && t2 < 0; ++f) {
    if (f != t3 && has(hull[f], T3[0]) && !has(hull[f], T3[1]) && !has(hull[f], T3[2])) {
      std::array<int, 3> t = rotateTo(hull[f], T3[0], 2);
      if (!used.count(t[0]) && !used.count(t[1])) t2 = f;
    }
  }
  std::array<int, 3> T2 = rotateTo(hull[t2], T3[0], 2);  // (68, 327, 77)
  for (int v : T2) used.insert(v);
  for (int k = 0; k < kTriangles && t0 < 0; ++k) {
    int f = (k + kTriangles / 4) % kTriangles;
    if (freeOf(hull[f], used)) t0 = f;
  }
  std::array<int, 3> T0 = hull[t0];  // (361, 363, 360)
  if (t0 < 0 || t1 < 0 || t2 < 0 || t3 < 0) throw std::runtime_error("labels: no fitting triangles");

  std::vector<int> label(kReferenced, -1);
  for (int f = 0; f < 4; ++f) label[f] = f;
  auto give = [&](const std::array<int, 3>& t, std::array<int, 3> names) {
    for (int k = 0; k < 3; ++k) label[t[k]] = names[k];
  };
  give(T3, {77, 357, 62});
  give(T1, {62, 316, 56});
  give(T2, {68, 327, 77});
  give(T0, {361, 363, 360});
  std::set<int> takenNames(label.begin(), label.end());
  int nextName = 4;
  for (int i = 0; i < kReferenced; ++i) {
    if (label[i] >= 0) continue;
    while (takenNames.count(nextName)) ++nextName;
    label[i] = nextName++;
  }

  WorldMesh mesh;
  mesh.vertices.resize(kSlots);
  auto round3 = [](double v) { return static_cast<float>(std::round(v * 1000.0) / 1000.0); };
  for (int i = 0; i < kReferenced; ++i) {
    mesh.vertices[label[i]] = {round3(pos[i].x), round3(pos[i].y), round3(pos[i].z)};
  }
  // Unreferenced slots: points inside the lump that stay clear of its extents.
  mesh.vertices[415] = {1.0f, 0.0f, 0.0f};
  mesh.vertices[416] = {0.0f, 1.0f, 0.0f};
  mesh.vertices[417] = {0.0f, 0.0f, 1.0f};
  mesh.vertices[418] = {-1.0f, 0.0f, 0.0f};

  std::vector<std::array<int32_t, 3>> rest;
  for (int f = 0; f < kTriangles; ++f) {
    if (f == t0 || f == t1 || f == t2 || f == t3) continue;
    std::array<int32_t, 3> t = {label[hull[f][0]], label[hull[f][1]], label[hull[f][2]]};
    int lowest = static_cast<int>(std::min_element(t.begin(), t.end()) - t.begin());
    rest.push_back(rotateTo(t, t[lowest], 0));
  }
  std::sort(rest.begin(), rest.end());
  mesh.triangles = {{361, 363, 360}, {62, 316, 56}, {68, 327, 77}, {77, 357, 62}};
  mesh.triangles.insert(mesh.triangles.end(), rest.begin(), rest.end());

  // ---- Checks the program's data relies on ----
  double minDist = 1e9, maxDist = 0;
  double lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
  for (int i = 0; i < kReferenced; ++i) {
    auto& v = mesh.vertices[i];
    double d = std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]);
    minDist = std::min(minDist, d);
    maxDist = std::max(maxDist, d);
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], double(v[k]));
      hi[k] = std::max(hi[k], double(v[k]));
    }
  }
  std::fprintf(stderr, "mesh: x %.4f..%.4f y %.4f..%.4f z %.4f..%.4f dist %.4f..%.4f\n", lo[0], hi[0], lo[1],
               hi[1], lo[2], hi[2], minDist, maxDist);
  for (const auto& t : mesh.triangles) {
    V3 p[3];
    for (int k = 0; k < 3; ++k)
      p[k] = {mesh.vertices[t[k]][0], mesh.vertices[t[k]][1], mesh.vertices[t[k]][2]};
    if (Dot(Cross(p[1] - p[0], p[2] - p[0]), p[0] + p[1] + p[2]) <= 0)
      throw std::runtime_error("mesh: a triangle faces inward");
    if (Len(Cross(p[1] - p[0], p[2] - p[0])) < 1e-4) throw std::runtime_error("mesh: degenerate triangle");
  }
  std::vector<int> valence(kReferenced, 0);
  for (const auto& t : mesh.triangles)
    for (int v : t) ++valence[v];
  std::map<int, int> histogram;
  for (int v : valence) ++histogram[v];
  for (auto [k, n] : histogram) std::fprintf(stderr, "mesh: valence %d x %d\n", k, n);
  if (histogram.begin()->first < 5 || histogram.rbegin()->first > 9)
    throw std::runtime_error("mesh: valence out of 5..9");
  return mesh;
}

void WriteWorldMeshSource(const WorldMesh& mesh, const std::string& folder) {
  std::ofstream h(folder + "/world_mesh.h");
  h << "// world_mesh.h — halcyon's world: one closed, irregular lump of 415 vertices\n"
       "// and 826 outward-facing triangles. Written by tools/halcyon_art; do not edit.\n"
       "#pragma once\n\n#include <cstdint>\n\nnamespace halcyon {\n\n"
       "constexpr int worldVertexSlots = 419;\nconstexpr int worldTriangleCount = 826;\n\n"
       "// x, y, z per slot. Writable: the renderer scales it in place at set-up.\n"
       "// Slots 415..418 are not used by any triangle.\n"
       "extern float worldVertexTable[worldVertexSlots][3];\n"
       "// Vertex indices per triangle, corners counter-clockwise seen from outside.\n"
       "extern const int32_t worldTriangleTable[worldTriangleCount][3];\n\n}  // namespace halcyon\n";
  std::ofstream c(folder + "/world_mesh.cpp");
  c << "// world_mesh.cpp — the tables of world_mesh.h. Written by tools/halcyon_art; do not edit.\n"
       "#include \"world_mesh.h\"\n\nnamespace halcyon {\n\n// clang-format off\n"
       "float worldVertexTable[worldVertexSlots][3] = {\n";
  char line[128];
  for (const auto& v : mesh.vertices) {
    std::snprintf(line, sizeof line, "    {%.3ff, %.3ff, %.3ff},\n", v[0], v[1], v[2]);
    c << line;
  }
  c << "};\n\nconst int32_t worldTriangleTable[worldTriangleCount][3] = {\n";
  for (const auto& t : mesh.triangles) {
    std::snprintf(line, sizeof line, "    {%d, %d, %d},\n", t[0], t[1], t[2]);
    c << line;
  }
  c << "};\n// clang-format on\n\n}  // namespace halcyon\n";
}

}  // namespace halcyon_art
