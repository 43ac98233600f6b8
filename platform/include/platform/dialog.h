// dialog.h — dialogs built from templates: the template records, the dialog
// base class with its modal run and data exchange, and the open-file dialog.
//
// A dialog is a Window whose default processing is the dialog manager's:
// focus and tab order, the default button (Enter), Cancel (Escape, close
// box), typing into edit boxes, toggling check boxes, clicking buttons
// (WM_COMMAND with the control id and BN_CLICKED). Its picture is drawn by the
// backend: an SDL2 window in the classic grey look, a terminal form when no
// display can be opened, nothing (or a PNG for tests) when headless.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/window.h"

namespace platform {

// Control styles (Win32 values).
constexpr DWORD ES_LEFT = 0x0000, ES_AUTOHSCROLL = 0x0080, ES_NUMBER = 0x2000;
constexpr DWORD SS_LEFT = 0x0000, SS_CENTER = 0x0001, SS_BITMAP = 0x000E, SS_REALSIZEIMAGE = 0x0800;
constexpr DWORD BS_PUSHBUTTON = 0x0000, BS_DEFPUSHBUTTON = 0x0001, BS_AUTOCHECKBOX = 0x0003,
                BS_GROUPBOX = 0x0007;
constexpr DWORD DS_MODALFRAME = 0x0080, DS_SETFONT = 0x0040;
constexpr UINT BST_UNCHECKED = 0, BST_CHECKED = 1;
constexpr int IDC_STATIC = -1;
// The system's icons (an Icon item's bitmapId).
constexpr int IDI_HAND = 32513, IDI_QUESTION = 32514, IDI_EXCLAMATION = 32515, IDI_ASTERISK = 32516;

// ListBox: a single-selection list (the open-file dialog's lists). Icon: one
// of the system's 32 x 32 icons (IDI_*), drawn from its top-left corner.
enum class ItemKind { PushButton, DefPushButton, Static, GroupBox, Edit, CheckBox, Picture, ListBox, Icon };

// A font's dialog base units in pixels: the average width of its letters and
// its height. One horizontal dialog unit is cx/4 pixels, one vertical cy/8.
struct DialogBaseUnits {
  int cx = 6;
  int cy = 13;
};
// Dialog units to pixels, rounded to the nearest pixel as Windows does.
RECT MapDialogRect(const RECT& dialogUnits, DialogBaseUnits base);
// The base units of the font dialogs are drawn with, for a template's font
// and point size (the fixed 6 x 13 of an 8-point face when no font file is found).
DialogBaseUnits FontBaseUnits(int pointSize);

// One control of a template. Positions are dialog units.
struct DialogItem {
  int id = IDC_STATIC;
  ItemKind kind = ItemKind::Static;
  std::string text;
  int x = 0, y = 0, cx = 0, cy = 0;
  DWORD style = 0;   // WS_TABSTOP, WS_GROUP, WS_BORDER, ES_*, SS_*
  int bitmapId = 0;  // Picture: the bitmap resource shown; Icon: IDI_*
};

struct DialogTemplate {
  int id = 0;
  std::string caption;
  int cx = 0, cy = 0;  // dialog units
  std::string fontName;
  int pointSize = 8;
  DWORD style = 0;
  DWORD exStyle = 0;              // WS_EX_TOPMOST: stays above full-screen windows
  std::vector<DialogItem> items;  // template order = tab order
};

class Dialog;

// Moves values between a dialog's fields and its controls. On a save, a
// failed check shows its message box (caption: the application name,
// exclamation icon, OK), puts the focus back on the control with its text
// selected and stops the exchange (UpdateData returns false).
class DataExchange {
 public:
  DataExchange(Dialog& dialog, bool saveAndValidate) : dialog(dialog), saveAndValidate(saveAndValidate) {}
  Dialog& dialog;
  const bool saveAndValidate;

  void Text(int id, std::string& value);
  // Save: the first 31 characters must be blanks/tabs, a decimal integer with
  // an optional sign, blanks/tabs, nothing else; else "Please enter an integer.".
  void Text(int id, int32_t& value);
  // Save: "Please enter an integer between %1 and %2." with min and max put in.
  void MinMax(int id, int32_t value, int32_t min, int32_t max);
  void Check(int id, int32_t& value);  // 0 unchecked, 1 checked
  bool Failed() const { return failed; }

 private:
  void Fail(int id);
  bool failed = false;
};

class Dialog : public Window {
 public:
  // The template is looked up among the program's registered resources.
  explicit Dialog(int templateId, Window* parent = nullptr);
  // A dialog on a template built in code (message boxes); the template is copied.
  explicit Dialog(const DialogTemplate& dialogTemplate, Window* parent = nullptr);
  ~Dialog() override;

