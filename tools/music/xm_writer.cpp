// Serialisation of an XmSong into the FastTracker 2 XM 1.04 layout, little-endian throughout.
#include "xm_writer.h"

#include <algorithm>
#include <stdexcept>

namespace music {

namespace {

class ByteWriter {
 public:
  void U8(unsigned value) { bytes.push_back(static_cast<std::uint8_t>(value)); }
  void U16(unsigned value) {
    U8(value & 0xFF);
    U8((value >> 8) & 0xFF);
  }
  void U32(std::uint32_t value) {
    U16(value & 0xFFFF);
    U16(value >> 16);
  }
  // Fixed-width text, cut or padded with `pad`.
  void Text(const std::string& text, std::size_t width, char pad = '\0') {
    for (std::size_t i = 0; i < width; ++i) U8(static_cast<unsigned char>(i < text.size() ? text[i] : pad));
  }
  void Zeros(std::size_t count) { bytes.insert(bytes.end(), count, 0); }
  void Append(const std::vector<std::uint8_t>& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }

  std::vector<std::uint8_t> bytes;
};

constexpr std::uint32_t kHeaderSize = 276;            // from the header-size field to the end of the orders
constexpr std::uint32_t kInstrumentHeaderSize = 263;  // with one or more samples
constexpr std::uint32_t kSampleHeaderSize = 40;
constexpr std::size_t kMaxEnvelopePoints = 12;

void Check(bool ok, const char* what) {
  if (!ok) throw std::invalid_argument(what);
}

// Each cell: a flag byte (0x80 | which of the five fields follow), then those fields.
std::vector<std::uint8_t> PackPattern(const XmPattern& pattern) {
  ByteWriter out;
  for (const XmCell& cell : pattern.cells) {
    unsigned flags = 0x80;
    if (cell.note != 0) flags |= 0x01;
    if (cell.instrument != 0) flags |= 0x02;
    if (cell.volume != 0) flags |= 0x04;
    if (cell.effect != 0) flags |= 0x08;
    if (cell.param != 0) flags |= 0x10;
    out.U8(flags);
    if (cell.note != 0) out.U8(cell.note);
    if (cell.instrument != 0) out.U8(cell.instrument);
    if (cell.volume != 0) out.U8(cell.volume);
    if (cell.effect != 0) out.U8(cell.effect);
    if (cell.param != 0) out.U8(cell.param);
  }
  return out.bytes;
}

void WriteInstrument(ByteWriter& out, const XmInstrument& instrument) {
  const XmSample& sample = instrument.sample;
  Check(instrument.volumeEnvelope.size() <= kMaxEnvelopePoints, "too many envelope points");
  Check(sample.loopStart + sample.loopLength <= sample.data.size(), "sample loop past its end");

  out.U32(kInstrumentHeaderSize);
  out.Text(instrument.name, 22);
  out.U8(0);   // type
  out.U16(1);  // samples
  out.U32(kSampleHeaderSize);
  out.Zeros(96);  // every note maps to sample 0
  for (std::size_t i = 0; i < kMaxEnvelopePoints; ++i) {
    XmEnvelopePoint point =
        i < instrument.volumeEnvelope.size() ? instrument.volumeEnvelope[i] : XmEnvelopePoint{};
    out.U16(point.tick);
    out.U16(point.value);
  }
  out.Zeros(48);  // panning envelope
  out.U8(static_cast<unsigned>(instrument.volumeEnvelope.size()));
  out.U8(0);  // panning points
  out.U8(instrument.sustainPoint < 0 ? 0 : static_cast<unsigned>(instrument.sustainPoint));
  out.U8(0);  // volume loop start
  out.U8(0);  // volume loop end
  out.U8(0);  // panning sustain, loop start, loop end
  out.U8(0);
  out.U8(0);
  unsigned volumeType = instrument.volumeEnvelope.empty() ? 0 : 1;
  if (volumeType != 0 && instrument.sustainPoint >= 0) volumeType |= 2;
  out.U8(volumeType);
  out.U8(0);     // panning type
  out.Zeros(4);  // vibrato type, sweep, depth, rate
  out.U16(instrument.fadeOut);
  out.Zeros(22);  // reserved, up to the 263-byte header size

  // Sample header: lengths in bytes for 16-bit data.
  out.U32(static_cast<std::uint32_t>(sample.data.size() * 2));
  out.U32(sample.loopStart * 2);
  out.U32(sample.loopLength * 2);
  out.U8(sample.volume);
  out.U8(static_cast<std::uint8_t>(sample.fineTune));
  out.U8((sample.loopLength > 0 ? 0x01 : 0x00) | 0x10);  // forward loop, 16-bit
  out.U8(sample.panning);
  out.U8(static_cast<std::uint8_t>(sample.relativeNote));
  out.U8(0);
  out.Text(sample.name, 22);

  // Sample data, each value stored as the difference from the one before.
  std::int16_t previous = 0;
  for (std::int16_t value : sample.data) {
    out.U16(
        static_cast<std::uint16_t>(static_cast<std::uint16_t>(value) - static_cast<std::uint16_t>(previous)));
    previous = value;
  }
}

}  // namespace

std::vector<std::uint8_t> WriteXm(const XmSong& song) {
  Check(song.channelCount >= 1 && song.channelCount <= 32, "channel count out of range");
  Check(!song.orders.empty() && song.orders.size() <= 256, "order count out of range");
  Check(song.patterns.size() <= 256, "too many patterns");
  Check(song.instruments.size() <= 128, "too many instruments");
  Check(song.restartPosition >= 0 && static_cast<std::size_t>(song.restartPosition) < song.orders.size(),
        "restart position past the orders");
  for (std::uint8_t order : song.orders) Check(order < song.patterns.size(), "order names a missing pattern");

  ByteWriter out;
  out.Text("Extended Module: ", 17);
  out.Text(song.name, 20);
  out.U8(0x1A);
  out.Text("music generator", 20, ' ');
  out.U16(0x0104);
  out.U32(kHeaderSize);
  out.U16(static_cast<unsigned>(song.orders.size()));
  out.U16(static_cast<unsigned>(song.restartPosition));
  out.U16(static_cast<unsigned>(song.channelCount));
  out.U16(static_cast<unsigned>(song.patterns.size()));
  out.U16(static_cast<unsigned>(song.instruments.size()));
  out.U16(1);  // linear frequency table
  out.U16(static_cast<unsigned>(song.speedTicks));
  out.U16(static_cast<unsigned>(song.tempoBpm));
  for (std::size_t i = 0; i < 256; ++i) out.U8(i < song.orders.size() ? song.orders[i] : 0);

  for (const XmPattern& pattern : song.patterns) {
    Check(pattern.rowCount >= 1 && pattern.rowCount <= 256, "pattern row count out of range");
    Check(pattern.cells.size() == static_cast<std::size_t>(pattern.rowCount * song.channelCount),
          "pattern cells do not match its rows and channels");
    std::vector<std::uint8_t> packed = PackPattern(pattern);
    Check(packed.size() <= 0xFFFF, "pattern too large");
    out.U32(9);  // pattern header size
    out.U8(0);   // packing type
    out.U16(static_cast<unsigned>(pattern.rowCount));
    out.U16(static_cast<unsigned>(packed.size()));
    out.Append(packed);
  }
  for (const XmInstrument& instrument : song.instruments) WriteInstrument(out, instrument);
  return out.bytes;
}

}  // namespace music
