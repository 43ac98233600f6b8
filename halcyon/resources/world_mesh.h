// world_mesh.h — halcyon's world: one closed, irregular lump of 415 vertices
// and 826 outward-facing triangles. Written by tools/halcyon_art; do not edit.
#pragma once

#include <cstdint>

namespace halcyon {

constexpr int worldVertexSlots = 419;
constexpr int worldTriangleCount = 826;

// x, y, z per slot. Writable: the renderer scales it in place at set-up.
// Slots 415..418 are not used by any triangle.
extern float worldVertexTable[worldVertexSlots][3];
// Vertex indices per triangle, corners counter-clockwise seen from outside.
extern const int32_t worldTriangleTable[worldTriangleCount][3];

}  // namespace halcyon
