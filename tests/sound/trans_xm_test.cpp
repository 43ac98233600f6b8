// The generated background module: its file layout, its structure as the decoder sees it, its length,
// levels and loop, and the XM writer it is made with.
#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <span>
#include <sstream>

#include "composer.h"
#include "module.h"
#include "test_modules.h"
#include "xm_writer.h"

namespace {

using soundtest::Bytes;

unsigned U16At(const Bytes& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8;
}

class TransXmTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { file = new Bytes(soundtest::ReadFile(TRANS_XM_PATH)); }
  static void TearDownTestSuite() { delete file; }

  static openmpt::module Open() {
    std::ostringstream log;
    return openmpt::module(*file, log);
  }

  static Bytes* file;
};
Bytes* TransXmTest::file = nullptr;

TEST_F(TransXmTest, InstalledFileIsWhatTheGeneratorWrites) {
  Bytes again = music::WriteXm(music::ComposeTrans());
  EXPECT_EQ(*file, again);
  ASSERT_GT(file->size(), 336u);
  EXPECT_EQ(std::string(file->begin(), file->begin() + 17), "Extended Module: ");
  EXPECT_EQ(U16At(*file, 58), 0x0104u);  // version
  EXPECT_EQ(U16At(*file, 60), 276u);     // header size
}

TEST_F(TransXmTest, StructureAndLength) {
  openmpt::module module = Open();
  EXPECT_EQ(module.get_metadata("type"), "xm");
  EXPECT_GE(module.get_num_channels(), 8);
  EXPECT_GE(module.get_num_orders(), 8);
  EXPECT_GE(module.get_num_instruments(), 5);
  double lengthS = module.get_duration_seconds();
  EXPECT_GE(lengthS, 120.0);
  EXPECT_LE(lengthS, 180.0);
  // The restart position skips the opening, so the loop joins the body of the piece.
  EXPECT_EQ(U16At(*file, 66), 1u);
}

// Rendered once through and on past the end at a lower rate: no clipping, a calm but clearly audible
// level, no silent stretch anywhere after the opening bars, and after the last order the song carries on
// from the restart position without a gap.
TEST_F(TransXmTest, LevelsThroughoutAndAcrossTheLoop) {
  constexpr int kRateHz = 22050;
  constexpr double kPastEndS = 4.0;
  openmpt::module module = Open();
  module.set_repeat_count(-1);
  double lengthS = module.get_duration_seconds();
  auto frames = static_cast<std::size_t>((lengthS + kPastEndS) * kRateHz);
  std::vector<float> audio(frames * 2);
  ASSERT_EQ(module.read_interleaved_stereo(kRateHz, frames, audio.data()), frames);
  EXPECT_EQ(module.get_current_order(), 1);

  float peak = 0.0f;
  for (float value : audio) peak = std::max(peak, std::abs(value));
  EXPECT_LT(peak, 0.9f);
  double rmsDb = 20.0 * std::log10(soundtest::Rms(audio));
  EXPECT_GT(rmsDb, -26.0);
  EXPECT_LT(rmsDb, -12.0);

  // Half-second windows, skipping the swell of the opening bars.
  std::size_t window = kRateHz;
  for (std::size_t start = 8 * window; start + window <= audio.size(); start += window) {
    std::vector<float> slice(audio.begin() + static_cast<std::ptrdiff_t>(start),
                             audio.begin() + static_cast<std::ptrdiff_t>(start + window));
    EXPECT_GT(20.0 * std::log10(soundtest::Rms(slice)), -34.0) << "at " << 0.5 * start / window << " s";
  }
}

// Cut short anywhere (inside the header, a pattern, an instrument or sample data), the module either
// loads and plays what it has or is refused; nothing crashes.
TEST_F(TransXmTest, TruncatedCopiesAreSafe) {
  for (std::size_t length = 0; length < file->size(); length += 1 + length / 3) {
    Bytes cut(file->begin(), file->begin() + static_cast<std::ptrdiff_t>(length));
    std::unique_ptr<sound::Module> module = sound::Module::FromMemory(std::as_bytes(std::span(cut)));
    if (length < 80) {  // short of the fixed header fields
      EXPECT_EQ(module, nullptr) << "length " << length;
    }
    if (module != nullptr) {
      std::vector<float> audio(4800 * 2);
      module->RenderStereo(48000, audio.data(), 4800);
    }
  }
}

// The writer's patterns, instruments and orders read back the same through the decoder.
TEST(XmWriterTest, PatternsReadBackThroughTheDecoder) {
  music::XmSong song;
  song.channelCount = 3;
  song.patterns.emplace_back(8, 3);
  song.patterns.emplace_back(4, 3);
  song.orders = {1, 0, 1};
  song.restartPosition = 2;
  music::XmInstrument instrument;
  instrument.sample.data = {0, 1000, -1000, 32767, -32768, 5};
  song.instruments.push_back(instrument);
  song.Cell(0, 0, 0) = {49, 1, 0x30, 0x08, 0x40};  // every field
  song.Cell(0, 3, 2) = {music::kNoteOff, 0, 0, 0, 0};
  song.Cell(0, 7, 1) = {0, 0, 0, 0x0F, 0x03};  // effect only
  song.Cell(1, 2, 1) = {60, 1, 0, 0, 0};
  std::ostringstream log;
  Bytes bytes = music::WriteXm(song);
  openmpt::module module(bytes, log);

  EXPECT_EQ(module.get_num_channels(), 3);
  EXPECT_EQ(module.get_num_patterns(), 2);
  EXPECT_EQ(module.get_num_orders(), 3);
  EXPECT_EQ(module.get_order_pattern(0), 1);
  EXPECT_EQ(module.get_pattern_num_rows(0), 8);
  EXPECT_EQ(module.get_pattern_num_rows(1), 4);
  using C = openmpt::module::command_index;
  auto at = [&](int pattern, int row, int channel, C command) {
    return module.get_pattern_row_channel_command(pattern, row, channel, command);
  };
  // The decoder numbers notes an octave above the file's numbering and keeps key-off as 255.
  EXPECT_EQ(at(0, 0, 0, C::command_note), 49 + 12);
  EXPECT_EQ(at(0, 0, 0, C::command_instrument), 1);
  EXPECT_EQ(at(0, 0, 0, C::command_parameter), 0x40);
  EXPECT_EQ(at(0, 3, 2, C::command_note), 255);
  EXPECT_EQ(at(0, 7, 1, C::command_parameter), 0x03);
  EXPECT_EQ(at(1, 2, 1, C::command_note), 60 + 12);
  EXPECT_EQ(at(0, 1, 0, C::command_note), 0);
}

TEST(XmWriterTest, RefusesWhatXmCannotHold) {
  music::XmSong song;
  song.patterns.emplace_back(4, song.channelCount);
  song.orders = {1};  // no pattern 1
  EXPECT_THROW(music::WriteXm(song), std::invalid_argument);
  song.orders = {0};
  song.restartPosition = 1;
  EXPECT_THROW(music::WriteXm(song), std::invalid_argument);
  song.restartPosition = 0;
  music::XmInstrument instrument;
  instrument.volumeEnvelope.resize(13);
  song.instruments.push_back(instrument);
  EXPECT_THROW(music::WriteXm(song), std::invalid_argument);
}

}  // namespace
