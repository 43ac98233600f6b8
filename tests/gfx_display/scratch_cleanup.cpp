// Removes the scratch folder this test process wrote frames into
// (<temp>/gfx_display_<pid>) once its tests have run, so runs leave nothing behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace {

class ScratchFolderCleanup : public ::testing::Environment {
 public:
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(
        std::filesystem::temp_directory_path() / ("gfx_display_" + std::to_string(getpid())), ignored);
  }
};

[[maybe_unused]] ::testing::Environment* const cleanup =
    ::testing::AddGlobalTestEnvironment(new ScratchFolderCleanup);

}  // namespace
