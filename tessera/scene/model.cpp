// model.cpp — the Model body: loading a model file, the motion step with its
// rotations, and drawing its faces as perspective-projected textured triangles.
#include "tessera/scene/model.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "platform/files.h"

namespace tessera {

namespace {

constexpr size_t kRecordBytes = 16;

uint32_t U32At(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void PutU32(uint8_t* bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

float F32At(const uint8_t* bytes) {
  uint32_t bits = U32At(bytes);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Where a model's bytes come from: the file, or bytes in memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to size bytes; fewer only where the data ends (or a read fails, which
  // is taken as the end).
  virtual size_t Take(uint8_t* buffer, size_t size) = 0;
};

class FileSource : public ByteSource {
 public:
  explicit FileSource(int fd) : fd(fd) {}
  ~FileSource() override { close(fd); }
  size_t Take(uint8_t* buffer, size_t size) override {
    size_t got = 0;
    while (!ended && got < size) {
      const ssize_t n = read(fd, buffer + got, size - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ended = true;
        break;
      }
      got += static_cast<size_t>(n);
    }
    return got;
  }

 private:
  int fd;
  bool ended = false;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::span<const uint8_t> bytes) : bytes(bytes) {}
  size_t Take(uint8_t* buffer, size_t size) override {
    const size_t got = std::min(size, bytes.size() - at);
    if (got == 0) return 0;  // an empty span may have no data pointer at all
    std::memcpy(buffer, bytes.data() + at, got);
    at += got;
    return got;
  }

 private:
  std::span<const uint8_t> bytes;
  size_t at = 0;
};

// Reads like fread on a file that may end early: the bytes that are there
// overwrite the start of the buffer, the rest of the buffer keeps what it
// held (the record read before, or zeros).
void ReadInto(ByteSource& source, uint8_t* buffer, size_t size) {
  uint8_t got[kRecordBytes];
  const size_t n = source.Take(got, size);
  std::memcpy(buffer, got, n);
}

// The records of one file, appended to the body only once all of them are
// in and accepted. Refused: a count beyond kMaxModelRecords (a damaged
// header, not a model), memory that cannot hold the counts, and a face
// index at or past the vertex count (it would reach outside the lists).
bool LoadRecords(Model& model, ByteSource& source) {
  uint8_t countBytes[4];
  PutU32(countBytes, model.vertexCount);
  ReadInto(source, countBytes, sizeof countBytes);
  const uint32_t newVertexCount = U32At(countBytes);
  if (newVertexCount > kMaxModelRecords) return false;

  std::vector<Vec3> newVertices;
  std::vector<Face> newFaces;
  try {
    newVertices.reserve(newVertexCount);
    uint8_t record[kRecordBytes] = {};
    for (uint32_t i = 0; i < newVertexCount; ++i) {
      ReadInto(source, record, sizeof record);
      newVertices.push_back({F32At(record + 4), F32At(record + 8), F32At(record + 12)});
    }

    PutU32(countBytes, model.faceCount);
    ReadInto(source, countBytes, sizeof countBytes);
    const uint32_t newFaceCount = U32At(countBytes);
    if (newFaceCount > kMaxModelRecords) return false;
    newFaces.reserve(newFaceCount);
    uint8_t faceRecord[kRecordBytes] = {};
    for (uint32_t j = 0; j < newFaceCount; ++j) {
      ReadInto(source, faceRecord, sizeof faceRecord);
      const Face face{U32At(faceRecord + 4), U32At(faceRecord + 8), U32At(faceRecord + 12)};
      if (face.a >= newVertexCount || face.b >= newVertexCount || face.c >= newVertexCount) return false;
      newFaces.push_back(face);
    }

    // The body's own lists grow only now, all at once or (out of memory)
    // not at all.
    model.baseVertices.reserve(model.baseVertices.size() + newVertices.size());
    model.vertices.reserve(model.vertices.size() + newVertices.size());
    model.faces.reserve(model.faces.size() + newFaces.size());
    const size_t oldVertices = model.vertices.size();
    try {
      for (const Vec3& vertex : newVertices) model.AddVertex(vertex);
    } catch (const std::bad_alloc&) {
      model.baseVertices.resize(oldVertices);
      model.vertices.resize(oldVertices);
      throw;
    }
    model.vertexCount = newVertexCount;
    model.faceCount = newFaceCount;
    for (const Face& face : newFaces) model.AddFace(face);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

int32_t WrapAngle(int32_t angleDeg) {
  if (angleDeg > 359) angleDeg -= 360;
  if (angleDeg < 0) angleDeg += 360;
  return angleDeg;
}

// Index into sineTable for a whole-degree angle; angles kept in 0..359 map to
// themselves, anything else is brought into range rather than read past the table.
size_t TableIndex(int32_t angleDeg) {
  return static_cast<size_t>(((angleDeg % 360) + 360) % 360);
}

}  // namespace

bool Model::Load(const std::filesystem::path& fileName) {
  // A FIFO, a device or a folder in a model's place is refused at once, as a
  // missing file is, instead of blocking the saver in open() or read().
  const int fd = platform::OpenRegularFile(fileName);
  if (fd < 0) return false;
  FileSource source(fd);
  return LoadRecords(*this, source);
}

bool Model::LoadBytes(std::span<const uint8_t> bytes) {
  MemorySource source(bytes);
  return LoadRecords(*this, source);
}

void Model::AddVertex(const Vec3& vertex) {
  baseVertices.push_back(vertex);
  vertices.push_back(vertex);
  corners_.resize(vertices.size());
}

void Model::AddFace(const Face& face) {
  faces.push_back(face);
}

void Model::SetMotion(float newPositionX, float newPositionY, float newPositionZ, float newVelocityX,
                      float newVelocityY, float newVelocityZ, int32_t newAngleX, int32_t newAngleY,
                      int32_t newAngleZ, int32_t newSpinX, int32_t newSpinY, int32_t newSpinZ,
                      int32_t newTextureIndex) {
  positionX = newPositionX;
  positionY = newPositionY;
  positionZ = newPositionZ;
  velocityX = newVelocityX;
  velocityY = newVelocityY;
  velocityZ = newVelocityZ;
  angleX = newAngleX;
  angleY = newAngleY;
  angleZ = newAngleZ;
  spinX = newSpinX;
  spinY = newSpinY;
  spinZ = newSpinZ;
  textureIndex = newTextureIndex;
}

void Model::Update(Random& random) {
  if (!(positionZ > 5.0f)) {
    RelaunchObject(*this, random);
    return;
  }
  ResetVertices();
  angleX = WrapAngle(angleX + spinX);
  angleY = WrapAngle(angleY + spinY);
  angleZ = WrapAngle(angleZ + spinZ);
  positionX += velocityX;
  positionY += velocityY;
  positionZ += velocityZ;
  RotateX(angleX);
  RotateY(angleY);
  RotateZ(angleZ);
  Translate(positionX, positionY, positionZ);
}

void Model::ResetVertices() {
  const size_t count = std::min<size_t>({vertexCount, vertices.size(), baseVertices.size()});
  std::copy_n(baseVertices.begin(), count, vertices.begin());
}

void Model::RotateX(int32_t angleDeg) {
  const float s = sineTable[TableIndex(angleDeg)];
  const float c = sineTable[TableIndex(angleDeg) + 90];
  const size_t count = std::min<size_t>(vertexCount, vertices.size());
  for (size_t i = 0; i < count; ++i) {
    Vec3& v = vertices[i];
    const float y = v.y * c - v.z * s;
    const float z = v.y * s + v.z * c;
    v.y = y;
    v.z = z;
  }
}

void Model::RotateY(int32_t angleDeg) {
  const float s = sineTable[TableIndex(angleDeg)];
  const float c = sineTable[TableIndex(angleDeg) + 90];
  const size_t count = std::min<size_t>(vertexCount, vertices.size());
  for (size_t i = 0; i < count; ++i) {
    Vec3& v = vertices[i];
    const float x = v.x * c + v.z * s;
    const float z = v.z * c - v.x * s;
    v.x = x;
    v.z = z;
  }
}

void Model::RotateZ(int32_t angleDeg) {
  const float s = sineTable[TableIndex(angleDeg)];
  const float c = sineTable[TableIndex(angleDeg) + 90];
  const size_t count = std::min<size_t>(vertexCount, vertices.size());
  for (size_t i = 0; i < count; ++i) {
    Vec3& v = vertices[i];
    const float x = v.x * c + v.y * s;
    const float y = v.y * c - v.x * s;
    v.x = x;
    v.y = y;
  }
}

void Model::Translate(float dx, float dy, float dz) {
  const size_t count = std::min<size_t>(vertexCount, vertices.size());
  for (size_t i = 0; i < count; ++i) {
    vertices[i].x += dx;
    vertices[i].y += dy;
    vertices[i].z += dz;
  }
}

GrVertex ProjectVertex(const Vec3& moved, const Vec3& base, float textureScale, bool withBias) {
  GrVertex vertex{};
  const float w = moved.z + kEyeOffset;
  const float oow = 1.0f / w;
  const float f = kFocalLength / w;
  float x = moved.x * f + kScreenCentreX;
  float y = moved.y * f + kScreenCentreY;
  const float sow = base.x * oow * textureScale;
  const float tow = base.y * oow * textureScale;
  if (withBias) {
    x += SNAP_BIAS;
    y += SNAP_BIAS;
  }
  vertex.x = x;
  vertex.y = y;
  vertex.oow = oow;
  vertex.tmuvtx[0].sow = sow;
  vertex.tmuvtx[0].tow = tow;
  return vertex;
}

bool Model::Draw(float textureScale, const TextureHandles& textureHandles) const {
  guColorCombineFunction(GR_COLORCOMBINE_DECAL_TEXTURE);
  guTexSource(textureHandles[static_cast<size_t>(std::clamp(textureIndex, 0, kTextureSlots - 1))]);
  grTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_DECAL);

  const size_t drawnFaces = std::min<size_t>(faceCount, faces.size());
  const size_t knownVertices = std::min(vertices.size(), baseVertices.size());
  // Every vertex is projected once, before the faces that share it are
  // drawn; one behind the eye keeps its faces undrawn. The corners are sized
  // as vertices are added; only lists filled some other way grow them here.
  if (corners_.size() < knownVertices) corners_.resize(knownVertices);
  for (size_t i = 0; i < knownVertices; ++i) {
    Corner& corner = corners_[i];
    corner.inFront = vertices[i].z + kEyeOffset >= kNearestDrawnW;
    if (corner.inFront) corner.vertex = ProjectVertex(vertices[i], baseVertices[i], textureScale);
  }
  auto drawable = [&](uint32_t index) { return index < knownVertices && corners_[index].inFront; };
  for (size_t i = 0; i < drawnFaces; ++i) {
    const Face& face = faces[i];
    if (drawable(face.a) && drawable(face.b) && drawable(face.c))
      grDrawTriangle(&corners_[face.a].vertex, &corners_[face.b].vertex, &corners_[face.c].vertex);
  }
  return true;
}

}  // namespace tessera