  // Creates the dialog, sends WM_INITDIALOG (OnInitDialog), shows it
  // (WM_SHOWWINDOW) and runs a modal loop until EndDialog. Returns the value
  // given to EndDialog, or -1 when the template is missing or the dialog
  // cannot be shown at all.
  INT_PTR DoModal();
  // Ends the modal loop after the message being handled; the window is destroyed.
  void EndDialog(int result);
  bool HasEnded() const { return ended; }

  int TemplateId() const { return templateId; }
  Window* Parent() const { return parent; }

  // Standard initialisation: UpdateData(false). TRUE: the dialog manager puts
  // the focus on the first tab-stop control.
  virtual BOOL OnInitDialog();
  // OK: UpdateData(true); ends with IDOK when it succeeds.
  virtual void OnOK();
  // Cancel, Escape, close box: ends with IDCANCEL, controls not read.
  virtual void OnCancel();
  virtual void DoDataExchange(DataExchange& exchange);
  bool UpdateData(bool saveAndValidate = true);

  std::string GetDlgItemText(int id) const;
  void SetDlgItemText(int id, const std::string& text);
  UINT IsDlgButtonChecked(int id) const;
  void CheckDlgButton(int id, UINT state);
  // Focus to the control; an edit box gets all its text selected.
  void GotoDlgCtrl(int id);
  int FocusedControl() const;
  // Centres over the parent, or in the screen's work area without one.
  void CenterWindow();

  // Runs the dialog without a window of its own: its window is created
  // hidden and never drawn, yet it is the active (top modal) window, so the
  // input the platform routes to the active window reaches its message
  // table (WM_MOUSEMOVE, WM_KEYDOWN...). For a dialog whose picture something
  // else draws over the whole screen. Call before DoModal; scripts
  // (SAVER_DIALOG_SCRIPT) do not drive such a dialog.
  void SetInvisible(bool invisible) { invisibleRun = invisible; }
  bool IsInvisible() const { return invisibleRun; }

  // Where no one can answer the dialog (no display and no script, or a
  // hosted run), it is not shown on the terminal: its picture goes to
  // SAVER_DIALOG_PNG and it ends at once as if button id had been clicked.
  // For message boxes. Call before DoModal.
  void SetUnattendedAnswer(int id) { unattendedAnswer = id; }
  // While the dialog runs on the desktop, the program's other windows get
  // their messages only after it ends (dialogs still repaint), so the
  // handler that opened it is not entered again beneath it. For message
  // boxes, which programs show from anywhere. Call before DoModal.
  void SetHoldOtherWindows(bool hold) { holdOtherWindows = hold; }

  // While the dialog runs: its picture as a PNG file (frame and caption
  // included); false when it is not running or the file cannot be written.
  bool SavePng(const std::string& path) const;
  // While the dialog runs: the font's base units and a control's rectangle
  // in client pixels (all zero for an unknown id).
  DialogBaseUnits BaseUnits() const;
  RECT ControlRect(int id) const;
  // An edit box's selection as character offsets (start <= end).
  void GetEditSelection(int id, int& start, int& end) const;
  // The id of the button Enter presses now: the focused push button, else
  // the template's default button (0 when there is none).
  int DefaultButton() const;

 protected:
  const MessageTable* GetMessageTable() const override;
  LRESULT DefaultProc(const Message& message) override;
  static const MessageTable messageTable;

 public:
  struct State;  // the controls and the presentation while the dialog runs

 protected:
  State* RunningState() const { return state; }  // null unless the dialog runs

 private:
  Reply OnInitDialogMessage(const Message& message);
  Reply OnCommandOk(const Message& message);
  Reply OnCommandCancel(const Message& message);
  static const MessageTable::Entry messageEntries[3];

  int templateId;
  std::optional<DialogTemplate> ownTemplate;  // built in code, else looked up by templateId
  Window* parent;
  bool ended = false;
  bool invisibleRun = false;
  std::optional<int> unattendedAnswer;
  bool holdOtherWindows = false;
  int result = 0;
  State* state = nullptr;
};

// The open-file dialog, over owner (may be 0). filter is in the
// "Name|*.ext|Name|*.ext||" form; the first filter is selected at first.
// initialName seeds the name field (cut to 499 characters). Returns true and
// the chosen file's full path when the user confirms.
bool OpenFileDialog(HWND owner, const std::string& initialName, const std::string& filter, std::string& path);

// Scripted input for tests and unattended runs, in the syntax of
// SAVER_DIALOG_SCRIPT (platform/dialog/README.md): actions separated by ';'
// that the dialogs take one after another instead of real input. A dialog
// still open when the script runs out is cancelled. Setting a script
// replaces the environment's; clearing it returns to real input.
void SetDialogScript(const std::string& script);
void ClearDialogScript();

}  // namespace platform
