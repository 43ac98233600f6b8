// sdl_message_box.cpp — message boxes on the desktop: drawn by the dialog
// manager in the classic look, as the configuration dialogs are, in a window
// of their own above the program's (centred on the screen or the owner,
// with the keyboard focus; keys pressed for them go nowhere else).
#include "dialog/message_box.h"
#include "sdl/sdl_driver.h"

namespace platform {

int SdlDriver::ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  return ShowDialogMessageBox(owner, text, caption, type);
}

}  // namespace platform
