// model.h — the object saver's scene: the Model body (mesh plus motion), its
// file loader, the scene state with the figure, the backdrop and the 50
// flying-object slots, the per-frame motion step, the projection and drawing
// through Glide, texture loading and the frame loop.
//
// All scene arithmetic is in 32-bit floats and every intermediate is stored
// as a float, so a run with a fixed seed gives the same frames everywhere.
#pragma once

#include <glide.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "tessera/scene/random.h"

namespace tessera {

struct Vec3 {
  float x = 0.0f, y = 0.0f, z = 0.0f;
  bool operator==(const Vec3&) const = default;
};

// One triangle: three indices into a body's vertex lists.
struct Face {
  uint32_t a = 0, b = 0, c = 0;
  bool operator==(const Face&) const = default;
};

// sin(k degrees) for k = 0..449 to six decimals; entries 360..449 repeat
// 0..89, so the cosine of a is entry a + 90.
extern const std::array<float, 450> sineTable;

constexpr int kTextureSlots = 6;
constexpr int kObjectSlots = 50;
constexpr int kDudeTexture = 4;
constexpr int kPlaneTexture = 5;
using TextureHandles = std::array<GrMipMapId_t, kTextureSlots>;

// Screen-coordinate bias added to projected x and y; Glide reads x and y
// modulo 4096 pixels, so the biased values land on the same pixels.
constexpr float SNAP_BIAS = 786432.0f;
constexpr float kEyeOffset = 75.0f;      // w = z + 75: the eye sits at z = -75
constexpr float kFocalLength = 2048.0f;  // pixels per unit at w = 1
constexpr float kScreenCentreX = 320.0f;
constexpr float kScreenCentreY = 240.0f;
// Faces with a corner nearer than this to the eye plane are not drawn: a
// corner at or behind the eye has no projection, and one just in front of it
// projects thousands of pixels away, beyond what Glide's coordinates hold.
constexpr float kNearestDrawnW = 1.0f;

constexpr float kObjectTextureScale = 25.0f;
constexpr float kDudeTextureScale = 40.0f;
constexpr float kPlaneTextureScale = 1.0f;

// Upper bound on either count of a model file. The saver's models have a few
// hundred records; a count beyond this is a damaged header, not a model.
constexpr uint32_t kMaxModelRecords = 1u << 20;

// One body of the scene: a triangle mesh and the state that places it.
class Model {
 public:
  Model() = default;
  virtual ~Model() = default;
  Model(const Model&) = delete;
  Model& operator=(const Model&) = delete;

  // Appends the model file's records. False when the file cannot be opened
  // (also when it is not a regular file: a FIFO, a device, a folder) or is
  // refused: a face index at or past the vertex count, a count beyond
  // kMaxModelRecords, or counts that memory cannot hold; the body is then
  // left as it was. A file shorter than its counts announce still loads
  // every announced record: the bytes missing at its end keep the values of
  // the record read before (zeros for the first record of a kind).
  bool Load(const std::filesystem::path& fileName);
  // The same from a model file's bytes in memory.
  bool LoadBytes(std::span<const uint8_t> bytes);
  // Appends one copy to baseVertices and one to vertices; counts unchanged.
  void AddVertex(const Vec3& vertex);
  // Appends the face; counts unchanged.
  void AddFace(const Face& face);

  void SetMotion(float positionX, float positionY, float positionZ, float velocityX, float velocityY,
                 float velocityZ, int32_t angleX, int32_t angleY, int32_t angleZ, int32_t spinX,
                 int32_t spinY, int32_t spinZ, int32_t textureIndex);
  // One motion step: relaunch when positionZ ≤ 5 (drawing eleven values from
  // random), otherwise turn, move and rebuild vertices.
  void Update(Random& random);
  // Draws every face with the texture of slot textureIndex. Always true.
  bool Draw(float textureScale, const TextureHandles& textureHandles) const;

  void ResetVertices();
  void RotateX(int32_t angleDeg);
  void RotateY(int32_t angleDeg);
  void RotateZ(int32_t angleDeg);
  void Translate(float dx, float dy, float dz);

  uint32_t vertexCount = 0;
  uint32_t faceCount = 0;
  std::vector<Face> faces;
  std::vector<Vec3> baseVertices;
  std::vector<Vec3> vertices;
  float velocityX = 0.0f;
  float positionX = 0.0f;
  float velocityY = 0.0f;
  float positionY = 0.0f;
  float velocityZ = 0.0f;
  float positionZ = 0.0f;
  int32_t spinX = 0;
  int32_t angleX = 0;
  int32_t spinY = 0;
  int32_t angleY = 0;
  int32_t spinZ = 0;
  int32_t angleZ = 0;
  int32_t textureIndex = 0;

 private:
  // Draw's corners, one per vertex, kept from frame to frame so that drawing
  // allocates nothing once the body's vertices are in. A corner too near the
  // eye is marked, and its faces are not drawn.
  struct Corner {
    GrVertex vertex;
    bool inFront;
  };
  mutable std::vector<Corner> corners_;
};

// One projected corner as Draw hands it to Glide (without SNAP_BIAS when
// withBias is false). Exposed for tests.
GrVertex ProjectVertex(const Vec3& moved, const Vec3& base, float textureScale, bool withBias = true);

// The program-wide scene state.
struct ObjectScene {
  TextureHandles textureHandles{};
  uint32_t objectCount = 0;
  Model dude;
  Model plane;
  std::array<Model, kObjectSlots> objects;
};

// The six texture files in slot order.
extern const std::array<const char*, kTextureSlots> kTextureFiles;
constexpr const char* kDudeFile = "dude.vh3";

// Random first motion of a flying object (eleven draws), and the relaunch
// motion (eleven draws, other ranges).
void LaunchObject(Model& object, Random& random);
void RelaunchObject(Model& object, Random& random);

// Loads the first objectCount slots from randomly picked object files, then
// gives each its first motion. True only if every file loaded.
bool LoadObjectModels(ObjectScene& scene, Random& random);
// Loads the figure, builds the backdrop, loads the objects, sets the figure's
// and the backdrop's motion.
void SetUpScene(ObjectScene& scene, Random& random);
// Update, then Draw, for each used object slot in order.
void UpdateAndDrawObjects(ObjectScene& scene, Random& random);
// One frame: clear, step and draw every body, swap at the next retrace.
void DrawFrame(ObjectScene& scene, Random& random);
// Frames until windowEnded() is true after a frame's pending messages were
// handled (or the message loop is quitting).
void RunFrames(ObjectScene& scene, Random& random, const std::function<bool()>& windowEnded);

// Reads a .3df file and downloads it to TMU 0 (wrap, bilinear, nearest
// mipmap). nullopt on any failure; nothing is shut down here.
std::optional<GrMipMapId_t> TryLoadTexture(const char* fileName);

}  // namespace tessera
