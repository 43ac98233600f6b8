// Synthesised instrument samples for the generated module: pad, bass, bell, pluck, kick and shaker.
// Everything is computed from fixed formulas and a fixed-seed noise source, so every run gives the same
// bytes. Each sample is tuned so that note C-4 sounds middle C (261.63 Hz), or for drums plays the
// sample at the rate it was made at.
#pragma once

#include <cstdint>
#include <vector>

#include "xm_writer.h"

namespace music {

// How an XM sample is pitched: note C-4 plays it at 8363 Hz × 2^((relativeNote + fineTune/128) / 12).
struct Tuning {
  std::int8_t relativeNote = 0;
  std::int8_t fineTune = 0;
  double rateHz = 8363.0;  // the playback rate of C-4 that these two values give exactly
};

// The tuning whose C-4 rate lies nearest to wantedRateHz.
Tuning TuneFor(double wantedRateHz);

// Scales to peak at `peak` (of full scale) and rounds to 16-bit values.
std::vector<std::int16_t> ToPcm16(const std::vector<double>& signal, double peak);

// A slow, soft, chorused pad: three slightly detuned voices whose every partial fits the loop exactly.
XmSample PadSample();
// A warm, round bass: a short brighter onset, then a looped cycle of low harmonics.
XmSample BassSample();
// A soft bell from two-operator FM with a decaying modulation index; decays by itself.
XmSample BellSample();
// A mellow plucked tone whose upper partials die away faster than the fundamental.
XmSample PluckSample();
// A soft, low kick: a sine falling in pitch.
XmSample KickSample();
// A quiet shaker: high-passed noise with a short swell and decay.
XmSample ShakerSample();

}  // namespace music
