// The audio device: SDL2's audio subsystem and one output device whose callback renders from a
// PlaybackSlot. SDL's own drivers apply, so SDL_AUDIODRIVER=disk writes what plays to a file and dummy
// plays nothing.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "audio_output.h"

namespace sound {

class SdlAudioOutput final : public AudioOutput {
 public:
  SdlAudioOutput() = default;
  ~SdlAudioOutput() override { Close(); }
  SdlAudioOutput(const SdlAudioOutput&) = delete;
  SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

  // Starts SDL's audio subsystem (counted, so others' SDL use is left alone) and opens the default
  // device, paused, at 48 kHz stereo float or the rate the device insists on. The slot must outlive the
  // open device. False, with nothing left open, when no device can be opened.
  bool Open(PlaybackSlot& slot) noexcept override;
  // Runs or pauses the device's callback. Pausing waits for a callback in progress to return.
  void SetRunning(bool running) noexcept override;
  // Closes the device (its audio thread has ended when this returns) and releases the subsystem.
  void Close() noexcept override;

  bool IsOpen() const noexcept override { return device != 0; }
  std::int32_t RateHz() const noexcept override { return callbackState.rateHz; }

 private:
  struct CallbackState {
    PlaybackSlot* slot = nullptr;
    std::int32_t rateHz = 0;
  };
  static void SDLCALL Fill(void* userdata, Uint8* stream, int len);
  SDL_AudioDeviceID OpenDevice(int allowedChanges, SDL_AudioSpec& obtained) noexcept;

  CallbackState callbackState;
  SDL_AudioDeviceID device = 0;
};

}  // namespace sound
