// The composition: chords and their voicing, a rule-based melody from a fixed seed, and the arrangement
// of each section onto the twelve channels.
#include "composer.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <vector>

#include "synth.h"

namespace music {

namespace {

// Channels.
constexpr int kPadA = 0;  // three voices; bars alternate between the two pad sets, so chords crossfade
constexpr int kPadB = 3;
constexpr int kBass = 6;
constexpr int kMelody = 7;
constexpr int kEcho = 8;
constexpr int kBell = 9;
constexpr int kKick = 10;
constexpr int kShaker = 11;
constexpr int kChannels = 12;

// Instruments, 1-based as the patterns name them.
constexpr std::uint8_t kPadInstrument = 1;
constexpr std::uint8_t kBassInstrument = 2;
constexpr std::uint8_t kPluckInstrument = 3;
constexpr std::uint8_t kBellInstrument = 4;
constexpr std::uint8_t kKickInstrument = 5;
constexpr std::uint8_t kShakerInstrument = 6;

constexpr int kRowsPerBar = 16;  // four beats of four rows
constexpr int kBarsPerSection = 4;
constexpr int kRowsPerSection = kRowsPerBar * kBarsPerSection;

constexpr std::uint8_t kEffectPanning = 0x08;

// Pitches are MIDI numbers (60 is middle C); XM numbers C-0 as 1, so C-4 (middle C here) is 49.
std::uint8_t XmNote(int midi) {
  return static_cast<std::uint8_t>(midi - 11);
}
std::uint8_t Volume(int volume) {
  return static_cast<std::uint8_t>(0x10 + std::clamp(volume, 0, 64));
}

// A chord in C major: its bass root, three pad tones (pitch classes; the root is often left to the
// bass) and the tones a melody may rest on.
struct Chord {
  int rootClass;
  std::array<int, 3> padClasses;
  std::vector<int> restClasses;
};

const Chord kFmaj7{5, {9, 0, 4}, {5, 9, 0, 4}};
const Chord kG6{7, {11, 2, 4}, {7, 11, 2}};
const Chord kEm7{4, {7, 11, 2}, {4, 7, 11}};
const Chord kAm7{9, {0, 4, 7}, {9, 0, 4}};
const Chord kDm9{2, {5, 0, 4}, {2, 5, 9, 4}};
const Chord kCmaj7{0, {4, 7, 11}, {0, 4, 7}};
const Chord kGsus{7, {0, 2, 7}, {7, 2, 0}};

using Progression = std::array<const Chord*, kBarsPerSection>;
const Progression kHome{&kFmaj7, &kG6, &kEm7, &kAm7};
const Progression kTurn{&kDm9, &kG6, &kCmaj7, &kAm7};
const Progression kLift{&kAm7, &kFmaj7, &kCmaj7, &kG6};
const Progression kSettle{&kFmaj7, &kEm7, &kDm9, &kGsus};

constexpr std::array<int, 7> kScaleClasses{0, 2, 4, 5, 7, 9, 11};

enum class Melody { None, Low, High, Sparse };
enum class Bells { None, Sparse, Arpeggio };
enum class Drums { None, Shaker, Full };

struct Section {
  const Progression* chords;
  Melody melody;
  std::uint32_t melodySeed;
  Bells bells;
  Drums drums;
  bool bass;
  bool fadeIn;  // pads swell in over the section (only at the very start)
};

// Played in this order; the song restarts at the second section, so the opening swell is heard once and
// the last section's A minor leads back into F major.
const std::array<Section, 12> kSections{{
    {&kHome, Melody::None, 0, Bells::Sparse, Drums::None, false, true},
    {&kHome, Melody::None, 0, Bells::Sparse, Drums::Shaker, true, false},
    {&kTurn, Melody::Low, 11, Bells::None, Drums::Shaker, true, false},
    {&kHome, Melody::Low, 12, Bells::Sparse, Drums::Full, true, false},
    {&kLift, Melody::High, 21, Bells::None, Drums::Full, true, false},
    {&kSettle, Melody::High, 22, Bells::Sparse, Drums::Full, true, false},
    {&kTurn, Melody::None, 0, Bells::Arpeggio, Drums::None, true, false},
    {&kHome, Melody::Sparse, 31, Bells::Arpeggio, Drums::Shaker, true, false},
    {&kTurn, Melody::Low, 13, Bells::None, Drums::Full, true, false},
    {&kLift, Melody::High, 23, Bells::Sparse, Drums::Full, true, false},
    {&kSettle, Melody::High, 24, Bells::None, Drums::Full, true, false},
    {&kTurn, Melody::Sparse, 32, Bells::Sparse, Drums::Shaker, true, false},
}};
constexpr int kRestartSection = 1;

class Random {
 public:
  explicit Random(std::uint32_t seed) : state(seed * 2654435761u + 12345u) {}
  int Below(int count) {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF) % count;
  }

