// textures.cpp — the sphere map and the fifteen floor textures, drawn from
// noise with fixed seeds. Floor textures use only patterns that repeat over
// the unit square (tileable noise, cell noise with wrapped cells, integer
// frequencies), so the floor tiles without seams.
//
// Sections: helpers (colour ramps, height-field lighting) · sphere map ·
// floor textures, one function each · the table of floor textures.
#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>

#include "art.h"
#include "noise.h"

namespace halcyon_art {

namespace {

constexpr int kTile = 128;
constexpr double kTau = 6.283185307179586;

Rgb operator*(Rgb c, double s) {
  return {c.r * s, c.g * s, c.b * s};
}
Rgb operator+(Rgb a, Rgb b) {
  return {a.r + b.r, a.g + b.g, a.b + b.b};
}
Rgb Mul(Rgb a, Rgb b) {
  return {a.r * b.r, a.g * b.g, a.b * b.b};
}
Rgb MixRgb(Rgb a, Rgb b, double t) {
  return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)};
}
Rgb Hex(uint32_t v) {
  return {((v >> 16) & 0xFF) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0};
}

struct Stop {
  double at;
  Rgb colour;
};
Rgb Ramp(std::initializer_list<Stop> stops, double t) {
  const Stop* prev = stops.begin();
  if (t <= prev->at) return prev->colour;
  for (const Stop* s = stops.begin() + 1; s != stops.end(); ++s) {
    if (t <= s->at) return MixRgb(prev->colour, s->colour, (t - prev->at) / (s->at - prev->at));
    prev = s;
  }
  return prev->colour;
}

double Fract(double v) {
  return v - std::floor(v);
}

// Texel centres in texture units.
double U(int x) {
  return (x + 0.5) / kTile;
}

Image Blank(int size) {
  Image image;
  image.width = image.height = size;
  image.pixels.resize(static_cast<size_t>(size) * size);
  return image;
}

// Fills a tile from a function of (u, v).
Image Paint(const std::function<Rgb(double, double)>& f) {
  Image image = Blank(kTile);
  for (int y = 0; y < kTile; ++y)
    for (int x = 0; x < kTile; ++x) image.At(x, y) = f(U(x), U(y));
  return image;
}

// A height field with an albedo, lit from the upper left with a soft
// highlight. Slopes wrap at the edges, so a tileable field stays tileable.
struct Surface {
  std::vector<double> height = std::vector<double>(kTile * kTile);
  std::vector<Rgb> albedo = std::vector<Rgb>(kTile * kTile);
  std::vector<double> gloss = std::vector<double>(kTile * kTile, 0.0);
};

Image Light(const Surface& s, double relief, double ambient = 0.38, double shininess = 24) {
  Image image = Blank(kTile);
  const double lx = -0.45, ly = -0.55, lz = 0.70;
  const double ll = std::sqrt(lx * lx + ly * ly + lz * lz);
  const double hx = lx / ll, hy = ly / ll, hz = lz / ll + 1.0;
  const double hl = std::sqrt(hx * hx + hy * hy + hz * hz);
  auto h = [&](int x, int y) { return s.height[((y + kTile) % kTile) * kTile + (x + kTile) % kTile]; };
  for (int y = 0; y < kTile; ++y) {
    for (int x = 0; x < kTile; ++x) {
      double dx = (h(x + 1, y) - h(x - 1, y)) * relief, dy = (h(x, y + 1) - h(x, y - 1)) * relief;
      double nl = std::sqrt(dx * dx + dy * dy + 1.0);
      double nx = -dx / nl, ny = -dy / nl, nz = 1.0 / nl;
      double diffuse = std::max(0.0, (nx * lx + ny * ly + nz * lz) / ll);
      double specular = std::pow(std::max(0.0, (nx * hx + ny * hy + nz * hz) / hl), shininess);
      size_t i = static_cast<size_t>(y) * kTile + x;
      Rgb c = s.albedo[i] * (ambient + (1.0 - ambient) * 1.25 * diffuse);
      image.pixels[i] = c + Rgb{1, 0.97, 0.9} * (s.gloss[i] * specular);
    }
  }
  return image;
}

