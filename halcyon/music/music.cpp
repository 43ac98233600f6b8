// music.cpp — the music step and stop, and the MIDAS-backed player.
#include "halcyon/music/music.h"

#include <midas.h>

#include <cstdio>
#include <system_error>

#include "platform/host.h"
#include "platform/window.h"

namespace halcyon {

std::optional<std::filesystem::path> FindMusicFile(const std::string& name,
                                                   const std::vector<std::filesystem::path>& folders) {
  if (name.empty()) return std::nullopt;
  std::error_code error;
  const std::filesystem::path path(name);
  if (path.is_absolute()) {
    if (std::filesystem::is_regular_file(path, error)) return path;
    return std::nullopt;
  }
  for (const std::filesystem::path& folder : folders) {
    if (std::filesystem::is_regular_file(folder / path, error)) return folder / path;
  }
  return std::nullopt;
}

void MidasMusicPlayer::Startup() {
  MIDASstartup();
}
bool MidasMusicPlayer::Init() {
  return MIDASinit() != 0;
}
bool MidasMusicPlayer::StartBackgroundPlay(uint32_t pollRate) {
  return MIDASstartBackgroundPlay(pollRate) != 0;
}
MusicModule MidasMusicPlayer::LoadModule(const std::string& fileName) {
  // No name stored: the settings were never confirmed, and the saver is silent.
  if (fileName.empty()) return MIDASloadModule(fileName.c_str());
  const std::vector<std::filesystem::path> folders = platform::DataFolders(SAVERS_INSTALLED_DATA);
  const std::optional<std::filesystem::path> found = FindMusicFile(fileName, folders);
  if (!found) {
    std::string looked;
    if (!std::filesystem::path(fileName).is_absolute()) {
      looked = " (looked in";
      for (size_t i = 0; i < folders.size(); ++i) looked += (i == 0 ? " " : ", ") + folders[i].string();
      looked += ")";
    }
    std::fprintf(stderr, "halcyon: cannot find the music file \"%s\"%s; playing without music\n",
                 fileName.c_str(), looked.c_str());
    return MIDASloadModule(fileName.c_str());
  }
  // The MIDAS calls take the system's narrow file names.
  const std::string name = found->string();
  const MusicModule module = MIDASloadModule(name.c_str());
  if (module == 0)
    std::fprintf(stderr, "halcyon: \"%s\" is not a module that can be played; playing without music\n",
                 name.c_str());
  return module;
}
void MidasMusicPlayer::PlayModule(MusicModule module, int loopSong) {
  MIDASplayModule(module, loopSong);
}
void MidasMusicPlayer::StopModule(MusicModule module) {
  MIDASstopModule(module);
}
void MidasMusicPlayer::FreeModule(MusicModule module) {
  MIDASfreeModule(module);
}
void MidasMusicPlayer::StopBackgroundPlay() {
  MIDASstopBackgroundPlay();
}
void MidasMusicPlayer::Close() {
  MIDASclose();
}

uint32_t ProfileMusicSettings::Mute() {
  platform::App* app = platform::TheApp();
  return app != nullptr ? app->GetProfileInt("Config", "Mute", 0) : 0;
}

std::string ProfileMusicSettings::FileName() {
  platform::App* app = platform::TheApp();
  return app != nullptr ? app->GetProfileString("Config", "FileName", "") : std::string();
}

MusicModule StartMusic(MusicPlayer& player, MusicSettings& settings) {
  if (settings.Mute() != 0) return 0;
  if (!player.Init()) return 0;
  if (!player.StartBackgroundPlay(100)) return 0;
  MusicModule module = player.LoadModule(settings.FileName());
  if (module != 0) player.PlayModule(module, 0);
  return module;
}

void StopMusic(MusicPlayer& player, MusicModule& module) {
  if (module != 0) player.StopModule(module);
  if (module != 0) player.FreeModule(module);
  module = 0;
  player.StopBackgroundPlay();
  player.Close();
}

}  // namespace halcyon
