// fuzz_targets.h — one entry per loader, each taking any bytes the way
// libFuzzer's LLVMFuzzerTestOneInput does. They stop the process (abort)
// when a loader breaks one of its promises, so a fuzzer reports it like a
// crash; the replay test feeds them the seed corpus and the regression cases
// in the normal build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace fuzz {

using Entry = int (*)(const uint8_t* data, size_t size);

int ModelFile(const uint8_t* data, size_t size);     // tessera's .vh3 loader
int TextureFile(const uint8_t* data, size_t size);   // gu3dfGetInfo / gu3dfLoad
int ProfileFile(const uint8_t* data, size_t size);   // the private settings file
int RegistryFile(const uint8_t* data, size_t size);  // registry.reg
int MusicModule(const uint8_t* data, size_t size);   // the MIDAS facade and the module reader
int SaverEvents(const uint8_t* data, size_t size);   // SAVER_EVENTS
int DialogScript(const uint8_t* data, size_t size);  // SAVER_DIALOG_SCRIPT, played on both dialogs
int CommandLine(const uint8_t* data, size_t size);   // building and reading the command line

struct Target {
  const char* name;  // also the folder of its corpus and regression cases
  Entry entry;
};
inline constexpr Target kTargets[] = {
    {"vh3", ModelFile},
    {"3df", TextureFile},
    {"profile", ProfileFile},
    {"registry", RegistryFile},
    {"module", MusicModule},
    {"saver_events", SaverEvents},
    {"dialog_script", DialogScript},
    {"command_line", CommandLine},
};

// A private folder for this process: the settings folder (SAVER_HOME) of
// every target, and where file-based loaders find their input. Also sets the
// headless environment once.
const std::filesystem::path& Scratch();
// Writes the bytes to Scratch() / name (replacing what was there) and
// returns the path.
std::filesystem::path WriteScratch(const std::string& name, const uint8_t* data, size_t size);

// Stops the process with the broken promise named; a fuzzer saves the input.
[[noreturn]] void Broken(const char* target, const std::string& promise);

}  // namespace fuzz
