// SDL2 audio device opening and the callback that feeds it.
#include "sdl_output.h"

#include <dlfcn.h>

#include "playback_slot.h"

namespace sound {

namespace {

// ALSA's library reports every device it cannot open on standard error, and
// SDL tries ALSA's default device whenever no sound server answers: on a
// machine without a sound card that is a screenful of lines for a saver that
// simply plays nothing. SDL loads ALSA's library at run time; loading it first
// and giving it a silent error handler keeps it quiet (the same library
// stays loaded, with its handler, when SDL asks for it).
void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

void QuietenAlsa() {
  static const bool done = [] {
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (alsa == nullptr) return true;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) {
      set(&IgnoreAlsaError);
    }
    return true;  // the library stays loaded for the run: SDL uses it
  }();
  (void)done;
}

constexpr int kWantedRateHz = 48000;
constexpr int kMinRateHz = 8000;  // the range the decoder renders at
constexpr int kMaxRateHz = 192000;
constexpr Uint16 kBufferFrames = 2048;  // about 43 ms at 48 kHz

}  // namespace

void SDLCALL SdlAudioOutput::Fill(void* userdata, Uint8* stream, int len) {
  auto* state = static_cast<CallbackState*>(userdata);
  // The device was opened as stereo 32-bit float with no format or channel change allowed.
  auto frames = static_cast<std::size_t>(len) / (2 * sizeof(float));
  state->slot->RenderStereo(state->rateHz, reinterpret_cast<float*>(stream), frames);
}

SDL_AudioDeviceID SdlAudioOutput::OpenDevice(int allowedChanges, SDL_AudioSpec& obtained) noexcept {
  SDL_AudioSpec wanted{};
  wanted.freq = kWantedRateHz;
  wanted.format = AUDIO_F32SYS;
  wanted.channels = 2;
  wanted.samples = kBufferFrames;
  wanted.callback = &SdlAudioOutput::Fill;
  wanted.userdata = &callbackState;
  return SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, allowedChanges);
}

bool SdlAudioOutput::Open(PlaybackSlot& slot) noexcept {
  if (device != 0) return true;
  QuietenAlsa();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  callbackState.slot = &slot;
  SDL_AudioSpec obtained{};
  device = OpenDevice(SDL_AUDIO_ALLOW_FREQUENCY_CHANGE, obtained);
  if (device != 0 && (obtained.freq < kMinRateHz || obtained.freq > kMaxRateHz)) {
    // A rate the decoder cannot render at: let SDL resample from the wanted rate instead.
    SDL_CloseAudioDevice(device);
    device = OpenDevice(0, obtained);
  }
  if (device == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    callbackState = {};
    return false;
  }
  callbackState.rateHz = obtained.freq;
  return true;
}

void SdlAudioOutput::SetRunning(bool running) noexcept {
  if (device != 0) SDL_PauseAudioDevice(device, running ? 0 : 1);
}

void SdlAudioOutput::Close() noexcept {
  if (device == 0) return;
  SDL_CloseAudioDevice(device);
  device = 0;
  callbackState = {};
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::unique_ptr<AudioOutput> CreateAudioOutput() {
  return std::make_unique<SdlAudioOutput>();
}

}  // namespace sound