 private:
  std::uint32_t state;
};

// Places the three pad tones near the previous voicing, keeping the voices in the middle register.
std::array<int, 3> VoicePads(const Chord& chord, const std::array<int, 3>& previous) {
  std::array<int, 3> best{};
  int bestCost = std::numeric_limits<int>::max();
  auto candidates = [](int pitchClass) {
    std::vector<int> pitches;
    for (int pitch = 53; pitch <= 74; ++pitch)
      if (pitch % 12 == pitchClass) pitches.push_back(pitch);
    return pitches;
  };
  for (int a : candidates(chord.padClasses[0]))
    for (int b : candidates(chord.padClasses[1]))
      for (int c : candidates(chord.padClasses[2])) {
        std::array<int, 3> voicing{a, b, c};
        std::sort(voicing.begin(), voicing.end());
        if (voicing[1] - voicing[0] < 2 || voicing[2] - voicing[1] < 2) continue;  // no semitone rubs
        if (voicing[2] - voicing[0] > 12) continue;                                // keep it close
        int cost = std::abs((voicing[0] + voicing[1] + voicing[2]) - 3 * 63);
        for (int i = 0; i < 3; ++i)
          cost += 3 * std::abs(voicing[static_cast<std::size_t>(i)] - previous[static_cast<std::size_t>(i)]);
        if (cost < bestCost) {
          bestCost = cost;
          best = voicing;
        }
      }
  return best;
}

// The bass root in the octave from E2 to D#3.
int BassPitch(const Chord& chord) {
  int pitch = 36 + chord.rootClass;
  return pitch < 40 ? pitch + 12 : pitch;
}

struct MelodyNote {
  int row;  // within the section
  int pitch;
  int volume;
};

// Note onsets in a bar, in rows; each note lasts until the next onset.
const std::vector<std::vector<int>> kRhythms{
    {0, 8}, {0, 12}, {0, 6, 8}, {0, 4, 8}, {4, 8, 12}, {0, 6, 12}, {2, 8},
};

bool InScale(int pitch) {
  return std::find(kScaleClasses.begin(), kScaleClasses.end(), pitch % 12) != kScaleClasses.end();
}

// The chord tone nearest to `from` within [low, high], with a little freedom from the seed.
int NearestRestTone(const Chord& chord, int from, int low, int high, Random& random) {
  std::vector<int> tones;
  for (int pitch = low; pitch <= high; ++pitch)
    if (std::find(chord.restClasses.begin(), chord.restClasses.end(), pitch % 12) != chord.restClasses.end())
      tones.push_back(pitch);
  std::sort(tones.begin(), tones.end(),
            [from](int x, int y) { return std::abs(x - from) < std::abs(y - from); });
  // Mostly the nearest, sometimes the next one, so the line does not stand still.
  std::size_t pick = static_cast<std::size_t>(random.Below(3) == 0 ? 1 : 0);
  if (tones.size() > 1 && tones[0] == from) pick = 1;
  return tones[std::min(pick, tones.size() - 1)];
}

// One scale step up or down from `from`.
int ScaleStep(int from, int direction) {
  int pitch = from + direction;
  while (!InScale(pitch)) pitch += direction;
  return pitch;
}

// A four-bar phrase: bar three repeats bar one's rhythm, bar four ends on a long chord tone. Strong
// onsets land on chord tones, the others move by step towards the register's centre.
std::vector<MelodyNote> ComposeMelody(const Section& section) {
  std::vector<MelodyNote> notes;
  if (section.melody == Melody::None) return notes;
  Random random(section.melodySeed);
  int low = section.melody == Melody::High ? 69 : 64;
  int high = section.melody == Melody::High ? 84 : 79;
  int centre = (low + high) / 2;
  int pitch = centre;
  int firstRhythm = random.Below(static_cast<int>(kRhythms.size()));
  for (int bar = 0; bar < kBarsPerSection; ++bar) {
    const Chord& chord = *(*section.chords)[static_cast<std::size_t>(bar)];
    std::vector<int> onsets;
    if (section.melody == Melody::Sparse) {
      onsets = bar % 2 == 0 ? std::vector<int>{0} : std::vector<int>{8};
    } else if (bar == 3) {
      onsets = random.Below(2) == 0 ? std::vector<int>{0} : std::vector<int>{0, 4};
    } else if (bar == 2) {
      onsets = kRhythms[static_cast<std::size_t>(firstRhythm)];
    } else {
      onsets = kRhythms[static_cast<std::size_t>(bar == 0 ? firstRhythm
                                                          : random.Below(static_cast<int>(kRhythms.size())))];
    }
    for (std::size_t i = 0; i < onsets.size(); ++i) {
      bool strong = onsets[i] % 8 == 0 || i + 1 == onsets.size();
      if (strong) {
        pitch = NearestRestTone(chord, pitch, low, high, random);
      } else {
        int direction = pitch < centre ? 1 : (pitch > centre ? -1 : (random.Below(2) == 0 ? 1 : -1));
        pitch = ScaleStep(pitch, direction);
      }
      int volume = (onsets[i] == 0 ? 54 : 46) + random.Below(6);
      notes.push_back({bar * kRowsPerBar + onsets[i], pitch, volume});
    }
  }
  return notes;
}

void Put(XmSong& song, int pattern, int row, int channel, XmCell cell) {
  if (row < 0 || row >= kRowsPerSection) return;
  song.Cell(pattern, row, channel) = cell;
}

XmCell NoteOn(int pitch, std::uint8_t instrument, int volume, std::uint8_t panning) {
  return XmCell{XmNote(pitch), instrument, Volume(volume), kEffectPanning, panning};
}

void ArrangeSection(XmSong& song, int pattern, const Section& section, std::array<int, 3>& padVoicing) {
  static constexpr std::array<std::uint8_t, 3> kPadPanning{0x58, 0x80, 0xA8};
  for (int bar = 0; bar < kBarsPerSection; ++bar) {
    const Chord& chord = *(*section.chords)[static_cast<std::size_t>(bar)];
    int row = bar * kRowsPerBar;

    // Pads: this bar's set sounds, the other set releases (its fade-out overlaps the new attack).
    padVoicing = VoicePads(chord, padVoicing);
    int on = bar % 2 == 0 ? kPadA : kPadB;
    int off = bar % 2 == 0 ? kPadB : kPadA;
    int padVolume = section.fadeIn ? 18 + 10 * bar : 44;
    for (int v = 0; v < 3; ++v) {
      Put(song, pattern, row, on + v,
          NoteOn(padVoicing[static_cast<std::size_t>(v)], kPadInstrument, padVolume,
                 kPadPanning[static_cast<std::size_t>(v)]));
      Put(song, pattern, row, off + v, XmCell{kNoteOff, 0, 0, 0, 0});
    }

    if (section.bass) {
      int root = BassPitch(chord);
      Put(song, pattern, row, kBass, NoteOn(root, kBassInstrument, 52, 0x80));
      if (section.drums == Drums::Full) {
        // A soft push on the "and" of three, on the fifth or the root.
        int push = (bar % 2 == 1) ? root + 7 : root;
        Put(song, pattern, row + 10, kBass, NoteOn(push, kBassInstrument, 42, 0x80));
      }
    }

    if (section.bells == Bells::Sparse && bar % 2 == 0) {
      Put(song, pattern, row + 2, kBell, NoteOn(padVoicing[2] + 12, kBellInstrument, 28, 0xB0));
    } else if (section.bells == Bells::Arpeggio) {
      static constexpr std::array<int, 5> kArpRows{0, 3, 6, 10, 12};
      static constexpr std::array<int, 5> kArpVoices{0, 1, 2, 1, 2};
      for (std::size_t i = 0; i < kArpRows.size(); ++i) {
        int pitch = padVoicing[static_cast<std::size_t>(kArpVoices[i])] + 12 + (i == 4 ? 12 : 0);
        int volume = i == 0 ? 32 : 24;
        Put(song, pattern, row + kArpRows[i], kBell,
            NoteOn(pitch, kBellInstrument, volume, i % 2 == 0 ? 0xB0 : 0x50));
      }
    }

    if (section.drums == Drums::Full) {
      Put(song, pattern, row, kKick, NoteOn(60, kKickInstrument, 44, 0x80));
      Put(song, pattern, row + 10, kKick, NoteOn(60, kKickInstrument, 30, 0x80));
    }
    if (section.drums != Drums::None) {
      for (int beat = 0; beat < 4; ++beat) {
        int beatRow = row + beat * 4;
        Put(song, pattern, beatRow + 2, kShaker,
            NoteOn(60, kShakerInstrument, beat % 2 == 1 ? 26 : 18, 0x98));
        if (beat % 2 == 1) Put(song, pattern, beatRow, kShaker, NoteOn(60, kShakerInstrument, 12, 0x68));
      }
    }
  }

  // Melody, and its echo a dotted eighth later, softer and on the other side.
  for (const MelodyNote& note : ComposeMelody(section)) {
    Put(song, pattern, note.row, kMelody, NoteOn(note.pitch, kPluckInstrument, note.volume, 0x70));
    Put(song, pattern, note.row + 3, kEcho, NoteOn(note.pitch, kPluckInstrument, note.volume * 2 / 5, 0xA0));
  }
}

XmInstrument Instrument(const char* name, XmSample sample, std::vector<XmEnvelopePoint> envelope,
                        int sustainPoint, std::uint16_t fadeOut) {
  XmInstrument instrument;
  instrument.name = name;
  instrument.sample = std::move(sample);
  instrument.volumeEnvelope = std::move(envelope);
  instrument.sustainPoint = sustainPoint;
  instrument.fadeOut = fadeOut;
  return instrument;
}

}  // namespace

