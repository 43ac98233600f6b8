// Sample synthesis: additive, FM and filtered-noise recipes, normalised to 16 bits.
#include "synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace music {

namespace {

constexpr double kMiddleCHz = 261.6255653;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Fixed-seed noise: the same values on every run and every machine.
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state(seed) {}
  // Uniform in [-1, 1).
  double Next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / static_cast<double>(1u << 23) - 1.0;
  }

 private:
  std::uint32_t state;
};

double Rate(int relativeNote, int fineTune) {
  return 8363.0 * std::exp2((relativeNote * 128.0 + fineTune) / 1536.0);
}

XmSample MakeSample(const char* name, const Tuning& tuning, std::vector<std::int16_t> data) {
  XmSample sample;
  sample.name = name;
  sample.data = std::move(data);
  sample.relativeNote = tuning.relativeNote;
  sample.fineTune = tuning.fineTune;
  return sample;
}

}  // namespace

Tuning TuneFor(double wantedRateHz) {
  double fine = std::round(std::log2(wantedRateHz / 8363.0) * 1536.0);
  int relativeNote = static_cast<int>(std::round(fine / 128.0));
  int fineTune = static_cast<int>(fine) - relativeNote * 128;
  fineTune = std::clamp(fineTune, -128, 127);
  return Tuning{static_cast<std::int8_t>(relativeNote), static_cast<std::int8_t>(fineTune),
                Rate(relativeNote, fineTune)};
}

std::vector<std::int16_t> ToPcm16(const std::vector<double>& signal, double peak) {
  double largest = 0.0;
  for (double value : signal) largest = std::max(largest, std::abs(value));
  double scale = largest > 0.0 ? peak * 32767.0 / largest : 0.0;
  std::vector<std::int16_t> pcm(signal.size());
  for (std::size_t i = 0; i < signal.size(); ++i) {
    pcm[i] = static_cast<std::int16_t>(std::lround(std::clamp(signal[i] * scale, -32767.0, 32767.0)));
  }
  return pcm;
}

XmSample PadSample() {
  // One cycle of the middle voice is 64 frames; the loop holds 200 of them, and the two outer voices
  // 199 and 201, so each beats against the middle one about once a second and the loop has no seam.
  constexpr int kCycleFrames = 64;
  constexpr int kLoopCycles = 200;
  constexpr int kLoopFrames = kCycleFrames * kLoopCycles;
  constexpr int kHarmonics = 14;
  const int voiceCycles[] = {kLoopCycles - 1, kLoopCycles, kLoopCycles + 1};
  const double voiceGain[] = {0.8, 1.0, 0.8};

  Noise phases(0x5eed0001u);
  double phase[3][kHarmonics];
  for (auto& voice : phase)
    for (double& p : voice) p = kTwoPi * (phases.Next() + 1.0) * 0.5;

  std::vector<double> signal(kLoopFrames);
  for (int i = 0; i < kLoopFrames; ++i) {
    double t = static_cast<double>(i) / kLoopFrames;
    double sum = 0.0;
    for (int v = 0; v < 3; ++v) {
      for (int h = 1; h <= kHarmonics; ++h) {
        // Soft saw-like spectrum, rolled off further above the fifth partial.
        double gain = voiceGain[v] / std::pow(h, 1.5) / (1.0 + std::pow(h / 5.0, 2.0));
        sum += gain * std::sin(kTwoPi * h * voiceCycles[v] * t + phase[v][h - 1]);
      }
    }
    signal[static_cast<std::size_t>(i)] = sum;
  }
  XmSample sample = MakeSample("pad", TuneFor(kMiddleCHz * kCycleFrames), ToPcm16(signal, 0.85));
  sample.loopStart = 0;
  sample.loopLength = kLoopFrames;
  return sample;
}

XmSample BassSample() {
  constexpr int kCycleFrames = 256;
  constexpr int kOnsetCycles = 48;
  constexpr int kOnsetFrames = kCycleFrames * kOnsetCycles;
  std::vector<double> signal(kOnsetFrames + kCycleFrames);
  for (std::size_t i = 0; i < signal.size(); ++i) {
    double cycle = static_cast<double>(i) / kCycleFrames;
    double body = std::sin(kTwoPi * cycle) + 0.30 * std::sin(2.0 * kTwoPi * cycle) +
                  0.10 * std::sin(3.0 * kTwoPi * cycle) + 0.04 * std::sin(4.0 * kTwoPi * cycle);
    // Extra upper partials fade out over the onset, reaching zero where the loop begins.
    double onset = i < kOnsetFrames ? std::pow(1.0 - static_cast<double>(i) / kOnsetFrames, 3.0) : 0.0;
    double bright = 0.25 * std::sin(3.0 * kTwoPi * cycle) + 0.15 * std::sin(5.0 * kTwoPi * cycle) +
                    0.08 * std::sin(6.0 * kTwoPi * cycle);
    signal[i] = body + onset * bright;
  }
  XmSample sample = MakeSample("bass", TuneFor(kMiddleCHz * kCycleFrames), ToPcm16(signal, 0.9));
  sample.loopStart = kOnsetFrames;
  sample.loopLength = kCycleFrames;
  return sample;
}

