// message_box.h — message boxes drawn by the dialog manager: a dialog built in
// code from the box's text, buttons and icon, shown the way every dialog is
// (a desktop window, a script, or answered unattended).
#pragma once

#include <string>
#include <vector>

#include "platform/dialog.h"

namespace platform {

// Shows a message box and returns the id of the button that answered it
// (IDOK, IDCANCEL, IDYES...). type holds the button set (MB_OK, MB_OKCANCEL,
// MB_YESNO...), the icon (MB_ICONEXCLAMATION...; none without one) and the
// default button (MB_DEFBUTTON2...). The keyboard focus starts on the default
// button; Enter presses it; Escape, the close box and a close request answer
// IDCANCEL (IDOK when OK is the only button).
//
// Presentation, in this order: a dialog script drives it when one is active
// (SAVER_DIALOG_SCRIPT); on the SDL backend (not hosted) it is a window of its
// own, above full-screen windows, centred on an owner dialog or the screen,
// with the keyboard; its modal loop takes the desktop's input through the
// platform's active-window routing, like every dialog. Otherwise no one can
// answer it: "caption: text" goes to standard error (and its picture to
// SAVER_DIALOG_PNG) and the default button answers at once. Scripted boxes
// print the same line. The backends' message box calls this.
int ShowDialogMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

namespace dialog {

// Control ids of the box's text and icon.
constexpr int kMessageTextId = 0xFFFF, kMessageIconId = 20;

// The buttons type asks for, left to right, and the one pressed by default.
std::vector<int> MessageBoxButtons(UINT type);
int MessageBoxDefaultButton(UINT type);
// The icon (IDI_*) type asks for; 0 for none.
int MessageBoxIcon(UINT type);

// The box's template: the text wrapped to at most 5/8 of the screen's width
// (breaking at new lines and blanks, inside a word only when it alone is too
// wide) and cut with "..." where it would not fit on the screen; the icon at
// the left, the buttons centred below, wide enough for the caption.
DialogTemplate MessageBoxTemplate(const std::string& text, const std::string& caption, UINT type,
                                  POINT screen);

}  // namespace dialog
}  // namespace platform