XmSong ComposeTrans() {
  XmSong song;
  song.name = "trans";
  song.channelCount = kChannels;
  // Six ticks a row at 70 BPM: a row lasts 6 × 2.5 / 70 s, a beat (four rows) 0.86 s.
  song.speedTicks = 6;
  song.tempoBpm = 70;
  song.restartPosition = kRestartSection;

  // Envelope ticks last 2.5 / 70 s, about 36 ms.
  song.instruments.push_back(
      Instrument("soft pad", PadSample(), {{0, 20}, {10, 46}, {28, 60}, {70, 52}}, 3, 700));
  song.instruments.push_back(Instrument("warm bass", BassSample(), {{0, 36}, {2, 64}, {40, 50}}, 2, 1800));
  song.instruments.push_back(Instrument("pluck", PluckSample(), {{0, 64}, {2, 64}}, 1, 500));
  song.instruments.push_back(Instrument("bell", BellSample(), {{0, 64}, {2, 64}}, 1, 400));
  song.instruments.push_back(Instrument("kick", KickSample(), {{0, 64}, {1, 64}}, -1, 0));
  song.instruments.push_back(Instrument("shaker", ShakerSample(), {{0, 64}, {1, 64}}, -1, 0));

  std::array<int, 3> padVoicing{57, 60, 64};
  for (std::size_t i = 0; i < kSections.size(); ++i) {
    song.patterns.emplace_back(kRowsPerSection, kChannels);
    ArrangeSection(song, static_cast<int>(i), kSections[i], padVoicing);
    song.orders.push_back(static_cast<std::uint8_t>(i));
  }
  return song;
}

}  // namespace music
