// world_mesh_prep.cpp — scaling and normals of the world mesh.
#include "halcyon/render/world_mesh_prep.h"

#include "halcyon/resources/world_mesh.h"

namespace halcyon {

MeshTables WorldMeshTables() {
  return {std::span<float>(&worldVertexTable[0][0], worldVertexSlots * 3),
          std::span<const int32_t>(&worldTriangleTable[0][0], worldTriangleCount * 3)};
}

bool IndicesInRange(const MeshTables& mesh) {
  if (mesh.triangles.size() % 3 != 0 || mesh.vertices.size() % 3 != 0) return false;
  for (int32_t index : mesh.triangles) {
    if (index < 0 || index >= mesh.VertexCount()) return false;
  }
  return true;
}

bool ScaleMesh(std::span<float> vertices) {
  float m = 0.0f;
  for (float value : vertices) {
    if (m < value) m = value;
  }
  if (!(m > 0.0f)) return false;
  const float s = 1.0f / m;
  for (float& value : vertices) value *= s;
  return true;
}

namespace {

Vec3 Position(const MeshTables& mesh, int32_t index) {
  const float* p = &mesh.vertices[static_cast<size_t>(index) * 3];
  return {p[0], p[1], p[2]};
}

}  // namespace

void ComputeFaceNormals(const MeshTables& mesh, std::span<Vec3> faceNormals) {
  for (int t = 0; t < mesh.TriangleCount(); ++t) {
    Vec3 p0 = Position(mesh, mesh.triangles[3 * t]);
    Vec3 p1 = Position(mesh, mesh.triangles[3 * t + 1]);
    Vec3 p2 = Position(mesh, mesh.triangles[3 * t + 2]);
    Vec3 a{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
    Vec3 b{p2.x - p0.x, p2.y - p0.y, p2.z - p0.z};
    Vec3 n{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    faceNormals[t] = n.Normalize();
  }
}

void ComputeVertexNormals(const MeshTables& mesh, std::span<const Vec3> faceNormals,
                          std::span<Vec3> vertexNormals) {
  for (Vec3& n : vertexNormals) n.Set(0.0f, 0.0f, 0.0f);
  for (size_t k = 0; k < mesh.triangles.size(); ++k) vertexNormals[mesh.triangles[k]].Add(faceNormals[k / 3]);
  for (Vec3& n : vertexNormals) n = n.Normalize();
}

}  // namespace halcyon
