// music.h — halcyon's background music: the sound library's calls behind a
// small interface (so tests can record them), the two settings the music
// step reads, and the step and stop themselves.
//
// Order of calls over a run: Startup when the renderer is constructed (before
// Glide starts); StartMusic at the end of the renderer's set-up; StopMusic
// when the renderer shuts down, after Glide has been shut down.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace halcyon {

using MusicModule = uint32_t;  // 0: no module

// The sound library's operations the saver uses. Results as the library
// gives them: true (non-zero) on success, a module handle or 0.
class MusicPlayer {
 public:
  virtual ~MusicPlayer() = default;
  virtual void Startup() = 0;
  virtual bool Init() = 0;
  virtual bool StartBackgroundPlay(uint32_t pollRate) = 0;
  virtual MusicModule LoadModule(const std::string& fileName) = 0;
  virtual void PlayModule(MusicModule module, int loopSong) = 0;
  virtual void StopModule(MusicModule module) = 0;
  virtual void FreeModule(MusicModule module) = 0;
  virtual void StopBackgroundPlay() = 0;
  virtual void Close() = 0;
};

// The file a stored music name stands for: an absolute name if it is a file, a
// relative one from the first of the folders (platform::DataFolders: current,
// the program's, installed) that holds it.
std::optional<std::filesystem::path> FindMusicFile(const std::string& name,
                                                   const std::vector<std::filesystem::path>& folders);

// The MIDAS calls of the sound library. A name is looked up by FindMusicFile
// first; standard error is told when it names no file or nothing playable.
class MidasMusicPlayer final : public MusicPlayer {
 public:
  void Startup() override;
  bool Init() override;
  bool StartBackgroundPlay(uint32_t pollRate) override;
  MusicModule LoadModule(const std::string& fileName) override;
  void PlayModule(MusicModule module, int loopSong) override;
  void StopModule(MusicModule module) override;
  void FreeModule(MusicModule module) override;
  void StopBackgroundPlay() override;
  void Close() override;
};

// "Config"/"Mute" and "Config"/"FileName", read when the music step asks.
class MusicSettings {
 public:
  virtual ~MusicSettings() = default;
  virtual uint32_t Mute() = 0;         // default 0
  virtual std::string FileName() = 0;  // default empty
};

// The application's settings store; defaults when there is no application.
class ProfileMusicSettings final : public MusicSettings {
 public:
  uint32_t Mute() override;
  std::string FileName() override;
};

// The music step: returns the module now playing, or 0. Silent on every
// failure: with "Mute" set nothing is initialised; a failed init or
// background start loads nothing; a name that loads nothing plays nothing.
MusicModule StartMusic(MusicPlayer& player, MusicSettings& settings);

// Stops and frees the module (when there is one), sets it to 0, then stops
// background play and closes the library, whatever happened before.
void StopMusic(MusicPlayer& player, MusicModule& module);

}  // namespace halcyon
