// dialog_state.h — what a dialog holds while it runs: its controls, the
// keyboard focus, how it is presented (a desktop window, no window at all, a
// script, a terminal form, or answered unattended) and the dialog manager
// that feeds it input.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "controls.h"
#include "painter.h"
#include "platform/dialog.h"
#include "script.h"

struct SDL_Surface;
struct SDL_Window;

namespace platform {

// The open-file dialog's template and controls (file_dialog.cpp).
namespace dialog {
constexpr int kOpenFileTemplateId = 32001;
constexpr int kFileNameEdit = 1152, kFileList = 1120, kFolderList = 1121, kTypeList = 1136,
              kFolderLabel = 1088;
}  // namespace dialog

struct Dialog::State final : dialog::ControlHost {
  // Unattended: no one can answer; the dialog ends at once with its set answer.
  // System: the system's own dialog on Windows, mirroring the controls here.
  enum class Mode { Window, Invisible, Scripted, Terminal, Unattended, System };

  // Pixels of the frame and caption that the PNG picture draws around the client area.
  static constexpr int kFrame = 3, kCaption = 18;

  State(Dialog& dialog, const DialogTemplate& dialogTemplate, Mode mode);
  ~State() override;

  // ControlHost.
  const dialog::Font& DialogFont() const override { return font; }
  void Notify(int id, WORD code) override;
  void Invalidate() override;
  bool ShiftDown() const override;
  bool ControlDown() const override;
  std::string ClipboardText() const override;
  void SetClipboardText(const std::string& text) override;
  DWORD Now() const override;

  dialog::Control* Find(int id) const;
  int IndexOf(int id) const;
  dialog::Control* Focused() const { return focus >= 0 ? controls[focus].get() : nullptr; }
  void SetFocus(int index, bool keyboard);
  // The next (or previous) tab stop after index, wrapping; -1 when there is none.
  int NextTabStop(int index, bool backwards) const;
  int DefaultButtonId() const;
  RECT WindowRect() const;  // the whole window on the screen, frame included

  // The dialog manager's default processing of one message.
  LRESULT Handle(const Message& message);

  // The picture: client area only, or with frame and caption as a window of the time.
  SDL_Surface* Render(bool withFrame) const;
  void Present();  // to the desktop window, when it is one
  bool SavePng(const std::string& path) const;

  // Scripted input and the terminal form (the same actions drive both).
  // Returns false with a reason when the action cannot be done.
  bool Apply(const dialog::ScriptAction& action, std::string& error);
  void RunScript();
  void RunTerminal();

  Dialog& dialog;
  const DialogTemplate& dialogTemplate;
  Mode mode;
  dialog::Font font;
  dialog::Font captionFont;
  DialogBaseUnits base;
  int clientWidth = 0, clientHeight = 0;
  POINT position{0, 0};  // the client area's top-left on the screen
  std::vector<std::unique_ptr<dialog::Control>> controls;
  int focus = -1;
  int capture = -1;  // the control that got the mouse button
  bool dirty = true;
  bool shiftHeld = false, controlHeld = false;
  mutable std::string localClipboard;
  std::string pngPath;  // SAVER_DIALOG_PNG
};

// The dialog's caption for messages: the application's name.
std::string ApplicationName();

}  // namespace platform
