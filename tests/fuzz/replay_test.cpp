// replay_test.cpp — every fuzz target fed its seed corpus and its regression
// cases (the inputs of faults found and mended) in the normal build, through
// the same entry functions the fuzzers call.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz_targets.h"

namespace fuzz {
namespace {

const std::filesystem::path kRoot = FUZZ_SOURCE_DIR;

std::vector<std::filesystem::path> Inputs(const fuzz::Target& target, const char* kind) {
  std::vector<std::filesystem::path> files;
  const std::filesystem::path folder = kRoot / kind / target.name;
  if (!std::filesystem::is_directory(folder)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

class Replay : public ::testing::TestWithParam<fuzz::Target> {
 protected:
  void Feed(const char* kind) {
    for (const std::filesystem::path& file : Inputs(GetParam(), kind)) {
      SCOPED_TRACE(file.string());
      std::ifstream in(file, std::ios::binary);
      const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      // A broken promise aborts the process with the file's name on stderr.
      std::fprintf(stderr, "%s\n", file.string().c_str());
      EXPECT_EQ(GetParam().entry(bytes.data(), bytes.size()), 0);
    }
  }
};

TEST_P(Replay, SeedCorpus) {
  EXPECT_FALSE(Inputs(GetParam(), "corpus").empty()) << "every target has seeds";
  Feed("corpus");
}

TEST_P(Replay, RegressionCases) {
  Feed("regressions");
}

INSTANTIATE_TEST_SUITE_P(Targets, Replay, ::testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace fuzz
