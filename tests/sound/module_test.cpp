// The decoder wrapper: every format the tests build loads and sounds, a module repeats without end, and
// damaged, empty, missing and oversized files are refused without a crash.
#include "module.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <span>

#include <sys/stat.h>

#include "test_modules.h"

namespace sound {
namespace {

using soundtest::Bytes;

std::span<const std::byte> AsBytes(const Bytes& bytes) {
  return std::as_bytes(std::span(bytes));
}

std::vector<float> Render(Module& module, double seconds, std::int32_t rateHz = 48000) {
  std::vector<float> audio(static_cast<std::size_t>(seconds * rateHz) * 2);
  module.RenderStereo(rateHz, audio.data(), audio.size() / 2);
  return audio;
}

struct Format {
  const char* name;
  Bytes (*build)();
};

void PrintTo(const Format& format, std::ostream* out) {
  *out << format.name;
}

class ModuleFormatTest : public ::testing::TestWithParam<Format> {};

TEST_P(ModuleFormatTest, LoadsFromMemoryAndFileAndSounds) {
  Bytes bytes = GetParam().build();
  std::unique_ptr<Module> fromMemory = Module::FromMemory(AsBytes(bytes));
  ASSERT_NE(fromMemory, nullptr);
  EXPECT_GT(soundtest::Rms(Render(*fromMemory, 0.5)), 1e-3);

  soundtest::TempDir dir;
  std::unique_ptr<Module> fromFile = Module::FromFile(dir.Write(GetParam().name, bytes).c_str());
  ASSERT_NE(fromFile, nullptr);
  EXPECT_GT(fromFile->DurationSeconds(), 0.0);
}

TEST_P(ModuleFormatTest, RepeatsPastItsEnd) {
  Bytes bytes = GetParam().build();
  std::unique_ptr<Module> module = Module::FromMemory(AsBytes(bytes));
  ASSERT_NE(module, nullptr);
  double lengthS = module->DurationSeconds();
  ASSERT_LT(lengthS, 10.0);
  // Three times the song's length is written in full, and the last stretch still sounds.
  std::vector<float> audio(static_cast<std::size_t>(3 * lengthS * 48000) * 2);
  EXPECT_EQ(module->RenderStereo(48000, audio.data(), audio.size() / 2), audio.size() / 2);
  std::vector<float> tail(audio.end() - static_cast<std::ptrdiff_t>(audio.size() / 4), audio.end());
  EXPECT_GT(soundtest::Rms(tail), 1e-3);
}

TEST_P(ModuleFormatTest, RewindReturnsToTheSameStart) {
  Bytes bytes = GetParam().build();
  std::unique_ptr<Module> module = Module::FromMemory(AsBytes(bytes));
  ASSERT_NE(module, nullptr);
  std::vector<float> first = Render(*module, 0.1);
  Render(*module, 0.3);
  module->Rewind();
  EXPECT_EQ(Render(*module, 0.1), first);
}

// Truncated at many lengths, a file never crashes the loader; one cut inside its header is refused, and
// whatever loads also renders.
TEST_P(ModuleFormatTest, TruncatedCopiesAreSafe) {
  Bytes whole = GetParam().build();
  for (std::size_t length = 0; length < whole.size(); length += 1 + length / 8) {
    Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
    std::unique_ptr<Module> module = Module::FromMemory(AsBytes(cut));
    if (length < 48) {
      EXPECT_EQ(module, nullptr) << "length " << length;
    }
    if (module != nullptr) Render(*module, 0.05);
  }
}

// Flipped bytes throughout a valid file: loaded or refused, never a crash.
TEST_P(ModuleFormatTest, CorruptedCopiesAreSafe) {
  Bytes whole = GetParam().build();
  std::mt19937 random(1234);
  for (int round = 0; round < 60; ++round) {
    Bytes damaged = whole;
    for (int flip = 0; flip < 8; ++flip)
      damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
    std::unique_ptr<Module> module = Module::FromMemory(AsBytes(damaged));
    if (module != nullptr) Render(*module, 0.05);
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, ModuleFormatTest,
                         ::testing::Values(Format{"tiny.xm", soundtest::TinyXm},
                                           Format{"tiny.s3m", soundtest::TinyS3m},
                                           Format{"tiny.mod", soundtest::TinyMod}),
                         [](const auto& info) { return std::string(info.param.name).substr(5); });

TEST(ModuleTest, RandomBytesAreNotAModule) {
  std::mt19937 random(99);
  for (std::size_t size : {1u, 17u, 100u, 1084u, 5000u, 70000u}) {
    Bytes noise(size);
    for (auto& byte : noise) byte = static_cast<std::uint8_t>(random());
    EXPECT_EQ(Module::FromMemory(AsBytes(noise)), nullptr) << size << " random bytes";
  }
  Bytes text(4000, 'a');
  EXPECT_EQ(Module::FromMemory(AsBytes(text)), nullptr);
}

TEST(ModuleTest, FilesThatCannotBeLoaded) {
  soundtest::TempDir dir;
  EXPECT_EQ(Module::FromFile(nullptr), nullptr);
  EXPECT_EQ(Module::FromFile(""), nullptr);
  EXPECT_EQ(Module::FromFile(dir.Path("missing.xm").c_str()), nullptr);
  EXPECT_EQ(Module::FromFile(dir.Write("empty.xm", {}).c_str()), nullptr);
  EXPECT_EQ(Module::FromFile(dir.Path("").c_str()), nullptr);  // a folder
#if defined(_WIN32)
  EXPECT_EQ(Module::FromFile(dir.Path("NUL").c_str()), nullptr);  // the null device, in every folder
#else
  EXPECT_EQ(Module::FromFile("/dev/zero"), nullptr);  // endless
  std::string pipe = dir.Path("pipe.xm");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(Module::FromFile(pipe.c_str()), nullptr);  // opening it would wait for a writer
#endif
  EXPECT_EQ(Module::FromFile(dir.Write("text.xm", Bytes(300, 'x')).c_str()), nullptr);

  // A valid module padded past the size limit is refused without being read.
  std::string huge = dir.Write("huge.xm", soundtest::TinyXm());
  std::filesystem::resize_file(huge, kMaxModuleBytes + 1);
  EXPECT_EQ(Module::FromFile(huge.c_str()), nullptr);
}

}  // namespace
}  // namespace sound
