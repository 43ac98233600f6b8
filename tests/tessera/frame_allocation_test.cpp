// A running frame allocates nothing: the bodies' draws and the library
// beneath them (one thread, or the queue of two) reuse what earlier frames
// set up.
#include <gtest/gtest.h>

#include <string>

#include "allocation_counter.h"
#include "scoped_env.h"
#include "tessera/scene/model.h"
#include "test_files.h"

namespace tessera {
namespace {

class FrameAllocations : public ::testing::TestWithParam<int> {};

TEST_P(FrameAllocations, NoneOnceTheSceneRuns) {
  const test_support::ScopedEnv threads("GLIDE_THREADS", std::to_string(GetParam()).c_str());
  testing::ScratchFolder folder;
  folder.CopyData({"dude.vh3", "object0.VH3", "object1.VH3", "object2.VH3", "tex1.3df", "tex2.3df",
                   "tex3.3df", "tex4.3df", "tex5.3df", "plane.3df"});
  grGlideInit();
  grSstSelect(0);
  ASSERT_TRUE(grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_RGBA,
                           GR_ORIGIN_LOWER_LEFT, 2, 1));
  grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
  grDepthBufferFunction(GR_CMP_LESS);
  grDepthMask(FXTRUE);
  {
    ObjectScene scene;
    scene.objectCount = kObjectSlots;
    Random random(1);
    SetUpScene(scene, random);
    for (size_t slot = 0; slot < kTextureSlots; ++slot)
      scene.textureHandles[slot] = TryLoadTexture(kTextureFiles[slot]).value_or(GR_NULL_MIPMAP_HANDLE);
    for (int frame = 0; frame < 20; ++frame) DrawFrame(scene, random);

    const long before = test_support::AllocationCount();
    for (int frame = 0; frame < 30; ++frame) DrawFrame(scene, random);
    EXPECT_EQ(test_support::AllocationCount() - before, 0) << "allocations in 30 frames";
  }
  grGlideShutdown();
}

INSTANTIATE_TEST_SUITE_P(Threads, FrameAllocations, ::testing::Values(1, 2),
                         [](const auto& info) { return std::to_string(info.param) + "Threads"; });

}  // namespace
}  // namespace tessera