XmSample BellSample() {
  Tuning tuning = TuneFor(33000.0);
  double rateHz = tuning.rateHz;
  auto frames = static_cast<std::size_t>(2.6 * rateHz);
  std::vector<double> signal(frames);
  for (std::size_t i = 0; i < frames; ++i) {
    double t = static_cast<double>(i) / rateHz;
    double index = 1.4 * std::exp(-t / 0.25) + 0.25;
    double modulator = std::sin(kTwoPi * 3.0 * kMiddleCHz * t);
    double carrier = std::sin(kTwoPi * kMiddleCHz * t + index * modulator);
    double octave = 0.18 * std::exp(-t / 0.5) * std::sin(kTwoPi * 2.0 * kMiddleCHz * t);
    double attack = std::min(1.0, t / 0.004);
    double release = std::min(1.0, (2.6 - t) / 0.2);  // reach zero at the end
    signal[i] = attack * release * (std::exp(-t / 0.9) * carrier + octave);
  }
  return MakeSample("bell", tuning, ToPcm16(signal, 0.85));
}

XmSample PluckSample() {
  Tuning tuning = TuneFor(33000.0);
  double rateHz = tuning.rateHz;
  constexpr double kLengthS = 3.2;
  auto frames = static_cast<std::size_t>(kLengthS * rateHz);
  std::vector<double> signal(frames);
  for (std::size_t i = 0; i < frames; ++i) {
    double t = static_cast<double>(i) / rateHz;
    double sum = 0.0;
    for (int h = 1; h <= 10; ++h) {
      double gain = (h % 2 == 1 ? 1.0 : 0.6) / std::pow(h, 1.6);
      double decayPerS = 0.7 + 0.9 * (h - 1);
      sum += gain * std::exp(-t * decayPerS) * std::sin(kTwoPi * h * kMiddleCHz * t);
    }
    double attack = std::min(1.0, t / 0.003);
    double release = std::min(1.0, (kLengthS - t) / 0.3);
    signal[i] = attack * release * sum;
  }
  return MakeSample("pluck", tuning, ToPcm16(signal, 0.85));
}

XmSample KickSample() {
  Tuning tuning = TuneFor(22050.0);
  double rateHz = tuning.rateHz;
  auto frames = static_cast<std::size_t>(0.55 * rateHz);
  std::vector<double> signal(frames);
  double phase = 0.0;
  for (std::size_t i = 0; i < frames; ++i) {
    double t = static_cast<double>(i) / rateHz;
    double frequencyHz = 46.0 + 60.0 * std::exp(-t / 0.035);
    phase += kTwoPi * frequencyHz / rateHz;
    double attack = std::min(1.0, t / 0.002);
    double release = std::min(1.0, (0.55 - t) / 0.05);
    signal[i] = attack * release * std::exp(-t / 0.16) * std::sin(phase);
  }
  return MakeSample("kick", tuning, ToPcm16(signal, 0.9));
}

XmSample ShakerSample() {
  Tuning tuning = TuneFor(33000.0);
  double rateHz = tuning.rateHz;
  auto frames = static_cast<std::size_t>(0.22 * rateHz);
  std::vector<double> signal(frames);
  Noise noise(0x5eed0002u);
  double previousIn = 0.0;
  double highPassed = 0.0;
  double smoothed = 0.0;
  for (std::size_t i = 0; i < frames; ++i) {
    double t = static_cast<double>(i) / rateHz;
    double in = noise.Next();
    highPassed = 0.55 * (highPassed + in - previousIn);  // keeps the hiss, drops the body
    previousIn = in;
    smoothed += 0.6 * (highPassed - smoothed);  // takes the harshest top off
    double swell = std::min(1.0, t / 0.012);
    double release = std::min(1.0, (0.22 - t) / 0.03);
    signal[i] = swell * release * std::exp(-t / 0.04) * smoothed;
  }
  return MakeSample("shaker", tuning, ToPcm16(signal, 0.8));
}

}  // namespace music
