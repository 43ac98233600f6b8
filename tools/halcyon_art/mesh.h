// mesh.h — the generator of halcyon's world mesh: an irregular closed lump of
// 415 vertices and 826 triangles (a triangulated sphere displaced along its
// directions), written out as the C++ tables the program compiles.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace halcyon_art {

struct WorldMesh {
  std::vector<std::array<float, 3>> vertices;     // 419 slots; 415..418 unreferenced
  std::vector<std::array<int32_t, 3>> triangles;  // 826, outward (counter-clockwise seen from outside)
};

// Builds the mesh; throws std::runtime_error when a property does not hold.
WorldMesh BuildWorldMesh();

// Writes world_mesh.h and world_mesh.cpp into folder.
void WriteWorldMeshSource(const WorldMesh& mesh, const std::string& folder);

}  // namespace halcyon_art
