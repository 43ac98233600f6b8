// models.cpp — the four meshes of tessera's scene, built from a few closed
// primitives (ellipsoids, capped tubes, fans), and the model file encoder.
//
// Texture coordinates come from model-space x and y, so the faces that look
// along z show the texture best: the gem's table and the ring's face lie in
// the x-y plane, and the figure faces the viewer.
#include <cmath>
#include <numbers>

#include "art.h"

namespace art {

Vec3 Cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(Vec3 a, Vec3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Normalised(Vec3 a) {
  const float length = std::sqrt(Dot(a, a));
  return length > 0 ? a * (1.0f / length) : a;
}

void Mesh::Append(const Mesh& other) {
  const auto base = static_cast<uint32_t>(vertices.size());
  vertices.insert(vertices.end(), other.vertices.begin(), other.vertices.end());
  for (uint32_t index : other.indices) indices.push_back(base + index);
}

namespace {

constexpr float kTau = 2.0f * std::numbers::pi_v<float>;

// An ellipsoid with poles on y: slices around, stacks from pole to pole.
Mesh Ellipsoid(Vec3 centre, Vec3 radii, int slices, int stacks) {
  Mesh mesh;
  const uint32_t top = mesh.Add(centre + Vec3{0, radii.y, 0});
  for (int i = 1; i < stacks; ++i) {
    const float phi = std::numbers::pi_v<float> * static_cast<float>(i) / static_cast<float>(stacks);
    for (int j = 0; j < slices; ++j) {
      const float theta = kTau * static_cast<float>(j) / static_cast<float>(slices);
      mesh.Add(centre + Vec3{radii.x * std::sin(phi) * std::cos(theta), radii.y * std::cos(phi),
                             radii.z * std::sin(phi) * std::sin(theta)});
    }
  }
  const uint32_t bottom = mesh.Add(centre - Vec3{0, radii.y, 0});
  auto ring = [&](int i, int j) { return 1 + static_cast<uint32_t>((i - 1) * slices + (j % slices)); };
  for (int j = 0; j < slices; ++j) {
    mesh.Face(top, ring(1, j + 1), ring(1, j));
    mesh.Face(bottom, ring(stacks - 1, j), ring(stacks - 1, j + 1));
  }
  for (int i = 1; i < stacks - 1; ++i) {
    for (int j = 0; j < slices; ++j) {
      mesh.Face(ring(i, j), ring(i, j + 1), ring(i + 1, j + 1));
      mesh.Face(ring(i, j), ring(i + 1, j + 1), ring(i + 1, j));
    }
  }
  return mesh;
}

// A capped tube from p0 (radius r0) to p1 (radius r1) with the given sides.
Mesh Tube(Vec3 p0, Vec3 p1, float r0, float r1, int sides) {
  Mesh mesh;
  const Vec3 axis = Normalised(p1 - p0);
  const Vec3 helper = std::fabs(axis.z) < 0.9f ? Vec3{0, 0, 1} : Vec3{1, 0, 0};
  const Vec3 u = Normalised(Cross(axis, helper));
  const Vec3 v = Cross(axis, u);
  const uint32_t c0 = mesh.Add(p0);
  const uint32_t c1 = mesh.Add(p1);
  for (int j = 0; j < sides; ++j) {
    const float theta = kTau * (static_cast<float>(j) + 0.5f) / static_cast<float>(sides);
    const Vec3 radial = u * std::cos(theta) + v * std::sin(theta);
    mesh.Add(p0 + radial * r0);
    mesh.Add(p1 + radial * r1);
  }
  for (int j = 0; j < sides; ++j) {
    const uint32_t a0 = 2 + 2 * static_cast<uint32_t>(j), a1 = a0 + 1;
    const uint32_t b0 = 2 + 2 * static_cast<uint32_t>((j + 1) % sides), b1 = b0 + 1;
    mesh.Face(a0, b0, b1);
    mesh.Face(a0, b1, a1);
    mesh.Face(c0, b0, a0);
    mesh.Face(c1, a1, b1);
  }
  return mesh;
}

Vec3 Mirror(Vec3 v) {
  return {-v.x, v.y, v.z};
}

}  // namespace

// A figure in a star jump, arms raised and legs apart, from about y = -5 to
// y = 5.2: the outline reads as a person at any angle while it tumbles.
Mesh MakeFigure() {
  Mesh figure;
  figure.Append(Ellipsoid({0, 3.95f, 0}, {0.82f, 0.98f, 0.85f}, 8, 6));   // head
  figure.Append(Tube({0, 2.7f, 0}, {0, 3.25f, 0}, 0.36f, 0.32f, 6));      // neck
  figure.Append(Ellipsoid({0, 1.55f, 0}, {1.32f, 1.55f, 0.72f}, 10, 7));  // chest
  figure.Append(Ellipsoid({0, -0.15f, 0}, {1.02f, 0.72f, 0.66f}, 8, 5));  // hips
  for (int side = 0; side < 2; ++side) {
    auto place = [side](Vec3 v) { return side == 0 ? v : Mirror(v); };
    const Vec3 shoulder = place({1.15f, 2.55f, 0}), elbow = place({2.2f, 3.55f, 0.15f}),
               hand = place({3.05f, 4.75f, 0.1f});
    const Vec3 hip = place({0.55f, -0.45f, 0}), knee = place({1.2f, -2.55f, 0.2f}),
               ankle = place({1.6f, -4.45f, 0});
    figure.Append(Ellipsoid(shoulder, {0.5f, 0.45f, 0.45f}, 6, 4));
    figure.Append(Tube(shoulder, elbow, 0.42f, 0.34f, 6));
    figure.Append(Ellipsoid(elbow, {0.34f, 0.34f, 0.34f}, 6, 4));
    figure.Append(Tube(elbow, hand, 0.34f, 0.27f, 6));
    figure.Append(Ellipsoid(hand + place({0.12f, 0.22f, 0}), {0.36f, 0.42f, 0.26f}, 6, 4));
    figure.Append(Tube(hip, knee, 0.56f, 0.42f, 6));
    figure.Append(Ellipsoid(knee, {0.42f, 0.42f, 0.42f}, 6, 4));
    figure.Append(Tube(knee, ankle, 0.42f, 0.3f, 6));
    figure.Append(Ellipsoid(ankle + place({0.12f, -0.25f, 0.35f}), {0.38f, 0.28f, 0.7f}, 6, 4));  // foot
  }
  return figure;
}

// A brilliant-cut gem looking along z: octagonal table, crown facets down to a
// sixteen-sided girdle, and a pavilion to a point. About 8.6 units across.
Mesh MakeGem() {
  Mesh gem;
  constexpr int kTable = 8, kGirdle = 16;
  constexpr float kTableRadius = 2.1f, kGirdleRadius = 4.3f;
  const uint32_t tableCentre = gem.Add({0, 0, 1.7f});
  uint32_t table[kTable], girdleTop[kGirdle], girdleBottom[kGirdle];
  for (int i = 0; i < kTable; ++i) {
    const float a = kTau * static_cast<float>(i) / kTable;
    table[i] = gem.Add({kTableRadius * std::cos(a), kTableRadius * std::sin(a), 1.7f});
  }
  for (int i = 0; i < kGirdle; ++i) {
    const float a = kTau * static_cast<float>(i) / kGirdle;
    girdleTop[i] = gem.Add({kGirdleRadius * std::cos(a), kGirdleRadius * std::sin(a), 0.25f});
    girdleBottom[i] = gem.Add({kGirdleRadius * std::cos(a), kGirdleRadius * std::sin(a), -0.25f});
  }
  const uint32_t culet = gem.Add({0, 0, -3.9f});
  for (int i = 0; i < kTable; ++i) {
    const int next = (i + 1) % kTable;
    gem.Face(tableCentre, table[i], table[next]);
    gem.Face(table[i], girdleTop[2 * i], girdleTop[2 * i + 1]);
    gem.Face(table[i], girdleTop[2 * i + 1], table[next]);
    gem.Face(table[next], girdleTop[2 * i + 1], girdleTop[(2 * i + 2) % kGirdle]);
  }
  for (int i = 0; i < kGirdle; ++i) {
    const int next = (i + 1) % kGirdle;
    gem.Face(girdleTop[i], girdleBottom[i], girdleBottom[next]);
    gem.Face(girdleTop[i], girdleBottom[next], girdleTop[next]);
    gem.Face(girdleBottom[next], girdleBottom[i], culet);
  }
  return gem;
}

// A ring in the x-y plane with a hexagonal section: 10.4 units across.
Mesh MakeRing() {
  Mesh ring;
  constexpr int kAround = 18, kSection = 6;
  constexpr float kMajor = 3.9f, kMinor = 1.3f;
  for (int i = 0; i < kAround; ++i) {
    const float a = kTau * static_cast<float>(i) / kAround;
    for (int j = 0; j < kSection; ++j) {
      const float b = kTau * (static_cast<float>(j) + 0.5f) / kSection;
      const float radius = kMajor + kMinor * std::cos(b);
      ring.Add({radius * std::cos(a), radius * std::sin(a), kMinor * std::sin(b)});
    }
  }
  auto at = [](int i, int j) { return static_cast<uint32_t>((i % kAround) * kSection + (j % kSection)); };
  for (int i = 0; i < kAround; ++i) {
    for (int j = 0; j < kSection; ++j) {
      ring.Face(at(i, j), at(i + 1, j), at(i + 1, j + 1));
      ring.Face(at(i, j), at(i + 1, j + 1), at(i, j + 1));
    }
  }
  return ring;
}

// A spiky star: an icosahedron with a three-sided spike on every face.
// About 10.4 units from tip to tip.
Mesh MakeStar() {
  Mesh star;
  const float phi = (1.0f + std::sqrt(5.0f)) / 2.0f;
  const Vec3 corners[12] = {{-1, phi, 0}, {1, phi, 0}, {-1, -phi, 0}, {1, -phi, 0},
                            {0, -1, phi}, {0, 1, phi}, {0, -1, -phi}, {0, 1, -phi},
                            {phi, 0, -1}, {phi, 0, 1}, {-phi, 0, -1}, {-phi, 0, 1}};
  for (const Vec3& corner : corners) star.Add(Normalised(corner) * 2.0f);
  const uint32_t faces[20][3] = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                                 {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                                 {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                                 {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
  for (const auto& face : faces) {
    const Vec3 centre =
        (star.vertices[face[0]] + star.vertices[face[1]] + star.vertices[face[2]]) * (1.0f / 3.0f);
    const uint32_t tip = star.Add(Normalised(centre) * 5.2f);
    star.Face(face[0], face[1], tip);
    star.Face(face[1], face[2], tip);
    star.Face(face[2], face[0], tip);
  }
  return star;
}

std::vector<uint8_t> EncodeModel(const Mesh& mesh) {
  std::vector<uint8_t> bytes;
  auto put = [&bytes](uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
  };
  auto putFloat = [&put](float value) {
    uint32_t bits;
    static_assert(sizeof bits == sizeof value);
    __builtin_memcpy(&bits, &value, sizeof bits);
    put(bits);
  };
  put(static_cast<uint32_t>(mesh.vertices.size()));
  for (size_t i = 0; i < mesh.vertices.size(); ++i) {
    put(static_cast<uint32_t>(i));
    putFloat(mesh.vertices[i].x);
    putFloat(mesh.vertices[i].y);
    putFloat(mesh.vertices[i].z);
  }
  put(static_cast<uint32_t>(mesh.FaceCount()));
  for (size_t j = 0; j < mesh.FaceCount(); ++j) {
    put(static_cast<uint32_t>(j));
    for (int k = 0; k < 3; ++k) put(mesh.indices[3 * j + static_cast<size_t>(k)]);
  }
  return bytes;
}

}  // namespace art
