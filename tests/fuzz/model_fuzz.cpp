// model_fuzz.cpp — tessera's model loader: from memory and from a file, the
// two must agree; a loaded body holds every announced record and only face
// indices inside its vertex list; a refused one is left as it was.
#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "fuzz_targets.h"
#include "tessera/scene/model.h"

namespace fuzz {

namespace {

// The file read record by record as the loader is meant to read it: bytes
// missing at the end keep the record read before (zeros at first); refused
// only for a count past kMaxModelRecords or a face index past the vertices.
struct Expected {
  bool accepted = false;
  uint32_t vertexCount = 0;
  std::vector<tessera::Face> faces;
};

Expected Decode(const uint8_t* data, size_t size) {
  size_t at = 0;
  auto take = [&](uint8_t* buffer, size_t n) {
    const size_t got = std::min(n, size - at);
    if (got == 0) return;
    std::memcpy(buffer, data + at, got);
    at += got;
  };
  auto u32 = [](const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
  };
  Expected expected;
  uint8_t count[4] = {};
  take(count, 4);
  expected.vertexCount = u32(count);
  if (expected.vertexCount > tessera::kMaxModelRecords) return expected;
  uint8_t record[16] = {};
  for (uint32_t i = 0; i < expected.vertexCount && at < size; ++i) take(record, 16);
  uint8_t faceCount[4] = {};
  take(faceCount, 4);
  const uint32_t faces = u32(faceCount);
  if (faces > tessera::kMaxModelRecords) return expected;
  uint8_t face[16] = {};
  for (uint32_t j = 0; j < faces; ++j) {
    take(face, 16);
    const tessera::Face f{u32(face + 4), u32(face + 8), u32(face + 12)};
    if (f.a >= expected.vertexCount || f.b >= expected.vertexCount || f.c >= expected.vertexCount)
      return expected;
    expected.faces.push_back(f);
  }
  expected.accepted = true;
  return expected;
}

void CheckBody(const tessera::Model& model, bool loaded) {
  if (!loaded) {
    if (model.vertexCount != 0 || model.faceCount != 0 || !model.vertices.empty() || !model.faces.empty())
      Broken("vh3", "a refused file changed the body");
    return;
  }
  if (model.baseVertices.size() != model.vertexCount || model.vertices.size() != model.vertexCount ||
      model.faces.size() != model.faceCount)
    Broken("vh3", "the lists do not hold every announced record");
  for (const tessera::Face& face : model.faces) {
    if (face.a >= model.vertexCount || face.b >= model.vertexCount || face.c >= model.vertexCount)
      Broken("vh3", "a face index past the vertex list was accepted");
  }
}

}  // namespace

// A count the loader takes may still ask for a hundred megabytes; such
// inputs are few and slow, and they teach the fuzzer nothing the small ones
// do not, so they are passed over (a count past the cap, refused before any
// allocation, is not).
bool Costly(const uint8_t* data, size_t size) {
  auto countAt = [&](size_t at) {
    uint8_t bytes[4] = {};
    if (at < size) std::memcpy(bytes, data + at, std::min<size_t>(4, size - at));
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
  };
  constexpr uint32_t kCheap = 1u << 16;
  const uint32_t vertices = countAt(0);
  if (vertices > tessera::kMaxModelRecords) return false;
  if (vertices > kCheap) return true;
  const uint32_t faces = countAt(4 + 16 * size_t{vertices});
  return faces > kCheap && faces <= tessera::kMaxModelRecords;
}

int ModelFile(const uint8_t* data, size_t size) {
  if (Costly(data, size)) return 0;
  tessera::Model fromBytes;
  const bool loaded = fromBytes.LoadBytes(std::span<const uint8_t>(data, size));
  CheckBody(fromBytes, loaded);
  const Expected expected = Decode(data, size);
  if (loaded != expected.accepted)
    Broken("vh3", loaded ? "a damaged file was accepted" : "a usable file was refused");
  if (loaded && (fromBytes.vertexCount != expected.vertexCount || fromBytes.faces != expected.faces))
    Broken("vh3", "the records are not the file's");

  tessera::Model fromFile;
  const bool fileLoaded = fromFile.Load(WriteScratch("model.vh3", data, size));
  if (fileLoaded != loaded || fromFile.faces != fromBytes.faces ||
      fromFile.vertexCount != fromBytes.vertexCount)
    Broken("vh3", "the file and its bytes load differently");
  // The loaded body moves and is projected as the scene would (no Glide
  // calls: Draw needs a window).
  if (loaded && fromBytes.vertexCount <= 4096) {
    fromBytes.positionZ = 100.0f;
    fromBytes.spinX = 7;
    tessera::Random random;
    fromBytes.Update(random);
  }
  return 0;
}

}  // namespace fuzz
