// world_mesh_test.cpp — the compiled world mesh keeps the properties the
// renderer relies on, and its preparation (scaling, face and vertex normals).
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "halcyon/render/world_mesh_prep.h"
#include "halcyon/resources/world_mesh.h"
#include "test_support.h"

namespace halcyon {
namespace {

struct P {
  double x, y, z;
};
P At(int v) {
  return {worldVertexTable[v][0], worldVertexTable[v][1], worldVertexTable[v][2]};
}

TEST(WorldMesh, FirstRowsAreAsStored) {
  const float vertices[4][3] = {{-1.976f, -1.516f, 1.842f},
                                {0.001f, 3.222f, 0.001f},
                                {-0.027f, -0.454f, -3.138f},
                                {3.182f, -0.388f, 0.479f}};
  const int32_t triangles[4][3] = {{361, 363, 360}, {62, 316, 56}, {68, 327, 77}, {77, 357, 62}};
  test::MeshCopy stored;  // the tables as compiled, before any scaling
  for (int v = 0; v < 4; ++v)
    for (int k = 0; k < 3; ++k) EXPECT_EQ(stored.vertices[3 * v + k], vertices[v][k]) << v;
  for (int t = 0; t < 4; ++t)
    for (int k = 0; k < 3; ++k) EXPECT_EQ(worldTriangleTable[t][k], triangles[t][k]) << t;
}

TEST(WorldMesh, IsAClosedOutwardSurfaceOfSphereTopology) {
  std::map<std::pair<int, int>, int> directed;
  std::set<int> used;
  for (int t = 0; t < worldTriangleCount; ++t) {
    const int32_t* tri = worldTriangleTable[t];
    for (int k = 0; k < 3; ++k) {
      ASSERT_GE(tri[k], 0);
      ASSERT_LE(tri[k], 414);
      used.insert(tri[k]);
      ++directed[{tri[k], tri[(k + 1) % 3]}];
    }
    ASSERT_TRUE(tri[0] != tri[1] && tri[1] != tri[2] && tri[0] != tri[2]) << t;
  }
  EXPECT_EQ(used.size(), 415u);  // 415..418 unreferenced
  std::set<std::pair<int, int>> edges;
  for (auto [edge, count] : directed) {
    EXPECT_EQ(count, 1) << "directed edge used twice";
    EXPECT_EQ(directed.count({edge.second, edge.first}), 1u) << "edge with one side";
    edges.insert({std::min(edge.first, edge.second), std::max(edge.first, edge.second)});
  }
  EXPECT_EQ(edges.size(), 1239u);
  EXPECT_EQ(415 - 1239 + 826, 2);

  std::map<int, int> valence;
  for (auto [a, b] : edges) {
    ++valence[a];
    ++valence[b];
  }
  int six = 0;
  for (auto [v, n] : valence) {
    EXPECT_GE(n, 5) << v;
    EXPECT_LE(n, 9) << v;
    six += n == 6;
  }
  EXPECT_GT(six, 415 / 2);

  // Every triangle is non-degenerate, and the enclosed volume is positive.
  double volume = 0;
  for (int t = 0; t < worldTriangleCount; ++t) {
    P a = At(worldTriangleTable[t][0]), b = At(worldTriangleTable[t][1]), c = At(worldTriangleTable[t][2]);
    P u{b.x - a.x, b.y - a.y, b.z - a.z}, w{c.x - a.x, c.y - a.y, c.z - a.z};
    P n{u.y * w.z - u.z * w.y, u.z * w.x - u.x * w.z, u.x * w.y - u.y * w.x};
    EXPECT_GT(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1e-4) << t;
    volume += (a.x * n.x + a.y * n.y + a.z * n.z) / 6.0;
  }
  EXPECT_GT(volume, 0.0);
}

TEST(WorldMesh, HasTheStoredBoundsAndIsNoSphere) {
  test::MeshCopy stored;
  double lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9}, nearest = 1e9, farthest = 0;
  float largest = 0;
  int largestAt = -1;
  for (int v = 0; v < 415; ++v) {
    double d = 0;
    for (int k = 0; k < 3; ++k) {
      float c = stored.vertices[3 * v + k];
      lo[k] = std::min(lo[k], double(c));
      hi[k] = std::max(hi[k], double(c));
      d += double(c) * c;
      if (c > largest) {
        largest = c;
        largestAt = 3 * v + k;
      }
    }
    nearest = std::min(nearest, std::sqrt(d));
    farthest = std::max(farthest, std::sqrt(d));
  }
  const double expectLo[3] = {-2.126, -1.732, -3.138}, expectHi[3] = {3.182, 3.222, 2.012};
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(lo[k], expectLo[k], 0.0005) << k;
    EXPECT_NEAR(hi[k], expectHi[k], 0.0005) << k;
  }
  EXPECT_NEAR(nearest, 0.899, 0.0006);
  EXPECT_NEAR(farthest, 3.241, 0.0006);
  EXPECT_EQ(largestAt, 3 * 1 + 1);  // vertex 1's y
  for (int v = 415; v < 419; ++v) {
    for (int k = 0; k < 3; ++k) EXPECT_LT(stored.vertices[3 * v + k], largest);
  }
}

