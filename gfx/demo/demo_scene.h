// demo_scene.h — what the demo draws each frame, through Glide calls only:
// a lit, textured torus turning over a marble floor that scrolls into fog.
#pragma once

#include <glide.h>

#include <cstdint>

namespace demo {

class Scene {
 public:
  // Loads the textures into texture memory and sets the fixed render state.
  // Call once after grSstWinOpen. False when texture memory is refused.
  bool Load();
  // Draws frame `frame` (animation is counted in frames) into the back buffer.
  void Draw(uint64_t frame);

 private:
  void DrawFloor(float scroll);
  void DrawShadow(float radius);
  void DrawTorus(float yawRad, float pitchRad);

  GrMipMapId_t tiles_ = GR_NULL_MIPMAP_HANDLE;
  GrMipMapId_t marble_ = GR_NULL_MIPMAP_HANDLE;
};

}  // namespace demo
