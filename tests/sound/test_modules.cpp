// Builders for the tiny test modules: the XM through the generator's own writer, the S3M and MOD laid
// out byte by byte.
#include "test_modules.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <numbers>
#include <random>

#include "xm_writer.h"

namespace soundtest {

namespace {

void U16le(Bytes& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void U32le(Bytes& out, std::uint32_t value) {
  U16le(out, value & 0xFFFF);
  U16le(out, value >> 16);
}
void U16be(Bytes& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}
void Text(Bytes& out, const std::string& text, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i)
    out.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
}
void PadTo16(Bytes& out) {
  while (out.size() % 16 != 0) out.push_back(0);
}

// One cycle of a sine, 32 frames, as signed 8-bit.
std::vector<std::int8_t> SineCycle8() {
  std::vector<std::int8_t> cycle(32);
  for (std::size_t i = 0; i < cycle.size(); ++i)
    cycle[i] = static_cast<std::int8_t>(std::lround(100.0 * std::sin(2.0 * std::numbers::pi * i / 32.0)));
  return cycle;
}

}  // namespace

Bytes TinyXm() {
  music::XmSong song;
  song.name = "tiny";
  song.channelCount = 2;
  song.speedTicks = 3;
  song.tempoBpm = 125;
  song.patterns.emplace_back(16, 2);
  song.orders = {0};
  music::XmInstrument tone;
  tone.name = "tone";
  for (int i = 0; i < 64; ++i)
    tone.sample.data.push_back(
        static_cast<std::int16_t>(std::lround(20000.0 * std::sin(2.0 * std::numbers::pi * i / 64.0))));
  tone.sample.loopLength = 64;
  tone.volumeEnvelope = {{0, 64}, {4, 40}};
  song.instruments.push_back(tone);
  for (int row = 0; row < 16; row += 4) {
    song.Cell(0, row, 0) = music::XmCell{static_cast<std::uint8_t>(49 + row / 2), 1, 0x50, 0, 0};
    song.Cell(0, row + 2, 1) = music::XmCell{37, 1, 0x40, 0x08, 0x40};
  }
  return music::WriteXm(song);
}

Bytes TinyMod() {
  Bytes out;
  Text(out, "tiny", 20);
  std::vector<std::int8_t> cycle = SineCycle8();
  for (int sample = 0; sample < 31; ++sample) {
    Text(out, sample == 0 ? "tone" : "", 22);
    U16be(out, sample == 0 ? static_cast<unsigned>(cycle.size() / 2) : 0);  // length in words
    out.push_back(0);                                                       // finetune
    out.push_back(sample == 0 ? 64 : 0);                                    // volume
    U16be(out, 0);                                                          // loop start
    U16be(out, sample == 0 ? static_cast<unsigned>(cycle.size() / 2) : 1);  // loop length
  }
  out.push_back(1);    // song length
  out.push_back(127);  // restart byte
  for (int i = 0; i < 128; ++i) out.push_back(0);
  Text(out, "M.K.", 4);
  const unsigned periods[] = {428, 381, 339, 320};  // C, D, E, F in the middle octave
  for (int row = 0; row < 64; ++row) {
    for (int channel = 0; channel < 4; ++channel) {
      if (channel < 2 && row % 8 == channel * 4 && row < 32) {
        unsigned period = periods[(row / 8) % 4];
        out.push_back(static_cast<std::uint8_t>(period >> 8));  // sample number high bits are zero
        out.push_back(static_cast<std::uint8_t>(period));
        out.push_back(0x10);  // sample 1, no effect
        out.push_back(0);
      } else {
        for (int i = 0; i < 4; ++i) out.push_back(0);
      }
    }
  }
  for (std::int8_t value : cycle) out.push_back(static_cast<std::uint8_t>(value));
  return out;
}

Bytes TinyS3m() {
  constexpr unsigned kOrders = 2;  // the order count is even in S3M files
  Bytes out;
  Text(out, "tiny", 28);
  out.push_back(0x1A);
  out.push_back(16);  // module type
  U16le(out, 0);
  U16le(out, kOrders);
  U16le(out, 1);       // instruments
  U16le(out, 1);       // patterns
  U16le(out, 0);       // flags
  U16le(out, 0x1320);  // created with version
  U16le(out, 2);       // unsigned samples
  Text(out, "SCRM", 4);
  out.push_back(64);    // global volume
  out.push_back(3);     // speed
  out.push_back(125);   // tempo
  out.push_back(0xB0);  // stereo, master volume 48
  out.push_back(0);     // click removal
  out.push_back(0);     // no panning table
  for (int i = 0; i < 8; ++i) out.push_back(0);
  U16le(out, 0);  // special
  for (int channel = 0; channel < 32; ++channel)
    out.push_back(channel == 0 ? 0 : (channel == 1 ? 8 : 255));  // left 1, right 1, the rest off
  out.push_back(0);                                              // order 0: pattern 0
  out.push_back(255);                                            // end of song
  std::size_t pointers = out.size();
  U16le(out, 0);  // instrument pointer, filled in below
  U16le(out, 0);  // pattern pointer
  PadTo16(out);

  std::size_t instrument = out.size();
  out[pointers] = static_cast<std::uint8_t>(instrument / 16);
  out[pointers + 1] = static_cast<std::uint8_t>(instrument / 16 >> 8);
  std::vector<std::int8_t> cycle = SineCycle8();
  out.push_back(1);  // sample instrument
  Text(out, "tone.raw", 12);
  std::size_t memSeg = out.size();
  out.push_back(0);
  U16le(out, 0);  // sample data pointer, filled in below
  U32le(out, static_cast<std::uint32_t>(cycle.size()));
  U32le(out, 0);
  U32le(out, static_cast<std::uint32_t>(cycle.size()));
  out.push_back(64);  // volume
  out.push_back(0);
  out.push_back(0);  // not packed
  out.push_back(1);  // looped
  U32le(out, 8363);
  for (int i = 0; i < 12; ++i) out.push_back(0);
  Text(out, "tone", 28);
  Text(out, "SCRS", 4);
  PadTo16(out);

  std::size_t pattern = out.size();
  out[pointers + 2] = static_cast<std::uint8_t>(pattern / 16);
  out[pointers + 3] = static_cast<std::uint8_t>(pattern / 16 >> 8);
  Bytes packed;
  for (int row = 0; row < 64; ++row) {
    if (row % 4 == 0 && row < 32) {
      packed.push_back(0x20 | 0x40 | 0);  // channel 0: note, instrument, volume
      packed.push_back(static_cast<std::uint8_t>(0x40 + (row / 4) % 12));  // octave 4
      packed.push_back(1);
      packed.push_back(48);
      packed.push_back(0x20 | 1);  // channel 1: note, instrument
      packed.push_back(0x30);
      packed.push_back(1);
    }
    packed.push_back(0);  // end of row
  }
  U16le(out, static_cast<unsigned>(packed.size() + 2));
  out.insert(out.end(), packed.begin(), packed.end());
  PadTo16(out);

  std::size_t data = out.size();
  out[memSeg] = static_cast<std::uint8_t>(data / 16 >> 16);
  out[memSeg + 1] = static_cast<std::uint8_t>(data / 16);
  out[memSeg + 2] = static_cast<std::uint8_t>(data / 16 >> 8);
  for (std::int8_t value : cycle) out.push_back(static_cast<std::uint8_t>(value + 128));
  return out;
}

TempDir::TempDir() {
  std::random_device device;
  root = std::filesystem::temp_directory_path() / ("sound_tests_" + std::to_string(device()));
  std::filesystem::create_directories(root);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
}

std::string TempDir::Write(const std::string& name, const Bytes& bytes) const {
  std::filesystem::path path = root / name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path.string();
}

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

double Rms(const std::vector<float>& samples) {
  double sum = 0.0;
  for (float value : samples) sum += static_cast<double>(value) * value;
  return samples.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(samples.size()));
}

}  // namespace soundtest
