// configuration.h — halcyon's configuration mode: the dialog (template 102)
// that edits the music file and the mute switch, and their registry values
// under the application's key, section "Config".
#pragma once

#include "platform/window.h"

namespace halcyon {

// Reads "Mute" and "FileName" (defaults 0 and "trans.xm" beside the
// program, or in the installed data folder), runs the dialog as the application's main window, and writes
// both values on OK only.
void RunConfiguration(platform::App& app);

// The same, returning how the dialog ended: IDOK, IDCANCEL, or -1 when it
// could not be shown at all (no display and no terminal; the reason went to
// standard error). The program should then end with a non-zero status, as
// it should when the values confirmed with OK could not be saved: saved
// (when given) is then set to false, and the store has said why on
// standard error.
INT_PTR RunConfigurationDialog(platform::App& app, bool* saved = nullptr);

}  // namespace halcyon
