// module_fuzz.cpp — the music: the module reader over any bytes (render a
// little, rewind) and the MIDAS facade loading the same bytes from a file.
#include <midas.h>

#include <vector>

#include "fuzz_targets.h"
#include "module.h"

namespace fuzz {

int MusicModule(const uint8_t* data, size_t size) {
  Scratch();
  static const bool ready = MIDASstartup() && MIDASinit();
  std::unique_ptr<sound::Module> module =
      sound::Module::FromMemory(std::span<const std::byte>(reinterpret_cast<const std::byte*>(data), size));
  if (module != nullptr) {
    std::vector<float> samples(2 * 1024);
    module->RenderStereo(44100, samples.data(), 1024);
    module->Rewind();
    module->RenderStereo(8000, samples.data(), 1024);
    (void)module->DurationSeconds();
  }
  if (ready) {
    const std::string path = WriteScratch("music.xm", data, size).string();
    const MIDASmodule handle = MIDASloadModule(path.c_str());
    if ((handle != 0) != (module != nullptr)) Broken("module", "the file and its bytes load differently");
    if (handle != 0) MIDASfreeModule(handle);
  }
  return 0;
}

}  // namespace fuzz