TEST(MeshPreparation, ScalesToALargestValueOfOneAndComputesUnitNormals) {
  test::MeshCopy copy;
  MeshTables mesh = copy.Tables();
  ASSERT_TRUE(IndicesInRange(mesh));
  ASSERT_TRUE(ScaleMesh(mesh.vertices));
  EXPECT_NEAR(copy.vertices[3], 0.00031f, 0.000005);
  EXPECT_EQ(copy.vertices[4], 1.0f);
  EXPECT_NEAR(copy.vertices[5], 0.00031f, 0.000005);
  for (float c : copy.vertices) EXPECT_LE(c, 1.0f);
  EXPECT_NEAR(copy.vertices[9], 0.988f, 0.0005);  // vertex 3's x
  // A second scaling (a repeated set-up) changes nothing.
  std::vector<float> once = copy.vertices;
  ASSERT_TRUE(ScaleMesh(mesh.vertices));
  EXPECT_EQ(copy.vertices, once);

  std::vector<Vec3> faces(mesh.TriangleCount()), normals(mesh.VertexCount());
  ComputeFaceNormals(mesh, faces);
  ComputeVertexNormals(mesh, faces, normals);
  for (int v = 0; v < 415; ++v) EXPECT_NEAR(normals[v].Length(), 1.0f, 1e-5) << v;
  for (int v = 415; v < 419; ++v) {
    EXPECT_EQ(normals[v].x, 0.0f);
    EXPECT_EQ(normals[v].y, 0.0f);
    EXPECT_EQ(normals[v].z, 0.0f);
  }
  // Outward: a vertex normal points away from the middle almost everywhere.
  int outward = 0;
  for (int v = 0; v < 415; ++v) {
    const float* p = &copy.vertices[3 * v];
    outward += p[0] * normals[v].x + p[1] * normals[v].y + p[2] * normals[v].z > 0;
  }
  EXPECT_GT(outward, 400);
}

TEST(MeshPreparation, FaceNormalOfACounterClockwiseTriangleInThePlaneZ0) {
  std::vector<float> vertices = {0, 0, 0, 2, 0, 0, 0, 3, 0};
  std::vector<int32_t> triangles = {0, 1, 2};
  MeshTables mesh{vertices, triangles};
  std::vector<Vec3> faces(1);
  ComputeFaceNormals(mesh, faces);
  EXPECT_EQ(faces[0].x, 0.0f);
  EXPECT_EQ(faces[0].y, 0.0f);
  EXPECT_EQ(faces[0].z, 1.0f);
  // A degenerate triangle keeps a zero normal instead of NaN.
  std::vector<float> flat = {0, 0, 0, 1, 1, 1, 2, 2, 2};
  ComputeFaceNormals({flat, triangles}, faces);
  EXPECT_EQ(faces[0].Length(), 0.0f);
}

TEST(MeshPreparation, RejectsMeshesItCannotScaleOrIndex) {
  std::vector<float> negative = {-1, -2, -3, -0.5f, -1, 0};
  EXPECT_FALSE(ScaleMesh(negative));
  EXPECT_EQ(negative[0], -1.0f);  // untouched
  std::vector<float> three = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  std::vector<int32_t> beyond = {0, 1, 3};
  std::vector<int32_t> below = {0, -1, 2};
  EXPECT_FALSE(IndicesInRange({three, beyond}));
  EXPECT_FALSE(IndicesInRange({three, below}));
}

}  // namespace
}  // namespace halcyon
