// The audio device on Windows: the system's waveOut device, fed by a thread
// of its own that renders from a PlaybackSlot into a ring of buffers. waveOut
// is on every Windows (and Wine) without a driver or runtime of ours, plays
// through the system's mixer at any rate the device has, and the buffers
// keep the same latency as the other systems' device (about 43 ms each).
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

namespace sound {

class PlaybackSlot;

class WaveOutOutput {
 public:
  WaveOutOutput() = default;
  ~WaveOutOutput() { Close(); }
  WaveOutOutput(const WaveOutOutput&) = delete;
  WaveOutOutput& operator=(const WaveOutOutput&) = delete;

  // Opens the default device, paused, at 48 kHz stereo float (16-bit where
  // the device takes no float). The slot must outlive the open device. False,
  // with nothing left open, when no device can be opened.
  bool Open(PlaybackSlot& slot) noexcept;
  // Runs or pauses the device.
  void SetRunning(bool running) noexcept;
  // Closes the device; its thread has ended when this returns.
  void Close() noexcept;

  bool IsOpen() const noexcept { return device != 0; }
  std::int32_t RateHz() const noexcept { return rateHz; }

 private:
  void Feed() noexcept;

  PlaybackSlot* slot = nullptr;
  std::int32_t rateHz = 0;
  bool floatSamples = true;
  std::uintptr_t device = 0;  // HWAVEOUT
  std::uintptr_t event = 0;   // HANDLE, signalled when a buffer is done
  std::atomic<bool> stopping{false};
  std::thread feeder;
  struct Buffers;
  Buffers* buffers = nullptr;
};

}  // namespace sound