template <class F>
void ForTexels(F f) {
  for (int y = 0; y < kTile; ++y)
    for (int x = 0; x < kTile; ++x) f(x, y, U(x), U(y), static_cast<size_t>(y) * kTile + x);
}

// ---- Sphere map --------------------------------------------------------------

}  // namespace

Image SphereMap() {
  // A texel (px, py) stands for the normal that faces (1 - px/128, 1 - py/128)
  // across and down the screen, and towards the viewer. The light sits to the
  // upper right of the screen, which is the lower left of the map.
  Image image = Blank(256);
  const double lx = 0.80, ly = -0.70, lz = -0.40;  // towards the light
  const double ll = std::sqrt(lx * lx + ly * ly + lz * lz);
  const double fx = -0.7, fy = 0.35, fz = -0.2;  // a cool fill light from the other side
  const double fl = std::sqrt(fx * fx + fy * fy + fz * fz);
  for (int py = 0; py < 256; ++py) {
    for (int px = 0; px < 256; ++px) {
      Rgb sum{};
      // 3 x 3 supersampling smooths the rim against the black ground.
      for (int sy = 0; sy < 3; ++sy) {
        for (int sx = 0; sx < 3; ++sx) {
          double nx = 1.0 - (px + (sx + 0.5) / 3.0) / 128.0;
          double ny = 1.0 - (py + (sy + 0.5) / 3.0) / 128.0;
          double r2 = nx * nx + ny * ny;
          if (r2 >= 1.0) continue;
          double nz = -std::sqrt(1.0 - r2);
          // Clouds are painted on the sphere itself: noise over the normal.
          double warp = Gradient3(nx * 2.0 + 3.1, ny * 2.0 + 1.7, nz * 2.0 + 0.3, 71);
          double c = 0;
          double amp = 1, freq = 2.2, norm = 0;
          for (int o = 0; o < 5; ++o) {
            c += amp * Gradient3(nx * freq + warp * 1.2, ny * freq * 1.6 + 5.0, nz * freq + warp, 90 + o);
            norm += amp;
            amp *= 0.55;
            freq *= 2.05;
          }
          c = c / norm * 1.7;
          double cloud = SmoothStep(-0.15, 0.55, c);
          double band = 0.5 + 0.5 * std::sin(ny * 7.0 + warp * 3.0);
          Rgb deep = MixRgb(Hex(0x0B2A6B), Hex(0x1C6C9E), band * 0.6);
          Rgb albedo = MixRgb(deep, Hex(0xE8F0FF), cloud * 0.85);
          albedo = MixRgb(albedo, Hex(0x5B3A8E), SmoothStep(0.2, 0.9, -c) * 0.35);

          double diffuse = std::max(0.0, (nx * lx + ny * ly + nz * lz) / ll);
          double fill = std::max(0.0, (nx * fx + ny * fy + nz * fz) / fl);
          // Reflection of the view ray (0, 0, 1 into the screen) about the normal.
          double rz = 1.0 - 2.0 * nz * nz, rx = -2.0 * nz * nx, ry = -2.0 * nz * ny;
          double rl = (rx * lx + ry * ly + rz * lz) / ll;
          double specular = std::pow(std::max(0.0, rl), 60.0);
          double sheen = std::pow(std::max(0.0, rl), 8.0);
          double rim = std::pow(std::sqrt(r2), 6.0);
          Rgb colour = albedo * (0.10 + 0.95 * diffuse) + Mul(albedo, Hex(0x6FA8FF)) * (0.35 * fill);
          colour = colour + Rgb{1.0, 0.96, 0.85} * (1.3 * specular) + Rgb{0.8, 0.85, 1.0} * (0.22 * sheen);
          colour = colour + Hex(0x3FA0FF) * (0.35 * rim * (0.3 + diffuse));
          colour = colour * (1.0 - 0.45 * rim * (1.0 - diffuse));
          sum = sum + colour;
        }
      }
      image.At(px, py) = sum * (1.0 / 9.0);
    }
  }
  return image;
}

