// One decoded tracker module (XM, S3M, MOD and whatever else libopenmpt reads), loaded from memory or a
// file, repeating forever, with libopenmpt's log silenced. No call lets an exception out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <span>
#include <streambuf>

namespace openmpt {
class module;
}

namespace sound {

// Files larger than this are refused without being read: no module we play comes near it.
inline constexpr std::uint64_t kMaxModuleBytes = 64ull << 20;

// An output stream that discards everything; each module owns one as its log.
class NullStream : public std::ostream {
 public:
  NullStream() : std::ostream(&discard) {}

 private:
  class Discard : public std::streambuf {
   protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
  };
  Discard discard;
};

class Module {
 public:
  // Null when the bytes are not a module libopenmpt can play, however damaged they are.
  static std::unique_ptr<Module> FromMemory(std::span<const std::byte> bytes) noexcept;
  // Null for a null or empty path, a missing, unreadable or oversized file, or one that is not a module.
  static std::unique_ptr<Module> FromFile(const char* path) noexcept;

  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // Renders interleaved stereo floats at rateHz; the module repeats at its end, so every frame is filled.
  // On any decoder failure the rest of the buffer is silence. Returns the frames the decoder produced.
  std::size_t RenderStereo(std::int32_t rateHz, float* interleaved, std::size_t frames) noexcept;
  // Back to the start of the song.
  void Rewind() noexcept;

  double DurationSeconds() const noexcept;
  int ChannelCount() const noexcept;
  int OrderCount() const noexcept;
  int PatternCount() const noexcept;
  int InstrumentCount() const noexcept;
  int SampleCount() const noexcept;

 private:
  Module() = default;

  NullStream log;  // must outlive decoder, which keeps a reference to it
  std::unique_ptr<openmpt::module> decoder;
};

}  // namespace sound
