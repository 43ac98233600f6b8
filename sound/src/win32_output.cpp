// win32_output.cpp — the audio device on Windows: the system's waveOut
// device, fed by a thread of its own that renders from the PlaybackSlot into
// a ring of buffers. waveOut is on every Windows (and Wine) with no runtime
// of ours, plays through the system's mixer whatever the device's own rate,
// and its buffers keep the latency of the other systems' device (about 43 ms
// each).
#include <windows.h>
// After <windows.h>, which they need.
#include <mmreg.h>
#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "audio_output.h"
#include "playback_slot.h"

namespace sound {

namespace {

constexpr int kRateHz = 48000;
constexpr std::size_t kBufferFrames = 2048;  // about 43 ms at 48 kHz
constexpr std::size_t kBufferCount = 3;

class WaveOutOutput final : public AudioOutput {
 public:
  WaveOutOutput() = default;
  ~WaveOutOutput() override { Close(); }
  WaveOutOutput(const WaveOutOutput&) = delete;
  WaveOutOutput& operator=(const WaveOutOutput&) = delete;

  // Opens the default device, paused, at 48 kHz stereo float (16-bit where
  // the device takes no float).
  bool Open(PlaybackSlot& slot) noexcept override;
  void SetRunning(bool run) noexcept override;
  void Close() noexcept override;
  bool IsOpen() const noexcept override { return device != nullptr; }
  std::int32_t RateHz() const noexcept override { return rateHz; }

 private:
  void Feed() noexcept;

  PlaybackSlot* slot = nullptr;
  std::int32_t rateHz = 0;
  bool floatSamples = true;
  HWAVEOUT device = nullptr;
  HANDLE event = nullptr;  // signalled when a buffer is done
  std::atomic<bool> running{false};
  std::atomic<bool> stopping{false};
  std::mutex renderMutex;  // held while the feeder renders
  std::thread feeder;
  std::array<WAVEHDR, kBufferCount> headers{};
  std::array<std::vector<std::uint8_t>, kBufferCount> bytes;
  std::vector<float> render;  // one buffer's interleaved stereo floats
};

}  // namespace

bool WaveOutOutput::Open(PlaybackSlot& given) noexcept {
  if (device != nullptr) return true;
  event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (event == nullptr) return false;
  for (bool useFloat : {true, false}) {
    WAVEFORMATEX format{};
    format.wFormatTag = useFloat ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = kRateHz;
    format.wBitsPerSample = useFloat ? 32 : 16;
    format.nBlockAlign = static_cast<WORD>(format.nChannels * format.wBitsPerSample / 8);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    if (::waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(event), 0, CALLBACK_EVENT) ==
        MMSYSERR_NOERROR) {
      floatSamples = useFloat;
      break;
    }
    device = nullptr;
  }
  if (device == nullptr) {
    ::CloseHandle(event);
    event = nullptr;
    return false;
  }
  ::waveOutPause(device);
  slot = &given;
  rateHz = kRateHz;
  render.assign(kBufferFrames * 2, 0.0f);
  const std::size_t bytesPerFrame = floatSamples ? 2 * sizeof(float) : 2 * sizeof(std::int16_t);
  for (std::size_t i = 0; i < kBufferCount; ++i) {
    bytes[i].assign(kBufferFrames * bytesPerFrame, 0);
    WAVEHDR& header = headers[i];
    header = WAVEHDR{};
    header.lpData = reinterpret_cast<LPSTR>(bytes[i].data());
    header.dwBufferLength = static_cast<DWORD>(bytes[i].size());
    ::waveOutPrepareHeader(device, &header, sizeof header);
    header.dwFlags |= WHDR_DONE;  // free to fill
  }
  running = false;
  stopping = false;
  feeder = std::thread([this] { Feed(); });
  return true;
}

void WaveOutOutput::Feed() noexcept {
  while (!stopping.load()) {
    {
      std::lock_guard<std::mutex> rendering(renderMutex);
      for (std::size_t i = 0; i < kBufferCount && running.load() && !stopping.load(); ++i) {
        WAVEHDR& header = headers[i];
        if ((header.dwFlags & WHDR_DONE) == 0) continue;
        slot->RenderStereo(rateHz, render.data(), kBufferFrames);
        if (floatSamples) {
          std::copy(render.begin(), render.end(), reinterpret_cast<float*>(header.lpData));
        } else {
          auto* out = reinterpret_cast<std::int16_t*>(header.lpData);
          for (std::size_t s = 0; s < render.size(); ++s)
            out[s] = static_cast<std::int16_t>(std::lrint(std::clamp(render[s], -1.0f, 1.0f) * 32767.0f));
        }
        header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
        ::waveOutWrite(device, &header, sizeof header);
      }
    }
    // Woken when a buffer comes back, or by SetRunning and Close.
    ::WaitForSingleObject(event, 100);
  }
}

void WaveOutOutput::SetRunning(bool run) noexcept {
  if (device == nullptr) return;
  if (run) {
    running = true;
    ::waveOutRestart(device);
    ::SetEvent(event);
  } else {
    running = false;
    ::waveOutPause(device);
    // Rendering in progress ends before this returns, as a callback's would.
    std::lock_guard<std::mutex> wait(renderMutex);
  }
}

void WaveOutOutput::Close() noexcept {
  if (device == nullptr) return;
  stopping = true;
  ::SetEvent(event);
  if (feeder.joinable()) feeder.join();
  // Every buffer comes back marked done; none is touched after.
  ::waveOutReset(device);
  for (WAVEHDR& header : headers) ::waveOutUnprepareHeader(device, &header, sizeof header);
  ::waveOutClose(device);
  ::CloseHandle(event);
  device = nullptr;
  event = nullptr;
  slot = nullptr;
  rateHz = 0;
}

std::unique_ptr<AudioOutput> CreateAudioOutput() {
  // The variable that picks SDL's silent driver on Linux picks the silent device here, so that tests
  // and headless runs behave alike on both systems.
  if (const char* driver = std::getenv("SDL_AUDIODRIVER");
      driver != nullptr && std::strcmp(driver, "dummy") == 0)
    return CreateSilentAudioOutput();
  return std::make_unique<WaveOutOutput>();
}

}  // namespace sound
