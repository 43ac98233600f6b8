// fog.cpp — the fog table helpers: the w each of the 64 table entries stands
// for, and exponential, squared exponential and linear tables.
#include <algorithm>
#include <cmath>

#include "context.h"
#include "exact_exp.h"
#include "record.h"

namespace {

GrFog_t ToEntry(float f) {
  if (!(f > 0.0f)) return 0;  // also NaN
  f = std::min(f, 1.0f);
  return static_cast<GrFog_t>(f * 255.0f);  // truncated, as the board's library does
}

float IndexToW(int i) {
  return std::ldexp(1.0f, 3 + (i >> 2)) / static_cast<float>(8 - (i & 3));
}

}  // namespace

using gfx::Record;
using gfx::ReportError;

extern "C" {

float guFogTableIndexToW(int i) {
  Record("guFogTableIndexToW", i);
  if (i < 0 || i >= GR_FOG_TABLE_SIZE) {
    ReportError("guFogTableIndexToW", "index outside 0..63");
    i = std::clamp(i, 0, GR_FOG_TABLE_SIZE - 1);
  }
  return IndexToW(i);
}

void guFogGenerateExp(GrFog_t fogTable[GR_FOG_TABLE_SIZE], float density) {
  Record("guFogGenerateExp", fogTable, density);
  if (!fogTable || !std::isfinite(density)) {
    ReportError("guFogGenerateExp", "null table or density not a number");
    return;
  }
  // The same table on every system: e^x from gfx, not the C library.
  const float scale = 1.0f / (1.0f - gfx::ExactExp(-density * IndexToW(GR_FOG_TABLE_SIZE - 1)));
  for (int i = 0; i < GR_FOG_TABLE_SIZE; ++i) {
    fogTable[i] = ToEntry((1.0f - gfx::ExactExp(-density * IndexToW(i))) * scale);
  }
}

void guFogGenerateExp2(GrFog_t fogTable[GR_FOG_TABLE_SIZE], float density) {
  Record("guFogGenerateExp2", fogTable, density);
  if (!fogTable || !std::isfinite(density)) {
    ReportError("guFogGenerateExp2", "null table or density not a number");
    return;
  }
  const float last = density * IndexToW(GR_FOG_TABLE_SIZE - 1);
  const float scale = 1.0f / (1.0f - gfx::ExactExp(-last * last));
  for (int i = 0; i < GR_FOG_TABLE_SIZE; ++i) {
    const float d = density * IndexToW(i);
    fogTable[i] = ToEntry((1.0f - gfx::ExactExp(-d * d)) * scale);
  }
}

void guFogGenerateLinear(GrFog_t fogTable[GR_FOG_TABLE_SIZE], float nearZ, float farZ) {
  Record("guFogGenerateLinear", fogTable, nearZ, farZ);
  if (!fogTable || !std::isfinite(nearZ) || !std::isfinite(farZ) || farZ == nearZ) {
    ReportError("guFogGenerateLinear", "null table or an empty or invalid range");
    return;
  }
  for (int i = 0; i < GR_FOG_TABLE_SIZE; ++i) {
    const float w = std::min(IndexToW(i), 65535.0f);
    fogTable[i] = ToEntry((w - nearZ) / (farZ - nearZ));
  }
}

}  // extern "C"
