// configuration.cpp — halcyon's configuration mode: reads the two registry
// values, runs the dialog, writes both back on OK.
#include "halcyon/settings/configuration.h"

#include <array>
#include <filesystem>
#include <string>
#include <system_error>

#include "halcyon/settings/world_config_dialog.h"
#include "platform/host.h"

namespace halcyon {
namespace {

constexpr const char* kSection = "Config";

// The program's full path (at most 511 characters) with its file-name part
// replaced by "trans.xm": the music file built beside the program. Where there
// is none there, the one in the installed data folder, when it is there.
std::string DefaultMusicFile() {
  std::array<char, 512> path{};
  DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size() - 1));
  if (length >= path.size()) length = static_cast<DWORD>(path.size() - 1);
  std::string text(path.data(), length);
  const size_t cut = text.find_last_of("/\\");
  text = cut == std::string::npos ? std::string() : text.substr(0, cut + 1);
  const std::string beside = text + "trans.xm";
  std::error_code error;
  if (text.empty() || std::filesystem::is_regular_file(beside, error)) return beside;
  const std::filesystem::path installed =
      (std::filesystem::path(text) / SAVERS_INSTALLED_DATA / "trans.xm").lexically_normal();
  return std::filesystem::is_regular_file(installed, error) ? installed.string() : beside;
}

}  // namespace

INT_PTR RunConfigurationDialog(platform::App& app, bool* saved) {
  WorldConfigDialog dialog;
  const std::string defaultFile = DefaultMusicFile();
  dialog.mute = static_cast<int32_t>(app.GetProfileInt(kSection, "Mute", 0));
  dialog.fileName = app.GetProfileString(kSection, "FileName", defaultFile);

  platform::Window* previousMain = app.mainWindow;
  app.mainWindow = &dialog;
  const INT_PTR result = dialog.DoModal();
  app.mainWindow = previousMain;

  if (result == IDOK) {
    const bool muteSaved = app.WriteProfileInt(kSection, "Mute", dialog.mute);
    const bool fileSaved = app.WriteProfileString(kSection, "FileName", dialog.fileName);
    if (saved != nullptr) *saved = muteSaved && fileSaved;
  }
  return result;
}

void RunConfiguration(platform::App& app) {
  RunConfigurationDialog(app);
}

}  // namespace halcyon
