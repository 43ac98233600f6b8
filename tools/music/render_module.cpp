// Renders a module file through libopenmpt to a 16-bit stereo WAV at 48 kHz and prints its levels, so
// a generated module can be judged by numbers as well as by ear.
//   render_module IN.xm OUT.wav [SECONDS]   (default: the song's length once through)
#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kRateHz = 48000;

void PutU32(std::ofstream& out, std::uint32_t value) {
  char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                   static_cast<char>(value >> 24)};
  out.write(bytes, 4);
}
void PutU16(std::ofstream& out, std::uint16_t value) {
  char bytes[2] = {static_cast<char>(value), static_cast<char>(value >> 8)};
  out.write(bytes, 2);
}

void WriteWav(const char* path, const std::vector<float>& interleaved) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  auto dataBytes = static_cast<std::uint32_t>(interleaved.size() * 2);
  out.write("RIFF", 4);
  PutU32(out, 36 + dataBytes);
  out.write("WAVEfmt ", 8);
  PutU32(out, 16);
  PutU16(out, 1);  // PCM
  PutU16(out, 2);
  PutU32(out, kRateHz);
  PutU32(out, kRateHz * 4);
  PutU16(out, 4);
  PutU16(out, 16);
  out.write("data", 4);
  PutU32(out, dataBytes);
  for (float value : interleaved) {
    auto sample = static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
    PutU16(out, static_cast<std::uint16_t>(sample));
  }
}

double Decibels(double level) {
  return level > 0.0 ? 20.0 * std::log10(level) : -999.0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: render_module IN OUT.wav [SECONDS]\n");
    return 2;
  }
  try {
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    openmpt::module module(bytes);
    double lengthS = module.get_duration_seconds();
    double renderS = argc > 3 ? std::stod(argv[3]) : lengthS;
    module.set_repeat_count(-1);

    auto frames = static_cast<std::size_t>(renderS * kRateHz);
    std::vector<float> audio(frames * 2);
    std::size_t done = 0;
    while (done < frames) {
      std::size_t got = module.read_interleaved_stereo(kRateHz, std::min<std::size_t>(4096, frames - done),
                                                       &audio[done * 2]);
      if (got == 0) break;
      done += got;
    }
    audio.resize(done * 2);

    double peak = 0.0;
    double sumSquares = 0.0;
    std::size_t clipped = 0;
    for (float value : audio) {
      peak = std::max(peak, static_cast<double>(std::abs(value)));
      sumSquares += static_cast<double>(value) * value;
      if (std::abs(value) >= 1.0f) ++clipped;
    }
    double rms = std::sqrt(sumSquares / static_cast<double>(std::max<std::size_t>(audio.size(), 1)));
    std::printf("length %.2f s, rendered %.2f s, channels %d, orders %d\n", lengthS,
                static_cast<double>(done) / kRateHz, module.get_num_channels(), module.get_num_orders());
    std::printf("peak %.3f (%.1f dBFS), rms %.1f dBFS, clipped samples %zu\n", peak, Decibels(peak),
                Decibels(rms), clipped);
    // Loudness in ten-second windows, to see the sections and the loop.
    std::size_t window = static_cast<std::size_t>(10 * kRateHz) * 2;
    for (std::size_t start = 0; start < audio.size(); start += window) {
      double sum = 0.0;
      std::size_t end = std::min(audio.size(), start + window);
      for (std::size_t i = start; i < end; ++i) sum += static_cast<double>(audio[i]) * audio[i];
      std::printf("  %4zu s: rms %.1f dBFS\n", start / 2 / kRateHz,
                  Decibels(std::sqrt(sum / static_cast<double>(end - start))));
    }
    WriteWav(argv[2], audio);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "render_module: %s\n", error.what());
    return 1;
  }
  return 0;
}
