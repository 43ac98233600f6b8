// settings.cpp — tessera's object count in its settings file, and the
// configuration dialog's data exchange.
#include "settings.h"

#include <string>

#include "platform/host.h"
#include "platform/win32.h"

namespace tessera {
namespace {

constexpr const char* kSection = "Config";
constexpr const char* kKey = "MaxObjects";

// "<module name>.INI": the settings file carries the program's name, so a
// renamed copy keeps its own count.
std::string SettingsFileName() {
  const platform::App* app = platform::TheApp();
  std::string name = app ? app->Name() : platform::ProgramPath().stem().string();
  return name + ".INI";
}

}  // namespace

int32_t ReadMaxObjects() {
  const std::string file = SettingsFileName();
  return static_cast<int32_t>(GetPrivateProfileIntA(kSection, kKey, kDefaultMaxObjects, file.c_str()));
}

bool WriteMaxObjects(int32_t value) {
  const std::string file = SettingsFileName();
  const std::string text = std::to_string(value);
  return WritePrivateProfileStringA(kSection, kKey, text.c_str(), file.c_str()) != FALSE;
}

ConfigDialog::ConfigDialog() : platform::Dialog(130) {}

void ConfigDialog::DoDataExchange(platform::DataExchange& exchange) {
  exchange.Text(1014, enteredCount);
  exchange.MinMax(1014, enteredCount, 10, 50);
}

}  // namespace tessera
