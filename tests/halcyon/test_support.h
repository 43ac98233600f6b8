// test_support.h — what the halcyon tests share: a call log that can take
// Glide's recorded calls in between the music calls, a recording music player,
// fixed settings, and renderer services that need no running program.
#pragma once

#include <gfx/recorder.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "halcyon/music/music.h"
#include "halcyon/render/world_renderer.h"

namespace halcyon::test {

// Calls in the order they were made. With glide set, the Glide calls recorded
// since the last note are taken in before each note, so both kinds interleave.
class CallLog {
 public:
  void Note(const std::string& call);
  void StartGlide();                  // begins recording Glide calls into the log
  std::vector<std::string> Finish();  // stops recording; the whole log
  std::vector<std::string> entries;

 private:
  void TakeGlide();
  bool glide = false;
};

// Index of the first entry equal to name, or -1.
int IndexOf(const std::vector<std::string>& log, const std::string& name);
int CountOf(const std::vector<std::string>& log, const std::string& name);

class RecordingMusicPlayer final : public MusicPlayer {
 public:
  explicit RecordingMusicPlayer(std::shared_ptr<CallLog> log) : log(std::move(log)) {}
  bool initResult = true;
  bool backgroundResult = true;
  MusicModule loadResult = 7;
  std::string loadedName;

  void Startup() override { log->Note("MIDASstartup"); }
  bool Init() override {
    log->Note("MIDASinit");
    return initResult;
  }
  bool StartBackgroundPlay(uint32_t pollRate) override {
    log->Note("MIDASstartBackgroundPlay " + std::to_string(pollRate));
    return backgroundResult;
  }
  MusicModule LoadModule(const std::string& fileName) override {
    log->Note("MIDASloadModule");
    loadedName = fileName;
    return loadResult;
  }
  void PlayModule(MusicModule module, int loopSong) override {
    log->Note("MIDASplayModule " + std::to_string(module) + " " + std::to_string(loopSong));
  }
  void StopModule(MusicModule module) override { log->Note("MIDASstopModule " + std::to_string(module)); }
  void FreeModule(MusicModule module) override { log->Note("MIDASfreeModule " + std::to_string(module)); }
  void StopBackgroundPlay() override { log->Note("MIDASstopBackgroundPlay"); }
  void Close() override { log->Note("MIDASclose"); }

 private:
  std::shared_ptr<CallLog> log;
};

class FixedMusicSettings final : public MusicSettings {
 public:
  uint32_t mute = 0;
  std::optional<std::string> fileName;  // nullopt: never stored
  int fileNameReads = 0;
  uint32_t Mute() override { return mute; }
  std::string FileName() override {
    ++fileNameReads;
    return fileName.value_or("");
  }
};

// A private copy of the world mesh, so a test may scale or spoil it.
struct MeshCopy {
  MeshCopy();
  std::vector<float> vertices;
  std::vector<int32_t> triangles;
  MeshTables Tables() { return {vertices, triangles}; }
};

// Everything a renderer needs, recorded or fixed: tick count from `clockMs`,
// seed 1, the built-in bank, its own mesh copy, no window.
struct TestRig {
  TestRig();
  RendererServices Services();

  std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
  std::shared_ptr<RecordingMusicPlayer> player = std::make_shared<RecordingMusicPlayer>(log);
  std::shared_ptr<FixedMusicSettings> settings = std::make_shared<FixedMusicSettings>();
  std::shared_ptr<uint32_t> clockMs = std::make_shared<uint32_t>(1000);
  std::shared_ptr<MeshCopy> mesh = std::make_shared<MeshCopy>();
  std::optional<std::vector<uint8_t>> bank;  // nullopt: the built-in bank
  RandomGenerator random;
};

// The Glide calls of one recorded stretch, by name only.
std::vector<std::string> Names(const std::vector<gfx::RecordedCall>& calls);

// Puts the environment of a headless test run in place (display, audio).
void UseHeadlessEnvironment();

}  // namespace halcyon::test
