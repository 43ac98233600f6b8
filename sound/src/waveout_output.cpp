// waveOut device opening and the thread that keeps its buffers filled.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include "waveout_output.h"

#include <mmreg.h>
#include <mmsystem.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "playback_slot.h"

namespace sound {

namespace {

constexpr int kRateHz = 48000;
constexpr std::size_t kBufferFrames = 2048;  // about 43 ms at 48 kHz
constexpr std::size_t kBufferCount = 3;

HWAVEOUT Device(std::uintptr_t device) {
  return reinterpret_cast<HWAVEOUT>(device);
}

}  // namespace

struct WaveOutOutput::Buffers {
  std::array<WAVEHDR, kBufferCount> headers{};
  std::array<std::vector<std::uint8_t>, kBufferCount> bytes;
  std::vector<float> render;  // one buffer's interleaved stereo floats
};

bool WaveOutOutput::Open(PlaybackSlot& given) noexcept {
  if (device != 0) return true;
  HANDLE doneEvent = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (doneEvent == nullptr) return false;
  HWAVEOUT opened = nullptr;
  for (bool useFloat : {true, false}) {
    WAVEFORMATEX format{};
    format.wFormatTag = useFloat ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = kRateHz;
    format.wBitsPerSample = useFloat ? 32 : 16;
    format.nBlockAlign = static_cast<WORD>(format.nChannels * format.wBitsPerSample / 8);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    if (::waveOutOpen(&opened, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(doneEvent), 0,
                      CALLBACK_EVENT) == MMSYSERR_NOERROR) {
      floatSamples = useFloat;
      break;
    }
    opened = nullptr;
  }
  if (opened == nullptr) {
    ::CloseHandle(doneEvent);
    return false;
  }
  ::waveOutPause(opened);
  slot = &given;
  rateHz = kRateHz;
  device = reinterpret_cast<std::uintptr_t>(opened);
  event = reinterpret_cast<std::uintptr_t>(doneEvent);
  buffers = new Buffers;
  buffers->render.resize(kBufferFrames * 2);
  const std::size_t bytesPerFrame = floatSamples ? 2 * sizeof(float) : 2 * sizeof(std::int16_t);
  for (std::size_t i = 0; i < kBufferCount; ++i) {
    buffers->bytes[i].assign(kBufferFrames * bytesPerFrame, 0);
    WAVEHDR& header = buffers->headers[i];
    header.lpData = reinterpret_cast<LPSTR>(buffers->bytes[i].data());
    header.dwBufferLength = static_cast<DWORD>(buffers->bytes[i].size());
    ::waveOutPrepareHeader(opened, &header, sizeof header);
    header.dwFlags |= WHDR_DONE;  // free to fill
  }
  stopping = false;
  feeder = std::thread([this] { Feed(); });
  return true;
}

void WaveOutOutput::Feed() noexcept {
  HANDLE doneEvent = reinterpret_cast<HANDLE>(event);
  while (!stopping.load()) {
    for (std::size_t i = 0; i < kBufferCount && !stopping.load(); ++i) {
      WAVEHDR& header = buffers->headers[i];
      if ((header.dwFlags & WHDR_DONE) == 0) continue;
      slot->RenderStereo(rateHz, buffers->render.data(), kBufferFrames);
      if (floatSamples) {
        std::copy(buffers->render.begin(), buffers->render.end(), reinterpret_cast<float*>(header.lpData));
      } else {
        auto* out = reinterpret_cast<std::int16_t*>(header.lpData);
        for (std::size_t s = 0; s < buffers->render.size(); ++s)
          out[s] =
              static_cast<std::int16_t>(std::lrint(std::clamp(buffers->render[s], -1.0f, 1.0f) * 32767.0f));
      }
      header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
      ::waveOutWrite(Device(device), &header, sizeof header);
    }
    ::WaitForSingleObject(doneEvent, 100);
  }
}

void WaveOutOutput::SetRunning(bool running) noexcept {
  if (device == 0) return;
  if (running) {
    ::waveOutRestart(Device(device));
  } else {
    ::waveOutPause(Device(device));
  }
}

void WaveOutOutput::Close() noexcept {
  if (device == 0) return;
  stopping = true;
  ::SetEvent(reinterpret_cast<HANDLE>(event));
  if (feeder.joinable()) feeder.join();
  // Every buffer comes back marked done, after which none is touched again.
  ::waveOutReset(Device(device));
  for (WAVEHDR& header : buffers->headers) ::waveOutUnprepareHeader(Device(device), &header, sizeof header);
  ::waveOutClose(Device(device));
  ::CloseHandle(reinterpret_cast<HANDLE>(event));
  delete buffers;
  buffers = nullptr;
  device = 0;
  event = 0;
  slot = nullptr;
  rateHz = 0;
}

}  // namespace sound
