// win32_dialog.h — the dialog manager's dialogs as the system's own on
// Windows (win32_dialog.cpp); the dialog manager calls these when it runs
// on the Windows desktop.
#pragma once

#include "platform/dialog.h"

namespace platform::win32 {

// True on the Windows desktop backend.
bool NativeDialogsAvailable();
// Shows the running dialog as a system dialog until the program ends it.
// False (the dialog unchanged) when the system could not show it.
bool ShowSystemDialog(Dialog& dialog, Dialog::State& state);
// OpenFileDialog as the system's open-file dialog, over the owner's window.
bool ChooseFileWithSystemDialog(HWND owner, const std::string& initialName, const std::string& filter,
                                std::string& path);

}  // namespace platform::win32
