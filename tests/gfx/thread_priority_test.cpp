// The drawing threads of the library follow the program's drawing thread:
// a program that lowers its own priority (a screen saver lowers it to idle)
// must not keep half of its pixel work at the normal priority.
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "glide_fixture.h"

namespace gfxtest {
namespace {

// The nice value of every thread of this process but the ones named.
std::vector<int> OtherThreadsNice(const std::vector<long>& except) {
  std::vector<int> nice;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
    const long tid = std::stol(entry.path().filename().string());
    if (std::find(except.begin(), except.end(), tid) != except.end()) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    // After the name: state is field 3; nice is field 19.
    for (int i = 3; i < 19; ++i) fields >> field;
    int value = 0;
    fields >> value;
    nice.push_back(value);
  }
  return nice;
}

TEST(WorkerPriority, WorkersFollowTheDrawingThreadDownToIdle) {
  setenv("GLIDE_DISPLAY", "headless", 0);
  setenv("GLIDE_THREADS", "2", 1);
  const long mainThread = syscall(SYS_gettid);
  std::vector<int> workersBefore, workersAfter;
  std::thread program([&] {
    const long self = syscall(SYS_gettid);
    grGlideInit();
    ASSERT_EQ(grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB, GR_ORIGIN_UPPER_LEFT, 2,
                           1),
              FXTRUE);
    workersBefore = OtherThreadsNice({mainThread, self});
    ASSERT_EQ(setpriority(PRIO_PROCESS, 0, 19), 0);  // a nice value may always be raised
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    for (int frame = 0; frame < 3; ++frame) {
      grBufferClear(0, 0, GR_WDEPTHVALUE_FARTHEST);
      for (int i = 0; i < 200; ++i) {
        grConstantColorValue(0xFF000000u | static_cast<uint32_t>(i * 0x10101));
        const float x = static_cast<float>(i % 20) * 30, y = static_cast<float>(i / 20) * 45;
        GrVertex a = Vertex(x, y), b = Vertex(x + 29, y), c = Vertex(x + 29, y + 44), d = Vertex(x, y + 44);
        grDrawTriangle(&a, &b, &c);
        grDrawTriangle(&a, &c, &d);
      }
      grBufferSwap(0);
    }
    workersAfter = OtherThreadsNice({mainThread, self});
    grGlideShutdown();
  });
  program.join();
  unsetenv("GLIDE_THREADS");
  ASSERT_FALSE(workersAfter.empty()) << "two drawing threads ask for one worker";
  for (int nice : workersBefore) EXPECT_LT(nice, 19);
  for (int nice : workersAfter) EXPECT_EQ(nice, 19);
}

}  // namespace
}  // namespace gfxtest
