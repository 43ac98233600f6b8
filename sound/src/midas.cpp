// The MIDAS calls: a small state machine (started up, device open, background play running) over the
// loaded modules, the playback slot and the audio device. Calls made out of order do nothing and
// return false; no exception leaves this file.
#include <midas.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "audio_output.h"
#include "module.h"
#include "playback_slot.h"

namespace sound {

namespace {

// The file to open for `fileName`: the name itself, or, when a relative name names nothing from the
// current folder, the file of that name beside the program, where the installed music lives.
std::string ResolveModuleName(const char* fileName) {
  std::string name = fileName;
  std::filesystem::path path(name);
  std::error_code error;
  if (path.is_absolute() || std::filesystem::exists(path, error)) return name;
  const std::filesystem::path folder = ProgramFolder();
  if (folder.empty()) return name;
  const std::filesystem::path beside = folder / path;
  return std::filesystem::is_regular_file(beside, error) ? beside.string() : name;
}

class MidasLibrary {
 public:
  MIDASbool Startup() noexcept {
    Close();
    startedUp = true;
    return 1;
  }

  MIDASbool Init() noexcept {
    if (!startedUp) return 0;
    return output->Open(slot) ? 1 : 0;
  }

  MIDASbool StartBackgroundPlay() noexcept {
    if (!output->IsOpen()) return 0;
    output->SetRunning(true);
    backgroundPlay = true;
    return 1;
  }

  MIDASbool StopBackgroundPlay() noexcept {
    if (!backgroundPlay) return 0;
    output->SetRunning(false);
    backgroundPlay = false;
    return 1;
  }

  MIDASmodule LoadModule(const char* fileName) noexcept {
    if (!output->IsOpen() || fileName == nullptr || fileName[0] == '\0') return 0;
    try {
      std::unique_ptr<Module> module = Module::FromFile(ResolveModuleName(fileName).c_str());
      if (module == nullptr) return 0;
      MIDASmodule handle = NewHandle();
      modules.emplace(handle, std::move(module));
      return handle;
    } catch (...) {
      return 0;
    }
  }

  // Starts `handle` from its beginning, in place of whatever played before.
  MIDASbool PlayModule(MIDASmodule handle) noexcept {
    Module* module = Find(handle);
    if (module == nullptr) return 0;
    slot.Swap(nullptr);
    module->Rewind();
    slot.Swap(module);
    return 1;
  }

  MIDASbool StopModule(MIDASmodule handle) noexcept {
    Module* module = Find(handle);
    if (module == nullptr) return 0;
    if (slot.Playing() == module) slot.Swap(nullptr);
    return 1;
  }

  MIDASbool FreeModule(MIDASmodule handle) noexcept {
    if (StopModule(handle) == 0) return 0;
    modules.erase(handle);
    return 1;
  }

  MIDASbool Close() noexcept {
    if (!output->IsOpen()) return 0;
    slot.Swap(nullptr);
    output->Close();
    modules.clear();
    backgroundPlay = false;
    return 1;
  }

 private:
  Module* Find(MIDASmodule handle) const noexcept {
    auto found = modules.find(handle);
    return found == modules.end() ? nullptr : found->second.get();
  }

  // Handles count up from 1 and are not handed out again while the library stays open, so a freed
  // handle stays unknown.
  MIDASmodule NewHandle() {
    do {
      ++lastHandle;
    } while (lastHandle == 0 || modules.contains(lastHandle));
    return lastHandle;
  }

  bool startedUp = false;
  bool backgroundPlay = false;
  MIDASmodule lastHandle = 0;
  std::map<MIDASmodule, std::unique_ptr<Module>> modules;
  PlaybackSlot slot;
  // Declared last: closed, and its audio thread ended, before the rest goes.
  std::unique_ptr<AudioOutput> output = CreateAudioOutput();
};

MidasLibrary& Library() {
  static MidasLibrary library;
  return library;
}

}  // namespace

}  // namespace sound

extern "C" {

MIDASbool MIDASstartup(void) {
  return sound::Library().Startup();
}
MIDASbool MIDASinit(void) {
  return sound::Library().Init();
}
MIDASbool MIDASstartBackgroundPlay(unsigned int /*pollRate*/) {
  return sound::Library().StartBackgroundPlay();
}
MIDASmodule MIDASloadModule(const char* fileName) {
  return sound::Library().LoadModule(fileName);
}
MIDASbool MIDASplayModule(MIDASmodule module, int /*loopSong*/) {
  return sound::Library().PlayModule(module);
}
MIDASbool MIDASstopModule(MIDASmodule module) {
  return sound::Library().StopModule(module);
}
MIDASbool MIDASfreeModule(MIDASmodule module) {
  return sound::Library().FreeModule(module);
}
MIDASbool MIDASstopBackgroundPlay(void) {
  return sound::Library().StopBackgroundPlay();
}
MIDASbool MIDASclose(void) {
  return sound::Library().Close();
}
}
