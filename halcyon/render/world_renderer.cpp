// world_renderer.cpp — WorldRenderer: construction, set-up, scene variation,
// the frame and the shut-down.
//
// Sections: services · construction and Shutdown · Start · NewScene · DrawFrame.
#include "halcyon/render/world_renderer.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "halcyon/render/frame_math.h"
#include "halcyon/render/texture_bank.h"
#include "platform/host.h"
#include "platform/window.h"

namespace halcyon {

namespace {

// The floor's fog density, 0.05 as the program's single-precision constant
// (bits 0x3D4CCCCD) hands it to the fog-table helper.
constexpr float kFogDensity = std::bit_cast<float>(uint32_t{0x3D4CCCCD});
// The world mesh's angles are its rotation rates times the scene time times
// this factor: the float 0.009000001 (bits 0x3C1374BD), not 0.009, the value the
// program's arithmetic uses; the product is rounded to a float.
constexpr float kTurnFactor = 0.009000001f;

}  // namespace

// ---- Services ------------------------------------------------------------------

RendererServices RendererServices::Defaults() {
  RendererServices s;
  s.tickCount = [] { return GetTickCount(); };
  s.seedOverride = [] { return platform::SeedOverride(); };
  s.loadTextureBank = [] { return LoadTextureBankResource(); };
  s.mainWindow = []() -> HWND {
    platform::App* app = platform::TheApp();
    return app != nullptr && app->mainWindow != nullptr ? app->mainWindow->Handle() : 0;
  };
  s.lowerPriority = [] { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE); };
  s.mesh = WorldMeshTables();
  s.music = std::make_shared<MidasMusicPlayer>();
  s.musicSettings = std::make_shared<ProfileMusicSettings>();
  s.random = &ProgramRandom();
  return s;
}

// ---- Construction and Shutdown ------------------------------------------------

WorldRenderer::WorldRenderer(RendererServices servicesIn) : services(std::move(servicesIn)) {
  if (services.random == nullptr) services.random = &ProgramRandom();
  rotationRates.Set(0.0f, 0.0f, 0.0f);
  services.music->Startup();
  grGlideInit();
  {
    GrHwConfiguration hardware;
    grSstQueryHardware(&hardware);
  }
  grSstSelect(0);
  fadingOut = 0;
  started = 0;
  fadeCounter = -1;
  musicModule = 0;
}

WorldRenderer::~WorldRenderer() {
  Shutdown();
}

void WorldRenderer::Shutdown() {
  grGlideShutdown();
  StopMusic(*services.music, musicModule);
}

// ---- Start ---------------------------------------------------------------------

void WorldRenderer::Fail() {
  setupFailed = true;
  MessageBoxA(0, "failed", "", MB_OK);
}

// Steps 1 to 4 of the set-up. A repeated set-up (after a failed display open)
// keeps the bank copy, the buffers and the scaled mesh of the first attempt.
bool WorldRenderer::PrepareBankAndMesh() {
  if (textureBank.empty()) {
    textureBank = services.loadTextureBank();
    textureBankSize = static_cast<uint32_t>(textureBank.size());
  }
  if (textureBankSize < bankSizeBytes) {
    textureBank.clear();
    textureBankSize = 0;
    return false;
  }
  std::optional<uint32_t> seed = services.seedOverride();
  services.random->Seed(seed ? *seed : services.tickCount());
  if (meshPrepared) return true;

  const MeshTables& mesh = services.mesh;
  if (!IndicesInRange(mesh)) return false;
  vertexCount = mesh.VertexCount();
  triangleCount = mesh.TriangleCount();
  meshVertices.assign(static_cast<size_t>(vertexCount), GrVertex{});
  vertexNormals.assign(static_cast<size_t>(vertexCount), Vec3{});
  faceNormals.assign(static_cast<size_t>(triangleCount), Vec3{});
  if (!ScaleMesh(mesh.vertices)) return false;
  ComputeFaceNormals(mesh, faceNormals);
  ComputeVertexNormals(mesh, faceNormals, vertexNormals);
  meshPrepared = true;
  return true;
}

