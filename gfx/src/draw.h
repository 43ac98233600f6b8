// draw.h — what the drawing calls share: handing a triangle to the
// rasteriser, with or without the cull mode, and the check before a draw.
#pragma once

#include <glide.h>

namespace gfx {

// The library is open; the settings are handed to the rasteriser.
bool ReadyToDraw(const char* function);
// One triangle as given: the rasteriser culls it by the cull mode.
void Triangle(const GrVertex& a, const GrVertex& b, const GrVertex& c);
// (b - a) x (c - a): positive when clockwise on the screen (y down).
float SignedArea(const GrVertex& a, const GrVertex& b, const GrVertex& c);
// One triangle that no cull mode drops (points, lines, edge fringes).
void Uncullable(const GrVertex& a, const GrVertex& b, const GrVertex& c);

}  // namespace gfx
