// world_renderer_test.cpp — WorldRenderer against the recorded Glide calls:
// construction, set-up and its failures, the order of a frame, the ends of
// the scene cycle, and seeding.
#include "halcyon/render/world_renderer.h"

#include <gfx/recorder.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "allocation_counter.h"
#include "halcyon/resources/texture_bank_resource.h"
#include "platform/testing.h"
#include "scoped_env.h"
#include "test_support.h"

namespace halcyon {
namespace {

using test::CountOf;
using test::IndexOf;
using test::Names;

class WorldRendererTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::testing::Reset(); }
  void TearDown() override { unsetenv("GLIDE_NO_BOARD"); }
  test::TestRig rig;
};

// True when `expected` appears in `calls` in order, not necessarily adjacent.
// An entry "name(args)" must match the arguments too.
::testing::AssertionResult InOrder(const std::vector<gfx::RecordedCall>& calls,
                                   const std::vector<std::string>& expected) {
  size_t at = 0;
  for (const gfx::RecordedCall& call : calls) {
    if (at == expected.size()) break;
    const std::string& want = expected[at];
    if (want == call.name || want == call.name + "(" + call.args + ")") ++at;
  }
  if (at == expected.size()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "missing or out of order: " << expected[at];
}

std::vector<gfx::RecordedCall> RecordFrame(WorldRenderer& renderer) {
  gfx::StartRecording();
  renderer.DrawFrame();
  return gfx::StopRecording();
}

TEST_F(WorldRendererTest, ConstructionStartsSoundBeforeGlideAndOpensNoWindow) {
  rig.log->StartGlide();
  {
    WorldRenderer renderer(rig.Services());
    EXPECT_EQ(renderer.started, 0u);
    EXPECT_EQ(renderer.fadeCounter, -1);
    EXPECT_EQ(renderer.fadingOut, 0u);
    EXPECT_EQ(renderer.musicModule, 0u);
    rig.log->Note("constructed");
  }
  std::vector<std::string> log = rig.log->Finish();
  std::vector<std::string> start(log.begin(), log.begin() + 5);
  EXPECT_EQ(start, (std::vector<std::string>{"MIDASstartup", "grGlideInit", "grSstQueryHardware",
                                             "grSstSelect", "constructed"}));
  EXPECT_EQ(IndexOf(log, "grSstWinOpen"), -1);
}

TEST_F(WorldRendererTest, FirstFrameOnlySetsUpInTheStatedOrder) {
  WorldRenderer renderer(rig.Services());
  std::vector<gfx::RecordedCall> calls = RecordFrame(renderer);
  EXPECT_EQ(renderer.started, 1u);
  EXPECT_FALSE(renderer.SetupFailed());
  EXPECT_EQ(CountOf(Names(calls), "grDrawTriangle"), 0);
  EXPECT_EQ(CountOf(Names(calls), "grBufferSwap"), 0);
  EXPECT_TRUE(InOrder(calls, {"grSstWinOpen(0, 7, 0, 1, 0, 2, 1)",
                              "grSstScreenWidth",
                              "grSstScreenHeight",
                              "guTexAllocateMemory",
                              "guTexAllocateMemory",
                              "guTexDownloadMipMap",
                              "grDepthMask(1)",
                              "grDepthBufferMode(2)",
                              "grDepthBufferFunction(1)",
                              "grDitherMode(0)",
                              "grCullMode(2)",
                              "grConstantColorValue",
                              "grAlphaCombine(1, 0, 1, 2, 0)",
                              "grColorCombine(3, 8, 1, 1, 0)",
                              "grTexCombine(0, 1, 0, 1, 0, 0, 0)",
                              "guFogGenerateExp",
                              "grFogTable",
                              "grFogMode(2)",
                              "grGlideGetState",
                              "grGlideSetState",
                              "grAlphaBlendFunction(1, 5, 0, 0)",
                              "guTexSource",
                              "grDepthBufferFunction(7)",
                              "grGlideGetState",
                              "grGlideSetState",
                              "grAlphaBlendFunction(4, 0, 4, 0)",
                              "guTexSource",
                              "grFogMode(0)",
                              "grGlideGetState"}));
  // The sphere map is allocated first, clamped; the floor texture wraps.
  std::vector<std::string> allocations;
  for (const auto& call : calls)
    if (call.name == "guTexAllocateMemory") allocations.push_back(call.args);
  ASSERT_EQ(allocations.size(), 2u);
  EXPECT_EQ(allocations[0].rfind("0, 3, 256, 256, 5, 1, 0, 0, 3, 1, 1, 1, 1", 0), 0u) << allocations[0];
  EXPECT_EQ(allocations[1].rfind("0, 3, 128, 128, 5, 1, 1, 1, 3, 0, 0, 1, 1", 0), 0u) << allocations[1];

  const float corners[4][3] = {
      {0, 480, 0.29f}, {640, 480, 0.29f}, {640, 0, 0.012083333f}, {0, 0, 0.012083333f}};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(renderer.backgroundCorners[k].x, corners[k][0]);
    EXPECT_EQ(renderer.backgroundCorners[k].y, corners[k][1]);
    EXPECT_FLOAT_EQ(renderer.backgroundCorners[k].oow, corners[k][2]);
  }
  EXPECT_EQ(renderer.vertexCount, 419);
  EXPECT_EQ(renderer.triangleCount, 826);
}

