// configuration.h — halcyon's configuration mode: the dialog (template 102)
// that edits the music file and the mute switch, and their registry values
// under the application's key, section "Config".
#pragma once

#include "platform/window.h"

namespace halcyon {

// Reads "Mute" and "FileName" (defaults 0 and "trans.xm" beside the
// program), runs the dialog as the application's main window, and writes
// both values on OK only.
void RunConfiguration(platform::App& app);

}  // namespace halcyon
