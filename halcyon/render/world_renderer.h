// world_renderer.h — WorldRenderer, which draws halcyon's picture: a
// sphere-mapped world mesh turning over a fogged, tiled floor, each scene with
// its own floor, fog and motion, fading in from black, holding and fading
// out over 935 frames.
//
// Life: construction starts the sound library and Glide; the first DrawFrame
// runs the one-time set-up Start (texture bank, mesh, display, textures, the
// three saved Glide states, music, idle priority); every later DrawFrame draws
// one frame, beginning each scene with NewScene; destruction is Shutdown.
#pragma once

#include <glide.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "halcyon/music/music.h"
#include "halcyon/render/random.h"
#include "halcyon/render/vec3.h"
#include "halcyon/render/world_mesh_prep.h"
#include "platform/win32.h"

namespace halcyon {

// What the renderer takes from its surroundings; Defaults() is the running
// program's (tick count, SAVER_SEED, the bank resource, the main window, the
// compiled mesh, the MIDAS player, the application's settings).
struct RendererServices {
  std::function<DWORD()> tickCount;
  std::function<std::optional<uint32_t>()> seedOverride;
  std::function<std::vector<uint8_t>()> loadTextureBank;
  std::function<HWND()> mainWindow;
  // Lowers the drawing thread to idle priority at the end of the set-up.
  std::function<void()> lowerPriority;
  MeshTables mesh;
  std::shared_ptr<MusicPlayer> music;
  std::shared_ptr<MusicSettings> musicSettings;
  RandomGenerator* random = nullptr;

  static RendererServices Defaults();
};

class WorldRenderer {
 public:
  explicit WorldRenderer(RendererServices services = RendererServices::Defaults());
  virtual ~WorldRenderer();  // Shutdown
  WorldRenderer(const WorldRenderer&) = delete;
  WorldRenderer& operator=(const WorldRenderer&) = delete;

  // One-time set-up. On failure (no texture bank or a short one, a mesh that
  // cannot be scaled, the display not opened) it shows "failed" and leaves
  // `started` at 0; SetupFailed() then tells the shell.
  void Start();
  // A new scene: floor texture, fog, opacity, floor and mesh motion.
  void NewScene();
  // One frame; the first call only runs Start.
  void DrawFrame();
  // Glide shut down, then the music stopped and the sound library closed.
  void Shutdown();

  bool SetupFailed() const { return setupFailed; }

  // ---- State, in the order the saver keeps it ----
  MusicModule musicModule = 0;
  uint32_t fogColour = 0;
  uint8_t backgroundAlpha = 255;
  float spinRate = 0.0f;
  float scrollRate = 0.0f;
  Vec3 rotationRates;
  uint32_t started = 0;
  uint32_t fadingOut = 0;
  uint8_t fadeRamp[256] = {};
  uint32_t sceneStartTick = 0;
  int32_t fadeCounter = -1;
  std::vector<uint8_t> textureBank;
  uint32_t textureBankSize = 0;
  int32_t vertexCount = 0;
  int32_t triangleCount = 0;
  std::vector<Vec3> faceNormals;
  std::vector<Vec3> vertexNormals;
  std::vector<GrVertex> meshVertices;
  GrVertex backgroundCorners[4] = {};
  GrMipMapId_t smallTexture = GR_NULL_MIPMAP_HANDLE;
  GrMipMapId_t bigTexture = GR_NULL_MIPMAP_HANDLE;
  uint32_t smallPalette[256] = {};
  uint32_t bigPalette[256] = {};
  uint32_t downloadPalette[256] = {};
  GrFog_t fogTable[GR_FOG_TABLE_SIZE] = {};
  GrState baseState = {};
  GrState backgroundState = {};
  GrState meshState = {};

 private:
  bool PrepareBankAndMesh();
  void Fail();

  RendererServices services;
  bool meshPrepared = false;
  bool setupFailed = false;
};

}  // namespace halcyon
