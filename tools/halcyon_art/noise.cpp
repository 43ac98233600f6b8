// noise.cpp — gradient, tileable and cell noise for the art generators.
#include "noise.h"

namespace halcyon_art {

namespace {

double Fade(double t) {
  return t * t * t * (t * (t * 6 - 15) + 10);
}

double Grad3(uint32_t h, double x, double y, double z) {
  switch (h % 12) {
    case 0:
      return x + y;
    case 1:
      return -x + y;
    case 2:
      return x - y;
    case 3:
      return -x - y;
    case 4:
      return x + z;
    case 5:
      return -x + z;
    case 6:
      return x - z;
    case 7:
      return -x - z;
    case 8:
      return y + z;
    case 9:
      return -y + z;
    case 10:
      return y - z;
    default:
      return -y - z;
  }
}

double Grad2(uint32_t h, double x, double y) {
  double angle = HashUnit(h) * 6.283185307179586;
  return std::cos(angle) * x + std::sin(angle) * y;
}

int Wrap(int i, int period) {
  int r = i % period;
  return r < 0 ? r + period : r;
}

}  // namespace

double Gradient3(double x, double y, double z, uint32_t seed) {
  int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y)),
      zi = static_cast<int>(std::floor(z));
  double xf = x - xi, yf = y - yi, zf = z - zi;
  double u = Fade(xf), v = Fade(yf), w = Fade(zf);
  double corner[8];
  for (int c = 0; c < 8; ++c) {
    int dx = c & 1, dy = (c >> 1) & 1, dz = (c >> 2) & 1;
    corner[c] = Grad3(Hash3(xi + dx, yi + dy, zi + dz, seed), xf - dx, yf - dy, zf - dz);
  }
  double x00 = Mix(corner[0], corner[1], u), x10 = Mix(corner[2], corner[3], u);
  double x01 = Mix(corner[4], corner[5], u), x11 = Mix(corner[6], corner[7], u);
  return Mix(Mix(x00, x10, v), Mix(x01, x11, v), w);
}

double Tile2(double u, double v, int period, uint32_t seed) {
  return TileXY(u, v, period, period, seed);
}

double TileXY(double u, double v, int periodX, int periodY, uint32_t seed) {
  double x = u * periodX, y = v * periodY;
  int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
  double xf = x - xi, yf = y - yi;
  double a = Grad2(Hash3(Wrap(xi, periodX), Wrap(yi, periodY), 0, seed), xf, yf);
  double b = Grad2(Hash3(Wrap(xi + 1, periodX), Wrap(yi, periodY), 0, seed), xf - 1, yf);
  double c = Grad2(Hash3(Wrap(xi, periodX), Wrap(yi + 1, periodY), 0, seed), xf, yf - 1);
  double d = Grad2(Hash3(Wrap(xi + 1, periodX), Wrap(yi + 1, periodY), 0, seed), xf - 1, yf - 1);
  double fu = Fade(xf), fv = Fade(yf);
  return 1.41421356 * Mix(Mix(a, b, fu), Mix(c, d, fu), fv);
}

double TileFbm(double u, double v, int period, int octaves, uint32_t seed, double gain) {
  double sum = 0, amplitude = 1, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amplitude * Tile2(u, v, period << o, seed + 101u * static_cast<uint32_t>(o));
    norm += amplitude;
    amplitude *= gain;
  }
  return sum / norm * 1.6;
}

CellSample TileCells(double u, double v, int period, uint32_t seed, double jitter) {
  double x = u * period, y = v * period;
  int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
  CellSample best;
  best.f1 = best.f2 = 1e9;
  for (int dy = -2; dy <= 2; ++dy) {
    for (int dx = -2; dx <= 2; ++dx) {
      int cx = xi + dx, cy = yi + dy;
      int wx = Wrap(cx, period), wy = Wrap(cy, period);
      uint32_t h = Hash3(wx, wy, 7, seed);
      double px = cx + 0.5 + jitter * (HashUnit(h) - 0.5);
      double py = cy + 0.5 + jitter * (HashUnit(Hash3(wx, wy, 11, seed)) - 0.5);
      double d = std::hypot(px - x, py - y);
      if (d < best.f1) {
        best.f2 = best.f1;
        best.f1 = d;
        best.id = h;
        best.cx = px / period;
        best.cy = py / period;
      } else if (d < best.f2) {
        best.f2 = d;
      }
    }
  }
  return best;
}

}  // namespace halcyon_art
