// The hand-over point between the program's thread and the audio thread: the one module that plays.
//
// The audio thread renders only while it holds the slot, and it never waits for it: when the program's
// thread holds the slot at that moment, that one buffer is silence. The program's thread holds the slot
// just long enough to swap the pointer, so at worst it waits for one buffer's render to finish.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

namespace sound {

class Module;

class PlaybackSlot {
 public:
  // Audio thread: fills `frames` interleaved stereo floats from the playing module, or with silence.
  void RenderStereo(std::int32_t rateHz, float* interleaved, std::size_t frames) noexcept;

  // Program thread: makes `module` (or nothing, for null) the playing module and returns the one it
  // replaces. After this returns, the audio thread no longer touches the replaced module.
  Module* Swap(Module* module) noexcept;
  // Program thread: the module that plays now, without taking the slot (only the program writes it).
  Module* Playing() const noexcept { return playing; }

 private:
  std::mutex mutex;
  Module* playing = nullptr;  // written only by the program's thread, under mutex
};

}  // namespace sound
