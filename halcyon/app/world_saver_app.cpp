// world_saver_app.cpp — start-up and run-mode dispatch of halcyon.
#include "halcyon/app/world_saver_app.h"

#include "halcyon/app/run_mode.h"
#include "halcyon/app/world_window.h"
#include "halcyon/settings/configuration.h"

namespace halcyon {

WorldSaverApp::~WorldSaverApp() = default;

bool WorldSaverApp::Initialize() {
  // Three-dimensional dialog controls are the platform's look already.
  SetRegistryKey("Corvane\\Farreach");
  switch (ModeFromArguments(Arguments())) {
    case RunMode::Configure:
      RunConfiguration();
      return false;
    case RunMode::Preview:
    case RunMode::None:
      return false;
    case RunMode::Run:
      break;
  }
  // The window deletes itself once its window is destroyed.
  auto* window = new WorldSaverWindow();
  window->CreateFullScreen();
  mainWindow = window;
  return true;
}

int WorldSaverApp::ExitInstance() {
  return exitStatus;
}

void WorldSaverApp::RunConfiguration() {
  // A dialog that cannot be shown (no display, no terminal) changed nothing
  // and said why, as a store does that could not save what was confirmed;
  // the exit status tells the caller too.
  bool saved = true;
  if (halcyon::RunConfigurationDialog(*this, &saved) < 0 || !saved) exitStatus = 1;
}

}  // namespace halcyon
