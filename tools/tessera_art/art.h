// art.h — the generators of tessera's data: the four model meshes, the six
// textures, and the 200 × 150 picture of the saver shown in its dialogs. Every
// generator is deterministic: the same build makes the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace art {

struct Vec3 {
  float x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, float s) {
  return {a.x * s, a.y * s, a.z * s};
}
Vec3 Cross(Vec3 a, Vec3 b);
float Dot(Vec3 a, Vec3 b);
Vec3 Normalised(Vec3 a);

// A closed triangle mesh as a model file stores it.
struct Mesh {
  std::vector<Vec3> vertices;
  std::vector<uint32_t> indices;  // three per face
  uint32_t Add(Vec3 v) {
    vertices.push_back(v);
    return static_cast<uint32_t>(vertices.size() - 1);
  }
  void Face(uint32_t a, uint32_t b, uint32_t c) { indices.insert(indices.end(), {a, b, c}); }
  void Append(const Mesh& other);
  size_t FaceCount() const { return indices.size() / 3; }
};

Mesh MakeFigure();  // "dude.vh3": a figure about 10 units tall
Mesh MakeGem();     // "object0.VH3"
Mesh MakeRing();    // "object1.VH3"
Mesh MakeStar();    // "object2.VH3"
// The model file: vertex count, 16-byte vertex records, face count, 16-byte
// face records, little-endian. The first four bytes of each record carry a
// running number, which readers ignore.
std::vector<uint8_t> EncodeModel(const Mesh& mesh);

struct Rgb {
  float r = 0, g = 0, b = 0;  // 0..1
};
struct Image {
  int width = 0, height = 0;
  std::vector<Rgb> pixels;
  Image() = default;
  Image(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h) {}
  Rgb& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  const Rgb& At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

constexpr int kTextureSize = 256;
// Texture i: 0..4 are "tex1.3df".."tex5.3df", 5 is "plane.3df". Seamless.
Image MakeTexture(int index);
extern const char* const kTextureNames[6];

// A full mipmap chain (box filtered) of a square power-of-two image.
std::vector<Image> MipChain(const Image& image);
// The .3df file of a square RGB565 texture with its full chain.
std::vector<uint8_t> Encode3df(const Image& image);
// The texel a decoder gets back from the 565 quantisation (for previews).
Rgb Quantised565(Rgb c, int x, int y);

// The picture of the saver: the scene rendered at 200 × 150.
Image RenderSaverPicture(const std::vector<Image>& textures, const Mesh& figure,
                         const std::vector<Mesh>& objects);
// An uncompressed 8-bit .bmp with a 256-colour palette made for the picture.
std::vector<uint8_t> EncodeBmp8(const Image& image);

bool WritePng(const std::string& path, const Image& image);
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace art
