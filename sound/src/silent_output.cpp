// A silent device, as SDL's "dummy" driver is (Windows' choice under SDL_AUDIODRIVER=dummy, for tests
// and headless runs on a machine with or without a sound card). It opens at 48 kHz and, while running,
// renders from the slot in 2048-frame blocks at the pace they would play and drops them, so the MIDAS calls
// behave as with a sound card and the music's position moves on.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "audio_output.h"
#include "playback_slot.h"

namespace sound {

namespace {

constexpr std::int32_t kRateHz = 48000;
constexpr std::size_t kBlockFrames = 2048;

class SilentAudioOutput final : public AudioOutput {
 public:
  ~SilentAudioOutput() override { Close(); }

  bool Open(PlaybackSlot& slotIn) noexcept override {
    if (IsOpen()) return true;
    try {
      slot = &slotIn;
      ending = false;
      running = false;
      worker = std::thread([this] { Play(); });
      return true;
    } catch (...) {
      slot = nullptr;
      return false;
    }
  }

  void SetRunning(bool run) noexcept override {
    std::unique_lock lock(mutex);
    running = run;
    changed.notify_all();
    // Pausing waits for a block being rendered to finish.
    if (!run) changed.wait(lock, [this] { return !rendering; });
  }

  void Close() noexcept override {
    if (!IsOpen()) return;
    {
      std::lock_guard lock(mutex);
      ending = true;
      changed.notify_all();
    }
    worker.join();
    slot = nullptr;
  }

  bool IsOpen() const noexcept override { return worker.joinable(); }
  std::int32_t RateHz() const noexcept override { return IsOpen() ? kRateHz : 0; }

 private:
  void Play() {
    std::vector<float> block(2 * kBlockFrames);
    const auto period = std::chrono::microseconds(1000000LL * kBlockFrames / kRateHz);
    auto next = std::chrono::steady_clock::now();
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [this] { return ending || running; });
      if (ending) return;
      rendering = true;
      lock.unlock();
      slot->RenderStereo(kRateHz, block.data(), kBlockFrames);
      lock.lock();
      rendering = false;
      changed.notify_all();
      next = std::max(next + period, std::chrono::steady_clock::now() - period);
      changed.wait_until(lock, next, [this] { return ending; });
    }
  }

  PlaybackSlot* slot = nullptr;
  std::thread worker;
  std::mutex mutex;
  std::condition_variable changed;
  bool running = false;
  bool rendering = false;
  bool ending = false;
};

}  // namespace

std::unique_ptr<AudioOutput> CreateSilentAudioOutput() {
  return std::make_unique<SilentAudioOutput>();
}

}  // namespace sound
