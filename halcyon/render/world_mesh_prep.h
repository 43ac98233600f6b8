// world_mesh_prep.h — prepares the world mesh once at set-up: scales the
// positions so the largest coordinate value is 1.0, then computes a unit
// normal per triangle and a smoothed unit normal per vertex.
#pragma once

#include <cstdint>
#include <span>

#include "halcyon/render/vec3.h"

namespace halcyon {

// The mesh tables the renderer draws: x, y, z per vertex slot (writable, it
// is scaled in place) and three vertex indices per triangle.
struct MeshTables {
  std::span<float> vertices;
  std::span<const int32_t> triangles;
  int VertexCount() const { return static_cast<int>(vertices.size() / 3); }
  int TriangleCount() const { return static_cast<int>(triangles.size() / 3); }
};

// The program's world mesh (resources/world_mesh).
MeshTables WorldMeshTables();

// True when every index names a vertex slot.
bool IndicesInRange(const MeshTables& mesh);

// Multiplies every coordinate by 1 / m, m the largest signed coordinate value
// (starting from 0.0). False, and nothing changed, when no coordinate is
// positive (m would be 0).
bool ScaleMesh(std::span<float> vertices);

// faceNormals[t] = unit (P1 - P0) x (P2 - P0) for every triangle in order.
void ComputeFaceNormals(const MeshTables& mesh, std::span<Vec3> faceNormals);

// Sum of the unit normals of the triangles at each vertex, normalised;
// vertices no triangle uses stay (0, 0, 0).
void ComputeVertexNormals(const MeshTables& mesh, std::span<const Vec3> faceNormals,
                          std::span<Vec3> vertexNormals);

}  // namespace halcyon