namespace {

// ---- Floor textures ------------------------------------------------------------

Image Cobbles() {
  Surface s;
  ForTexels([&](int, int, double u, double v, size_t i) {
    double wu = u + 0.04 * TileFbm(u, v, 4, 3, 11), wv = v + 0.04 * TileFbm(u, v, 4, 3, 12);
    CellSample c = TileCells(wu, wv, 6, 5, 0.85);
    double edge = c.f2 - c.f1;
    double dome = SmoothStep(0.0, 0.35, edge);
    double grain = TileFbm(u, v, 16, 3, 13);
    s.height[i] = dome * 0.9 + 0.08 * grain;
    double tint = HashUnit(c.id);
    Rgb stone =
        Ramp({{0, Hex(0x5E5A55)}, {0.4, Hex(0x8A8174)}, {0.75, Hex(0x9C8F7E)}, {1, Hex(0x6F7479)}}, tint);
    stone = stone * (0.85 + 0.25 * grain);
    Rgb mortar = Hex(0x2E2A26) * (0.8 + 0.3 * grain);
    s.albedo[i] = MixRgb(mortar, stone, SmoothStep(0.02, 0.1, edge));
    s.gloss[i] = 0.25 * dome;
  });
  return Light(s, 7.0);
}

Image DiamondPlate() {
  Surface s;
  ForTexels([&](int, int, double u, double v, size_t i) {
    double brushed = TileXY(u, v, 2, 64, 21) * 0.6 + TileXY(u, v, 4, 128, 22) * 0.4;
    // Raised lozenges on a staggered lattice, alternating direction.
    double gu = u * 8, gv = v * 8;
    int cu = static_cast<int>(std::floor(gu)), cv = static_cast<int>(std::floor(gv));
    double lu = Fract(gu) - 0.5, lv = Fract(gv) - 0.5;
    double angle = ((cu + cv) & 1) ? 0.785 : -0.785;
    double ru = lu * std::cos(angle) + lv * std::sin(angle),
           rv = -lu * std::sin(angle) + lv * std::cos(angle);
    double d = std::sqrt((ru / 0.36) * (ru / 0.36) + (rv / 0.09) * (rv / 0.09));
    double bump = 1.0 - SmoothStep(0.6, 1.0, d);
    s.height[i] = bump * 0.55 + 0.02 * brushed;
    Rgb metal = MixRgb(Hex(0x7C838C), Hex(0xB4BCC6), 0.5 + 0.5 * brushed);
    double smudge = TileFbm(u, v, 3, 3, 23);
    s.albedo[i] = metal * (0.85 + 0.15 * smudge);
    s.gloss[i] = 0.9;
  });
  return Light(s, 9.0, 0.42, 40);
}

Image Leaves() {
  Image image = Blank(kTile);
  std::vector<double> depth(kTile * kTile, 0.0);
  ForTexels([&](int x, int y, double u, double v, size_t) {
    double n = TileFbm(u, v, 8, 3, 31);
    image.At(x, y) = Hex(0x0F2410) * (0.7 + 0.3 * n);
  });
  Rng rng(3101);
  const int leafCount = 170;
  for (int k = 0; k < leafCount; ++k) {
    double cu = rng.Uniform(), cv = rng.Uniform();
    double angle = rng.Range(0, kTau), length = rng.Range(0.07, 0.12), width = length * rng.Range(0.32, 0.45);
    double layer = static_cast<double>(k) / leafCount;
    Rgb base = Ramp({{0, Hex(0x1E4D1A)}, {0.5, Hex(0x3F7A24)}, {0.8, Hex(0x6E9A2E)}, {1, Hex(0x9DB540)}},
                    rng.Uniform() * 0.6 + layer * 0.4);
    double ca = std::cos(angle), sa = std::sin(angle);
    int reach = static_cast<int>(length * kTile) + 2;
    int px = static_cast<int>(cu * kTile), py = static_cast<int>(cv * kTile);
    for (int dy = -reach; dy <= reach; ++dy) {
      for (int dx = -reach; dx <= reach; ++dx) {
        int x = ((px + dx) % kTile + kTile) % kTile, y = ((py + dy) % kTile + kTile) % kTile;
        double ox = (px + dx + 0.5) / kTile - cu, oy = (py + dy + 0.5) / kTile - cv;
        double a = (ox * ca + oy * sa) / length, b = (-ox * sa + oy * ca) / width;  // along, across
        if (a < -1 || a > 1) continue;
        double half = std::sqrt(std::max(0.0, 1 - a * a)) * (a > 0 ? (1 - 0.35 * a) : 1);
        if (std::fabs(b) > half) continue;
        double across = std::fabs(b) / std::max(half, 1e-3);
        double rib = SmoothStep(0.0, 0.08, across);
        double veins = 0.5 + 0.5 * std::cos((a * 6 + across * 3) * kTau * 0.5);
        double light = 0.75 + 0.35 * (b < 0 ? 1 : -0.4) * across + 0.1 * veins;
        Rgb c = base * (light * (0.55 + 0.45 * layer + 0.0));
        c = MixRgb(Hex(0xC8D870) * (0.6 + 0.4 * layer), c, rib);
        // Soft edge against what lies beneath.
        double edge = SmoothStep(1.0, 0.85, across);
        image.At(x, y) = MixRgb(image.At(x, y), c, edge);
        depth[static_cast<size_t>(y) * kTile + x] = layer;
      }
    }
  }
  return image;
}

Image Water() {
  return Paint([](double u, double v) {
    double wu = u + 0.05 * TileFbm(u, v, 3, 3, 41), wv = v + 0.05 * TileFbm(u, v, 3, 3, 42);
    CellSample a = TileCells(wu, wv, 5, 43, 0.9);
    CellSample b = TileCells(wu + 0.31, wv + 0.17, 7, 44, 0.9);
    double ca = 1.0 - SmoothStep(0.0, 0.16, a.f2 - a.f1);
    double cb = 1.0 - SmoothStep(0.0, 0.12, b.f2 - b.f1);
    double caustic = std::pow(ca, 1.5) * 0.8 + std::pow(cb, 1.5) * 0.55;
    double depth = 0.5 + 0.5 * TileFbm(u, v, 2, 3, 45);
    Rgb water = Ramp({{0, Hex(0x06284A)}, {0.5, Hex(0x0C5A7A)}, {1, Hex(0x1A8C96)}}, depth);
    return water + Ramp({{0, Hex(0x000000)}, {0.6, Hex(0x40C8D0)}, {1.2, Hex(0xE0FFFF)}}, caustic) * 0.9;
  });
}

Image Lava() {
  return Paint([](double u, double v) {
    double wu = u + 0.06 * TileFbm(u, v, 4, 3, 51), wv = v + 0.06 * TileFbm(u, v, 4, 3, 52);
    CellSample c = TileCells(wu, wv, 5, 53, 0.9);
    double crack = 1.0 - SmoothStep(0.0, 0.22, c.f2 - c.f1);
    double glow = std::pow(crack, 1.6) * (0.75 + 0.25 * TileFbm(u, v, 8, 2, 54));
    double crust = 0.5 + 0.5 * TileFbm(u, v, 8, 4, 55);
    Rgb rock = Ramp({{0, Hex(0x120A08)}, {0.6, Hex(0x2C1A14)}, {1, Hex(0x4A3026)}}, crust);
    rock = rock * (0.7 + 0.5 * SmoothStep(0.1, 0.6, c.f2 - c.f1));
    Rgb fire = Ramp({{0, Hex(0x000000)},
                     {0.3, Hex(0x8A1004)},
                     {0.6, Hex(0xE84A08)},
                     {0.85, Hex(0xFFB020)},
                     {1, Hex(0xFFF2A0)}},
                    glow);
    return rock + fire;
  });
}

Image Marble() {
  return Paint([](double u, double v) {
    double turbulence = 0;
    double amp = 1;
    for (int o = 0; o < 5; ++o) {
      turbulence += amp * std::fabs(Tile2(u, v, 2 << o, 61 + o));
      amp *= 0.5;
    }
    double phase = kTau * (2 * u + 1 * v) + 5.5 * turbulence;
    double vein = std::pow(1.0 - std::fabs(std::sin(phase)), 5);
    double fine = std::pow(1.0 - std::fabs(std::sin(kTau * (3 * u - 2 * v) + 7 * turbulence)), 30);
    double cloud = 0.5 + 0.5 * TileFbm(u, v, 4, 4, 66);
    Rgb stone = Ramp({{0, Hex(0xD8D2C8)}, {0.6, Hex(0xEEEAE2)}, {1, Hex(0xFBF8F2)}}, cloud);
    stone = MixRgb(stone, Hex(0x4A5868), vein * 0.8);
    stone = MixRgb(stone, Hex(0xB8A078), std::pow(1.0 - std::fabs(std::sin(phase + 0.6)), 12) * 0.5);
    stone = MixRgb(stone, Hex(0x8A7A6A), fine * 0.45);
    return stone;
  });
}

Image Planks() {
  Surface s;
  ForTexels([&](int, int, double u, double v, size_t i) {
    const int planks = 4;
    double pv = v * planks;
    int row = static_cast<int>(std::floor(pv));
    double inRow = Fract(pv);
    // Each plank has one butt joint at its own place along the row.
    double joint = HashUnit(Hash3(row, 0, 0, 71));
    double along = Fract(u - joint);
    int piece = row;  // one board per row, from its joint round the wrap
    double seamV = SmoothStep(0.0, 0.04, inRow) * SmoothStep(1.0, 0.96, inRow);
    double seamU = SmoothStep(0.0, 0.01, along) * SmoothStep(1.0, 0.99, along);
    double grain = TileXY(u, v, 3, 24, 72 + piece) * 0.35;
    double rings = 0.5 + 0.5 * std::sin(kTau * (inRow * 3.0 + grain * 2.0 + HashUnit(Hash3(piece, 1, 0, 73)) +
                                                0.6 * std::sin(kTau * u * 2)));
    double streak = TileXY(u, v, 8, 64, 74);
    double tone = HashUnit(Hash3(row, 2, 0, 75));
    Rgb wood = Ramp({{0, Hex(0x5A3418)}, {0.5, Hex(0x8A5A2C)}, {1, Hex(0xB07A40)}}, 0.25 + 0.5 * tone);
    wood = MixRgb(wood, Hex(0x4A2810), std::pow(rings, 3) * 0.6);
    wood = wood * (0.9 + 0.12 * streak);
    s.albedo[i] = wood * (0.35 + 0.65 * seamV * seamU);
    s.height[i] = seamV * seamU * 0.6 + 0.05 * rings;
    s.gloss[i] = 0.35;
  });
  return Light(s, 6.0, 0.45, 18);
}

Image GlazedTiles() {
  Surface s;
  ForTexels([&](int, int, double u, double v, size_t i) {
    const int tiles = 4;
    double tu = Fract(u * tiles), tv = Fract(v * tiles);
    int cx = static_cast<int>(u * tiles), cy = static_cast<int>(v * tiles);
    double x = tu - 0.5, y = tv - 0.5;
    double border = std::max(std::fabs(x), std::fabs(y));
    double grout = SmoothStep(0.47, 0.44, border);
    // A four-petalled motif; quarter circles at the corners join into rings
    // across neighbouring tiles.
    double r = std::sqrt(x * x + y * y);
    double theta = std::atan2(y, x);
    double petal = std::fabs(std::cos(2 * theta)) * 0.28 + 0.06;
    double motif = SmoothStep(petal + 0.015, petal - 0.015, r);
    double centre = SmoothStep(0.075, 0.06, r);
    double corner = std::min(std::min(std::hypot(tu, tv), std::hypot(1 - tu, tv)),
                             std::min(std::hypot(tu, 1 - tv), std::hypot(1 - tu, 1 - tv)));
    double ring = SmoothStep(0.03, 0.0, std::fabs(corner - 0.3));
    bool alt = ((cx + cy) & 1) != 0;
    Rgb glaze = alt ? Hex(0xF2EEE0) : Hex(0xE9E4D2);
    Rgb blue = Hex(0x1A4A9A), ochre = Hex(0xD09A30);
    Rgb c = MixRgb(glaze, blue, motif);
    c = MixRgb(c, ochre, centre);
    c = MixRgb(c, blue * 0.8, ring);
    double crackle = TileFbm(u, v, 16, 2, 81);
    c = c * (0.94 + 0.06 * crackle);
    s.albedo[i] = MixRgb(Hex(0x8A847A), c, grout);
    s.height[i] = grout * 0.5 - 0.02 * motif;
    s.gloss[i] = 0.8 * grout;
  });
  return Light(s, 8.0, 0.5, 50);
}

Image Sand() {
  Surface s;
  ForTexels([&](int x, int y, double u, double v, size_t i) {
    double warp = TileFbm(u, v, 2, 3, 91) * 0.6;
    double phase = Fract(v * 6 + u * 1 + warp);
    double ripple = phase < 0.7 ? phase / 0.7 : (1 - phase) / 0.3;  // long gentle side, short steep side
    double speck = HashUnit(Hash3(x, y, 0, 92));
    s.height[i] = ripple * 0.5 + 0.03 * speck;
    Rgb sand = Ramp({{0, Hex(0xB08850)}, {0.5, Hex(0xD2AE72)}, {1, Hex(0xE8CC94)}},
                    0.5 + 0.4 * TileFbm(u, v, 4, 3, 93));
    sand = sand * (0.92 + 0.16 * speck);
    if (speck > 0.985) sand = Hex(0x3A2E22);
    s.albedo[i] = sand;
    s.gloss[i] = 0.1;
  });
  return Light(s, 5.0, 0.4);
}

Image Brick() {
  Surface s;
  ForTexels([&](int, int, double u, double v, size_t i) {
    const int rows = 8, perRow = 4;
    double rv = v * rows;
    int row = static_cast<int>(std::floor(rv));
    double ru = u * perRow + (row & 1) * 0.5;
    int col = static_cast<int>(std::floor(ru));
    double bu = Fract(ru), bv = Fract(rv);
    double mortarU = SmoothStep(0.0, 0.035, bu) * SmoothStep(1.0, 0.965, bu);
    double mortarV = SmoothStep(0.0, 0.09, bv) * SmoothStep(1.0, 0.91, bv);
    double face = mortarU * mortarV;
    int wrapCol = ((col % perRow) + perRow) % perRow;
    double tone = HashUnit(Hash3(wrapCol, row, 0, 101));
    double grit = TileFbm(u, v, 16, 3, 102);
    Rgb brick =
        Ramp({{0, Hex(0x6E2A1C)}, {0.5, Hex(0x9A4028)}, {0.8, Hex(0xB25A34)}, {1, Hex(0x7A5040)}}, tone);
    brick = brick * (0.85 + 0.2 * grit);
    double soot = SmoothStep(0.3, 0.9, TileFbm(u, v, 3, 3, 103));
    brick = MixRgb(brick, Hex(0x3A2A24), soot * 0.35);
    s.albedo[i] = MixRgb(Hex(0x9C968A) * (0.8 + 0.2 * grit), brick, face);
    s.height[i] = face * 0.6 + 0.06 * grit;
    s.gloss[i] = 0.1;
  });
  return Light(s, 6.0);
}

Image Rust() {
  Surface s;
  ForTexels([&](int x, int y, double u, double v, size_t i) {
    double n = TileFbm(u, v, 4, 5, 111);
    double paint = SmoothStep(0.05, 0.2, n);
    double pits = HashUnit(Hash3(x, y, 1, 112));
    double rustTone = 0.5 + 0.5 * TileFbm(u, v, 8, 4, 113);
    Rgb rust =
        Ramp({{0, Hex(0x3A1A0C)}, {0.4, Hex(0x7A3414)}, {0.7, Hex(0xA8561E)}, {1, Hex(0xC88434)}}, rustTone);
    rust = rust * (0.85 + 0.2 * pits);
    Rgb coat = MixRgb(Hex(0x2E5A6A), Hex(0x4A7C88), 0.5 + 0.5 * TileFbm(u, v, 6, 2, 114));
    double streak = TileXY(u, v, 16, 2, 115);
    coat = coat * (0.9 + 0.1 * streak);
    s.albedo[i] = MixRgb(rust, coat, paint);
    s.height[i] = paint * 0.35 + (1 - paint) * 0.1 * pits + 0.05 * n;
    s.gloss[i] = 0.35 * paint;
  });
  return Light(s, 5.0);
}

Image Ice() {
  return Paint([](double u, double v) {
    CellSample big = TileCells(u, v, 4, 121, 0.9);
    CellSample small = TileCells(u + 0.1, v + 0.3, 9, 122, 0.9);
    double crackBig = 1.0 - SmoothStep(0.0, 0.03, big.f2 - big.f1);
    double crackSmall = 1.0 - SmoothStep(0.0, 0.04, small.f2 - small.f1);
    double depth = 0.5 + 0.5 * TileFbm(u, v, 3, 4, 123);
    double frost = SmoothStep(0.2, 0.8, 0.5 + 0.5 * TileFbm(u, v, 12, 3, 124));
    Rgb ice = Ramp({{0, Hex(0x1A4A78)}, {0.5, Hex(0x4E8CC0)}, {1, Hex(0x9CCCEC)}}, depth);
    ice = ice * (0.8 + 0.4 * SmoothStep(0.0, 0.5, big.f2 - big.f1));
    ice = MixRgb(ice, Hex(0xEAF6FF), frost * 0.35);
    ice = MixRgb(ice, Hex(0xF4FCFF), crackBig * 0.9);
    ice = MixRgb(ice, Hex(0xC8E8FA), crackSmall * 0.45);
    return ice;
  });
}

Image Granite() {
  return Paint([](double u, double v) {
    CellSample a = TileCells(u, v, 22, 131, 1.0);
    CellSample b = TileCells(u + 0.37, v + 0.11, 30, 132, 1.0);
    double t = HashUnit(a.id);
    Rgb grain = Ramp({{0, Hex(0x1C1A1C)},
                      {0.25, Hex(0x4A4548)},
                      {0.55, Hex(0xB89A94)},
                      {0.8, Hex(0xD8C8C0)},
                      {1, Hex(0xE8DCD4)}},
                     t);
    double t2 = HashUnit(b.id);
    if (t2 > 0.82) grain = MixRgb(grain, Hex(0x121012), 0.8);
    if (t2 < 0.1) grain = MixRgb(grain, Hex(0xC8806C), 0.6);
    double edge = SmoothStep(0.0, 0.15, a.f2 - a.f1);
    return grain * (0.8 + 0.2 * edge) * (0.9 + 0.1 * TileFbm(u, v, 4, 3, 133));
  });
}

Image StainedGlass() {
  return Paint([](double u, double v) {
    double wu = u + 0.02 * TileFbm(u, v, 4, 2, 141), wv = v + 0.02 * TileFbm(u, v, 4, 2, 142);
    CellSample c = TileCells(wu, wv, 5, 143, 0.8);
    double lead = SmoothStep(0.0, 0.07, c.f2 - c.f1);
    static const uint32_t jewels[] = {0xA01828, 0x1838A0, 0x188048, 0xD0A020, 0x6A2890, 0x1888A8, 0xC85818};
    Rgb glass = Hex(jewels[c.id % 7]);
    double glow = 1.0 - SmoothStep(0.0, 0.9, c.f1);
    double seeds = TileFbm(u, v, 16, 2, 144);
    glass = glass * (0.55 + 0.65 * glow + 0.1 * seeds);
    glass = glass + Rgb{1, 1, 0.9} * (0.25 * std::pow(glow, 6));
    return MixRgb(Hex(0x141414), glass, lead);
  });
}

Image CopperScales() {
  Surface s;
  ForTexels([&](int, int, double u, double v, size_t i) {
    // Overlapping round scales, each row shifted by half a scale; the lower
    // row covers the upper one.
    const int across = 6, down = 8;
    double best = -1, bestHeight = 0;
    double bestDistance = 1;
    int bestRow = 0, bestCol = 0;
    double gv = v * down;
    for (int dr = -1; dr <= 1; ++dr) {
      int row = static_cast<int>(std::floor(gv)) + dr;
      double shift = (((row % 2) + 2) % 2) * 0.5;
      double gu = u * across - shift;
      for (int dc = -1; dc <= 1; ++dc) {
        int col = static_cast<int>(std::floor(gu)) + dc;
        double cx = col + 0.5, cy = row + 0.0;
        double dx = gu - cx, dy = (gv - cy) * across / down * 1.0;
        double d = std::sqrt(dx * dx + dy * dy);
        if (d < 0.62 && gv >= cy - 0.05 && row > best) {
          best = row;
          bestDistance = d / 0.62;
          bestHeight = 1 - bestDistance * bestDistance;
          bestRow = row;
          bestCol = col;
        }
      }
    }
    int wrapRow = ((bestRow % down) + down) % down, wrapCol = ((bestCol % across) + across) % across;
    double tone = HashUnit(Hash3(wrapCol, wrapRow, 0, 151));
    double verdigris = SmoothStep(0.1, 0.7, 0.5 + 0.5 * TileFbm(u, v, 4, 4, 152) + 0.3 * (tone - 0.5));
    Rgb copper = Ramp({{0, Hex(0x6A3418)}, {0.5, Hex(0xB86A38)}, {1, Hex(0xE09A5A)}}, 0.3 + 0.5 * tone);
    Rgb patina = Ramp({{0, Hex(0x2A7A6A)}, {1, Hex(0x6AC0A8)}}, tone);
    Rgb c = MixRgb(copper, patina, verdigris * 0.85);
    c = c * (0.55 + 0.45 * SmoothStep(1.0, 0.8, bestDistance));
    s.albedo[i] = c;
    s.height[i] = 0.5 * bestHeight;
    s.gloss[i] = 0.6 * (1 - verdigris);
  });
  return Light(s, 7.0, 0.4, 30);
}

struct FloorEntry {
  const char* name;
  Image (*make)();
};
const FloorEntry kFloors[15] = {
    {"cobbles", Cobbles},
    {"diamond plate", DiamondPlate},
    {"leaves", Leaves},
    {"water", Water},
    {"lava", Lava},
    {"marble", Marble},
    {"planks", Planks},
    {"glazed tiles", GlazedTiles},
    {"sand", Sand},
    {"brick", Brick},
    {"rust", Rust},
    {"ice", Ice},
    {"granite", Granite},
    {"stained glass", StainedGlass},
    {"copper scales", CopperScales},
};

}  // namespace

Image FloorTexture(int index) {
  if (index < 0 || index >= 15) throw std::out_of_range("floor texture index");
  return kFloors[index].make();
}

const char* FloorTextureName(int index) {
  return index >= 0 && index < 15 ? kFloors[index].name : "";
}

}  // namespace halcyon_art