TEST_F(WorldRendererTest, FrameDrawsFloorThenMeshThenSwaps) {
  WorldRenderer renderer(rig.Services());
  renderer.DrawFrame();
  std::vector<gfx::RecordedCall> first = RecordFrame(renderer);
  // Scene 1 begins: floor texture and fog table, then the frame itself.
  std::vector<std::string> names = Names(first);
  ASSERT_GE(names.size(), 3u);
  std::vector<std::string> scene(names.begin(), names.begin() + 3);
  EXPECT_EQ(scene, (std::vector<std::string>{"guTexDownloadMipMap", "guFogGenerateExp", "grFogTable"}));
  std::vector<std::string> frame(names.begin() + 3, names.end());
  std::vector<std::string> expected = {"grSstScreenWidth", "grSstScreenHeight",  "grGlideSetState",
                                       "grFogColorValue",  "grTexDownloadTable", "grDrawTriangle",
                                       "grDrawTriangle",   "grGlideSetState",    "grTexDownloadTable"};
  expected.insert(expected.end(), 826, "grDrawTriangle");
  expected.push_back("grSstIdle");
  expected.push_back("grBufferSwap");
  EXPECT_EQ(frame, expected);
  // Frame 1 is black: fog colour faded to 0; the floor is opaque (no alpha set).
  EXPECT_EQ(first[6].args, "0");
  EXPECT_EQ(renderer.fadeCounter, 1);

  std::vector<gfx::RecordedCall> second = RecordFrame(renderer);
  EXPECT_EQ(CountOf(Names(second), "grConstantColorValue"), 0);
  std::vector<gfx::RecordedCall> third = RecordFrame(renderer);
  ASSERT_EQ(CountOf(Names(third), "grConstantColorValue"), 1);
  EXPECT_TRUE(InOrder(third, {"grTexDownloadTable", "grConstantColorValue", "grDrawTriangle"}));
  EXPECT_EQ(IndexOf(Names(third), "guTexDownloadMipMap"), -1);
  EXPECT_EQ(IndexOf(Names(third), "grBufferSwap"), static_cast<int>(third.size()) - 1);
}

TEST_F(WorldRendererTest, SceneEndsOpaqueAndTheNextFrameStartsANewScene) {
  WorldRenderer renderer(rig.Services());
  renderer.DrawFrame();
  renderer.DrawFrame();
  // Jump to frame 933's state: fading out, counter 5.
  renderer.fadeCounter = 5;
  renderer.fadingOut = 1;
  *rig.clockMs += 60000;
  EXPECT_EQ(CountOf(Names(RecordFrame(renderer)), "grConstantColorValue"), 0);  // counter now 2
  EXPECT_EQ(CountOf(Names(RecordFrame(renderer)), "grConstantColorValue"), 0);  // counter now -1
  EXPECT_EQ(renderer.fadeCounter, -1);
  std::vector<gfx::RecordedCall> next = RecordFrame(renderer);
  EXPECT_EQ(IndexOf(Names(next), "guTexDownloadMipMap"), 0);
  EXPECT_EQ(renderer.sceneStartTick, *rig.clockMs);
  EXPECT_EQ(renderer.fadingOut, 0u);
}

