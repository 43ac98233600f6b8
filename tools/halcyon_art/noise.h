// noise.h — deterministic noise for the art generators: a small seeded
// generator, gradient noise in 3-D, and tileable 2-D noise and cell noise
// whose period divides the image so textures repeat without seams.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace halcyon_art {

// SplitMix64: a fixed, portable sequence for every seed.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state(seed) {}
  uint64_t Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  double Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

 private:
  uint64_t state;
};

// Integer hash used to place lattice gradients and cell points.
inline uint32_t Hash3(int32_t x, int32_t y, int32_t z, uint32_t seed) {
  uint32_t h = seed * 0x27d4eb2dU;
  h ^= static_cast<uint32_t>(x) * 0x85ebca6bU;
  h = (h << 13) | (h >> 19);
  h ^= static_cast<uint32_t>(y) * 0xc2b2ae35U;
  h = (h << 17) | (h >> 15);
  h ^= static_cast<uint32_t>(z) * 0x165667b1U;
  h ^= h >> 16;
  h *= 0x7feb352dU;
  h ^= h >> 15;
  h *= 0x846ca68bU;
  h ^= h >> 16;
  return h;
}

inline double HashUnit(uint32_t h) {
  return static_cast<double>(h) / 4294967296.0;
}

// Gradient noise in 3-D, roughly in -1..1.
double Gradient3(double x, double y, double z, uint32_t seed);

// Tileable gradient noise on the unit square: the lattice has period cells
// in both directions, so Tile2(u + 1, v) == Tile2(u, v). u, v in texture units.
double Tile2(double u, double v, int period, uint32_t seed);

// The same with separate periods across and down (stretched patterns).
double TileXY(double u, double v, int periodX, int periodY, uint32_t seed);

// Fractal sum of Tile2 octaves, each doubling the period; roughly -1..1.
double TileFbm(double u, double v, int period, int octaves, uint32_t seed, double gain = 0.5);

// Tileable cell noise: distances to the nearest and second-nearest feature
// point (one per cell, period cells across) and the nearest cell's id.
struct CellSample {
  double f1 = 0, f2 = 0;  // in cell widths
  uint32_t id = 0;
  double cx = 0, cy = 0;  // nearest feature point, texture units
};
CellSample TileCells(double u, double v, int period, uint32_t seed, double jitter = 1.0);

inline double Clamp01(double v) {
  return v < 0 ? 0 : (v > 1 ? 1 : v);
}
inline double SmoothStep(double a, double b, double v) {
  double t = Clamp01((v - a) / (b - a));
  return t * t * (3 - 2 * t);
}
inline double Mix(double a, double b, double t) {
  return a + (b - a) * t;
}

}  // namespace halcyon_art
