// music.cpp — the music step and stop, and the MIDAS-backed player.
#include "halcyon/music/music.h"

#include <midas.h>

#include "platform/window.h"

namespace halcyon {

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
  return MIDASloadModule(fileName.c_str());
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
