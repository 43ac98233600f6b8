// scene.cpp — setting up the object saver's scene (figure, backdrop, flying
// objects), the random launch of the flying objects, and the frame loop.
#include <algorithm>
#include <cstdio>

#include "platform/window.h"
#include "tessera/scene/model.h"

namespace tessera {

const std::array<const char*, kTextureSlots> kTextureFiles = {"tex1.3df", "tex2.3df", "tex3.3df",
                                                              "tex4.3df", "tex5.3df", "plane.3df"};

namespace {

uint32_t UsedSlots(const ObjectScene& scene) {
  return std::min<uint32_t>(scene.objectCount, kObjectSlots);
}

int32_t Roll(Random& random, uint32_t modulus) {
  return static_cast<int32_t>(random.Next() % modulus);
}

// The eleven draws of a launch, in their fixed order. The two launches
// differ only in the spin and approach-speed ranges.
struct LaunchRanges {
  uint32_t spinZModulus, spinYModulus, spinXModulus;
  float approachStep;
};

void Launch(Model& object, Random& random, const LaunchRanges& ranges) {
  const float signX = random.Sign();
  const float signY = random.Sign();
  const int32_t textureIndex = Roll(random, 5);
  const int32_t spinZ = Roll(random, ranges.spinZModulus) + 2;
  const int32_t spinY = Roll(random, ranges.spinYModulus) + 2;
  const int32_t spinX = Roll(random, ranges.spinXModulus) + 2;
  const float velocityZ = static_cast<float>(-25 - Roll(random, 30)) * ranges.approachStep;
  const float velocityY = static_cast<float>(Roll(random, 6) + 1) * signY * 0.05f;
  const float velocityX = static_cast<float>(Roll(random, 6) + 1) * signX * 0.05f;
  const float positionY = static_cast<float>(Roll(random, 8) + 1) * signY;
  const float positionX = static_cast<float>(Roll(random, 8) + 1) * signX;
  object.SetMotion(positionX, positionY, 500.0f, velocityX, velocityY, velocityZ, 0, 0, 0, spinX, spinY,
                   spinZ, textureIndex);
}

}  // namespace

void LaunchObject(Model& object, Random& random) {
  Launch(object, random, {2, 2, 2, 0.14285715f});
}

void RelaunchObject(Model& object, Random& random) {
  Launch(object, random, {3, 3, 4, 0.1f});
}

bool LoadObjectModels(ObjectScene& scene, Random& random) {
  const uint32_t used = UsedSlots(scene);
  bool allLoaded = true;
  for (uint32_t i = 0; i < used; ++i) {
    char fileName[32];
    std::snprintf(fileName, sizeof fileName, "object%d.VH3", static_cast<int>(random.Next() % 3));
    if (!scene.objects[i].Load(fileName)) allLoaded = false;
  }
  for (uint32_t i = 0; i < used; ++i) LaunchObject(scene.objects[i], random);
  return allLoaded;
}

void SetUpScene(ObjectScene& scene, Random& random) {
  scene.dude.Load(kDudeFile);

  Model& plane = scene.plane;
  plane.AddVertex({-200.0f, -200.0f, 0.0f});
  plane.AddVertex({-200.0f, 200.0f, 0.0f});
  plane.AddVertex({200.0f, -200.0f, 0.0f});
  plane.AddVertex({200.0f, 200.0f, 0.0f});
  plane.AddFace({1, 3, 2});
  plane.AddFace({2, 0, 1});
  plane.vertexCount = 4;
  plane.faceCount = 2;

  LoadObjectModels(scene, random);

  scene.dude.SetMotion(0.0f, -1.0f, 15.0f, 0.0f, 0.0f, 0.0f, 359, 0, 359, -2, 1, -5, kDudeTexture);
  scene.plane.SetMotion(0.0f, 0.0f, 501.0f, 0.0f, 0.0f, 0.0f, 0, 0, 0, 0, 0, 4, kPlaneTexture);
}

void UpdateAndDrawObjects(ObjectScene& scene, Random& random) {
  const uint32_t used = UsedSlots(scene);
  for (uint32_t i = 0; i < used; ++i) {
    scene.objects[i].Update(random);
    scene.objects[i].Draw(kObjectTextureScale, scene.textureHandles);
  }
}

void DrawFrame(ObjectScene& scene, Random& random) {
  grBufferClear(0, 0, GR_WDEPTHVALUE_FARTHEST);
  scene.dude.Update(random);
  scene.plane.Update(random);
  UpdateAndDrawObjects(scene, random);
  scene.dude.Draw(kDudeTextureScale, scene.textureHandles);
  // Drawn last: the depth test keeps the backdrop behind everything else.
  scene.plane.Draw(kPlaneTextureScale, scene.textureHandles);
  grBufferSwap(1);
}

void RunFrames(ObjectScene& scene, Random& random, const std::function<bool()>& windowEnded) {
  for (;;) {
    DrawFrame(scene, random);
    const bool quitting = !platform::PumpPendingMessages();
    if (windowEnded() || quitting) return;
  }
}

}  // namespace tessera
