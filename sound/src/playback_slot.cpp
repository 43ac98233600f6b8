// Rendering from the playing module without ever blocking the audio thread.
#include "playback_slot.h"

#include <algorithm>
#include <utility>

#include "module.h"

namespace sound {

void PlaybackSlot::RenderStereo(std::int32_t rateHz, float* interleaved, std::size_t frames) noexcept {
  std::unique_lock lock(mutex, std::try_to_lock);
  if (lock.owns_lock() && playing != nullptr) {
    playing->RenderStereo(rateHz, interleaved, frames);
  } else {
    std::fill(interleaved, interleaved + 2 * frames, 0.0f);
  }
}

Module* PlaybackSlot::Swap(Module* module) noexcept {
  std::lock_guard lock(mutex);
  return std::exchange(playing, module);
}

}  // namespace sound
