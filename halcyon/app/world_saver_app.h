// world_saver_app.h — halcyon's application object: selects the settings key
// and dispatches on the run-mode switch (configure, preview, run, none).
#pragma once

#include "platform/window.h"

namespace halcyon {

class WorldSaverApp : public platform::App {
 public:
  ~WorldSaverApp() override;
  // Configure: the dialog, then false. Preview and any other switch: false.
  // Run: the full-screen saver window becomes the main window; true.
  bool Initialize() override;
  // 0, or 1 when the configuration dialog could not be shown at all.
  int ExitInstance() override;
  void RunConfiguration();

 private:
  int exitStatus = 0;
};

}  // namespace halcyon