// Once a scene runs, a frame allocates nothing: neither while a fade
// changes the palettes every frame (so that the library decodes the textures
// again) nor at full brightness, with one drawing thread or two.
TEST_F(WorldRendererTest, RunningFramesAllocateNothing) {
  for (const char* threads : {"1", "2"}) {
    SCOPED_TRACE(std::string("GLIDE_THREADS=") + threads);
    const test_support::ScopedEnv threadCount("GLIDE_THREADS", threads);
    WorldRenderer renderer(rig.Services());
    auto frame = [&] {
      *rig.clockMs += 17;
      renderer.DrawFrame();
    };
    auto allocationsIn30Frames = [&] {
      const long before = test_support::AllocationCount();
      for (int i = 0; i < 30; ++i) frame();
      return test_support::AllocationCount() - before;
    };
    for (int i = 0; i < 20; ++i) frame();
    ASSERT_NE(renderer.started, 0u);
    EXPECT_EQ(allocationsIn30Frames(), 0) << "while fading in";
    ASSERT_LT(renderer.fadeCounter, 256) << "still fading in";
    for (int i = 0; i < 250; ++i) frame();
    ASSERT_GT(renderer.fadeCounter, 257) << "the scene has faded in";
    EXPECT_EQ(allocationsIn30Frames(), 0) << "at full brightness";
  }
}

TEST_F(WorldRendererTest, SeedsFromTheOverrideOrTheTickCount) {
  {
    WorldRenderer renderer(rig.Services());
    renderer.Start();
    EXPECT_EQ(rig.random.State(), 1u);
  }
  RendererServices services = rig.Services();
  services.seedOverride = [] { return std::optional<uint32_t>(); };
  *rig.clockMs = 12345;
  WorldRenderer renderer(services);
  renderer.Start();
  EXPECT_EQ(rig.random.State(), 12345u);
  // The first scene takes the nine draws after the seed.
  RandomGenerator expected;
  expected.Seed(12345);
  for (int i = 0; i < 9; ++i) expected.Next();
  renderer.DrawFrame();
  EXPECT_EQ(rig.random.State(), expected.State());
}

struct SetupFault {
  const char* name;
  void (*spoil)(test::TestRig& rig);
};
void PrintTo(const SetupFault& c, std::ostream* out) {
  *out << c.name;
}

class WorldRendererSetupFault : public WorldRendererTest, public ::testing::WithParamInterface<SetupFault> {};

TEST_P(WorldRendererSetupFault, ShowsFailedAndDrawsNothing) {
  GetParam().spoil(rig);
  rig.log->StartGlide();
  WorldRenderer renderer(rig.Services());
  renderer.DrawFrame();
  renderer.DrawFrame();
  EXPECT_EQ(renderer.started, 0u);
  EXPECT_TRUE(renderer.SetupFailed());
  const auto& boxes = platform::testing::MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);  // one per attempt
  EXPECT_EQ(boxes[0].text, "failed");
  EXPECT_EQ(boxes[0].caption, "");
  EXPECT_EQ(boxes[0].type, MB_OK);
  std::vector<std::string> log = rig.log->Finish();
  EXPECT_EQ(IndexOf(log, "grDrawTriangle"), -1);
  EXPECT_EQ(IndexOf(log, "MIDASinit"), -1);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, WorldRendererSetupFault,
    ::testing::Values(SetupFault{"NoBank", [](test::TestRig& rig) { rig.bank = std::vector<uint8_t>(); }},
                      SetupFault{"ShortBank",
                                 [](test::TestRig& rig) {
                                   std::span<const uint8_t> full = TextureBankResourceBytes();
                                   rig.bank = std::vector<uint8_t>(full.begin(), full.end() - 1);
                                 }},
                      SetupFault{"NoPositiveCoordinate",
                                 [](test::TestRig& rig) {
                                   for (float& c : rig.mesh->vertices) c = -std::fabs(c);
                                 }},
                      SetupFault{"IndexPastTheVertices",
                                 [](test::TestRig& rig) { rig.mesh->triangles[5] = 419; }},
                      SetupFault{"NoBoard", [](test::TestRig&) { setenv("GLIDE_NO_BOARD", "1", 1); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WorldRendererTest, RepeatedSetUpAfterAFailedOpenReusesItsBuffers) {
  setenv("GLIDE_NO_BOARD", "1", 1);
  WorldRenderer renderer(rig.Services());
  renderer.DrawFrame();
  ASSERT_EQ(renderer.started, 0u);
  const uint8_t* bank = renderer.textureBank.data();
  const GrVertex* vertices = renderer.meshVertices.data();
  const std::vector<float> scaled = rig.mesh->vertices;
  EXPECT_EQ(scaled[4], 1.0f);
  unsetenv("GLIDE_NO_BOARD");
  renderer.DrawFrame();
  EXPECT_EQ(renderer.started, 1u);
  EXPECT_FALSE(renderer.SetupFailed());
  EXPECT_EQ(renderer.textureBank.data(), bank);
  EXPECT_EQ(renderer.meshVertices.data(), vertices);
  EXPECT_EQ(rig.mesh->vertices, scaled);
  EXPECT_EQ(platform::testing::MessageBoxes().size(), 1u);
}

}  // namespace
}  // namespace halcyon
