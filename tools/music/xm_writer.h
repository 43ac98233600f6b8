// An in-memory FastTracker 2 module (XM 1.04) and its serialiser: header, order list with restart
// position, packed patterns, instruments with volume envelopes and delta-encoded 16-bit samples.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace music {

inline constexpr std::uint8_t kNoteOff = 97;  // notes run 1 (C-0) to 96 (B-7)

struct XmCell {
  std::uint8_t note = 0;        // 0: none, 1..96, kNoteOff
  std::uint8_t instrument = 0;  // 0: none, else 1-based
  std::uint8_t volume = 0;      // volume column byte: 0 none, 0x10 + 0..64 sets the volume
  std::uint8_t effect = 0;
  std::uint8_t param = 0;

  bool Empty() const { return note == 0 && instrument == 0 && volume == 0 && effect == 0 && param == 0; }
};

struct XmPattern {
  int rowCount = 64;
  std::vector<XmCell> cells;  // rowCount × channel count, row by row

  XmPattern(int rows, int channels) : rowCount(rows), cells(static_cast<std::size_t>(rows * channels)) {}
};

struct XmEnvelopePoint {
  std::uint16_t tick = 0;
  std::uint16_t value = 0;  // 0..64
};

struct XmSample {
  std::string name;
  std::vector<std::int16_t> data;
  std::uint32_t loopStart = 0;   // in sample frames
  std::uint32_t loopLength = 0;  // 0: no loop
  std::uint8_t volume = 64;
  std::int8_t fineTune = 0;      // 1/128 semitone
  std::int8_t relativeNote = 0;  // semitones from C-4 at 8363 Hz
  std::uint8_t panning = 128;
};

struct XmInstrument {
  std::string name;
  XmSample sample;                              // one sample for every note
  std::vector<XmEnvelopePoint> volumeEnvelope;  // up to 12 points; empty: no envelope
  int sustainPoint = -1;                        // -1: none
  std::uint16_t fadeOut = 0;                    // volume lost per tick after key-off, out of 32768
};

struct XmSong {
  std::string name;
  int channelCount = 8;
  int speedTicks = 6;  // ticks per row
  int tempoBpm = 125;
  int restartPosition = 0;
  std::vector<std::uint8_t> orders;
  std::vector<XmPattern> patterns;
  std::vector<XmInstrument> instruments;

  XmCell& Cell(int pattern, int row, int channel) {
    return patterns[static_cast<std::size_t>(pattern)]
        .cells[static_cast<std::size_t>(row * channelCount + channel)];
  }
};

// Serialises the song. Throws std::invalid_argument when it cannot be stored as XM (too many orders,
// patterns, channels or envelope points, or an order naming a missing pattern).
std::vector<std::uint8_t> WriteXm(const XmSong& song);

}  // namespace music