void WorldRenderer::Start() {
  if (!PrepareBankAndMesh()) {
    Fail();
    return;
  }
  if (!grSstWinOpen(services.mainWindow(), GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ABGR,
                    GR_ORIGIN_UPPER_LEFT, 2, 1)) {
    Fail();
    return;
  }
  const float width = static_cast<float>(grSstScreenWidth());
  const float height = static_cast<float>(grSstScreenHeight());
  const float cornerX[4] = {0.0f, width, width, 0.0f};
  const float cornerY[4] = {height, height, 0.0f, 0.0f};
  for (int k = 0; k < 4; ++k) {
    backgroundCorners[k] = GrVertex{};
    backgroundCorners[k].x = cornerX[k];
    backgroundCorners[k].y = cornerY[k];
    backgroundCorners[k].oow = floorCornerOow[k];
  }

  bigTexture =
      guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, 256, 256, GR_TEXFMT_P_8, GR_MIPMAP_NEAREST,
                          GR_LOD_256, GR_LOD_256, GR_ASPECT_1x1, GR_TEXTURECLAMP_CLAMP, GR_TEXTURECLAMP_CLAMP,
                          GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR, 0.0f, FXFALSE);
  smallTexture =
      guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, 128, 128, GR_TEXFMT_P_8, GR_MIPMAP_NEAREST,
                          GR_LOD_128, GR_LOD_128, GR_ASPECT_1x1, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP,
                          GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR, 0.0f, FXFALSE);
  ConvertPalette(&textureBank[SpherePaletteOffset()], bigPalette);
  guTexDownloadMipMap(bigTexture, &textureBank[SphereTexelOffset()], nullptr);
  std::fill(std::begin(smallPalette), std::end(smallPalette), 0u);

  grDepthMask(FXTRUE);
  grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
  grDepthBufferFunction(GR_CMP_LESS);
  grDitherMode(GR_DITHER_DISABLE);
  grCullMode(GR_CULL_POSITIVE);
  grConstantColorValue(0xFFFFFFFF);
  grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                 GR_COMBINE_OTHER_CONSTANT, FXFALSE);
  grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_CONSTANT,
                 GR_COMBINE_OTHER_TEXTURE, FXFALSE);
  grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_FUNCTION_LOCAL,
               GR_COMBINE_FACTOR_NONE, FXFALSE, FXFALSE);
  guFogGenerateExp(fogTable, kFogDensity);
  grFogTable(fogTable);
  grFogMode(GR_FOG_WITH_TABLE);

  grGlideGetState(&baseState);
  grGlideSetState(&baseState);
  grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO, GR_BLEND_ZERO);
  guTexSource(smallTexture);
  grDepthBufferFunction(GR_CMP_ALWAYS);
  grGlideGetState(&backgroundState);
  grGlideSetState(&baseState);
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
  guTexSource(bigTexture);
  grFogMode(GR_FOG_DISABLE);
  grGlideGetState(&meshState);

  musicModule = 0;
  musicModule = StartMusic(*services.music, *services.musicSettings);
  services.lowerPriority();
  setupFailed = false;
  started = 1;
}

// ---- NewScene ------------------------------------------------------------------

void WorldRenderer::NewScene() {
  if (started == 0) Start();
  // Without a set-up there is nothing to download into; the shell ends the saver.
  if (started == 0) return;
  const SceneValues v = DrawSceneValues(*services.random);
  spinRate = v.spinRate;
  scrollRate = v.scrollRate;
  rotationRates = v.rotationRates;
  fogColour = v.fogColour;
  guTexDownloadMipMap(smallTexture, &textureBank[FloorTexelOffset(v.floorTexture)], nullptr);
  ConvertPalette(&textureBank[FloorPaletteOffset(v.floorTexture)], smallPalette);
  guFogGenerateExp(fogTable, v.fogDensity);
  grFogTable(fogTable);
  backgroundAlpha = v.backgroundAlpha;
}

// ---- DrawFrame -----------------------------------------------------------------

void WorldRenderer::DrawFrame() {
  if (started == 0) {
    Start();
    return;
  }
  if (fadeCounter < 0) {
    sceneStartTick = services.tickCount();
    fadingOut = 0;
    fadeCounter = 0;
    NewScene();
  }
  const float t = SceneTime(services.tickCount(), sceneStartTick);
  BuildFadeRamp(FadeLevel(fadeCounter), fadeRamp);
  AdvanceFade(fadeCounter, fadingOut);

  const float turn = t * kTurnFactor;
  const Matrix3 r = RotationMatrix(rotationRates.x * turn, rotationRates.y * turn, rotationRates.z * turn);
  const float width = static_cast<float>(grSstScreenWidth());
  const float height = static_cast<float>(grSstScreenHeight());

  const float* positions = services.mesh.vertices.data();
  for (int32_t i = 0; i < vertexCount; ++i) {
    const Vec3 p{positions[3 * i], positions[3 * i + 1], positions[3 * i + 2]};
    const ScreenVertex s = ProjectVertex(r, p, vertexNormals[i], width, height);
    GrVertex& v = meshVertices[i];
    v.x = s.x;
    v.y = s.y;
    v.oow = s.oow;
    v.tmuvtx[0].sow = s.sow;
    v.tmuvtx[0].tow = s.tow;
  }

  const float spin = spinRate * t;
  const float scroll = scrollRate * t;
  for (int k = 0; k < 4; ++k) {
    const FloorCoordinates c = FloorCorner(k, spin, scroll);
    backgroundCorners[k].tmuvtx[0].sow = c.sow;
    backgroundCorners[k].tmuvtx[0].tow = c.tow;
  }

  grGlideSetState(&backgroundState);
  grFogColorValue(Fade(fogColour, fadeRamp));
  for (int i = 0; i < 256; ++i) downloadPalette[i] = Fade(smallPalette[i], fadeRamp);
  grTexDownloadTable(GR_TMU0, GR_TEXTABLE_PALETTE, downloadPalette);
  if (fadeCounter > 2) grConstantColorValue(uint32_t{backgroundAlpha} << 24);
  grDrawTriangle(&backgroundCorners[0], &backgroundCorners[1], &backgroundCorners[2]);
  grDrawTriangle(&backgroundCorners[2], &backgroundCorners[3], &backgroundCorners[0]);

  grGlideSetState(&meshState);
  for (int i = 0; i < 256; ++i) downloadPalette[i] = Fade(bigPalette[i], fadeRamp);
  grTexDownloadTable(GR_TMU0, GR_TEXTABLE_PALETTE, downloadPalette);
  const int32_t* triangles = services.mesh.triangles.data();
  for (int32_t t3 = 0; t3 < 3 * triangleCount; t3 += 3) {
    grDrawTriangle(&meshVertices[triangles[t3]], &meshVertices[triangles[t3 + 1]],
                   &meshVertices[triangles[t3 + 2]]);
  }
  grSstIdle();
  grBufferSwap(1);
}

}  // namespace halcyon
