// The audio device behind the MIDAS calls: one output device whose callback renders from a
// PlaybackSlot. SDL2's on Linux (sdl_output.cpp); on Windows the system's own (win32_output.cpp), or
// a silent one (silent_output.cpp) where SDL_AUDIODRIVER=dummy asks for it, as it does of SDL here.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

namespace sound {

class PlaybackSlot;

class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  // Opens the default device, paused. The slot must outlive the open device. False, with nothing
  // left open, when no device can be opened.
  virtual bool Open(PlaybackSlot& slot) noexcept = 0;
  // Runs or pauses the device's callback. Pausing waits for a callback in progress to return.
  virtual void SetRunning(bool running) noexcept = 0;
  // Closes the device (its audio thread has ended when this returns).
  virtual void Close() noexcept = 0;
  virtual bool IsOpen() const noexcept = 0;
  virtual std::int32_t RateHz() const noexcept = 0;
};

// This build's device. Never null.
std::unique_ptr<AudioOutput> CreateAudioOutput();

#if defined(_WIN32)
// A device that plays nothing at the pace a sound card would (silent_output.cpp).
std::unique_ptr<AudioOutput> CreateSilentAudioOutput();
#endif

// The folder the running program was started from; empty when it cannot be known.
std::filesystem::path ProgramFolder();

}  // namespace sound
