// controls.h — the control objects of a running dialog: push button, static
// text, group box, edit box, check box, picture, icon and list box, each in a
// source file of its own. Each keeps its own state, draws itself and answers
// the keys and clicks the dialog manager hands it; what a control tells its
// dialog goes through ControlHost.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "painter.h"
#include "platform/dialog.h"

struct SDL_Surface;

namespace platform::dialog {

// Button and list-box notification codes (HIWORD of WM_COMMAND's wParam).
constexpr WORD LBN_SELCHANGE = 1, LBN_DBLCLK = 2;

// What a control needs from the dialog it lives in.
class ControlHost {
 public:
  virtual ~ControlHost() = default;
  virtual const Font& DialogFont() const = 0;
  // Sends WM_COMMAND (id, code) to the dialog, as a control's notification.
  virtual void Notify(int id, WORD code) = 0;
  virtual void Invalidate() = 0;
  virtual bool ShiftDown() const = 0;
  virtual bool ControlDown() const = 0;
  virtual std::string ClipboardText() const = 0;
  virtual void SetClipboardText(const std::string& text) = 0;
  virtual DWORD Now() const = 0;  // milliseconds, for double clicks
};

struct PaintState {
  bool focused = false;      // the control has the keyboard focus
  bool defaultLook = false;  // a push button drawn as the default button
};

class Control {
 public:
  Control(ControlHost& host, const DialogItem& item, const RECT& rect) : host(host), item(item), rect(rect) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const DialogItem& Item() const { return item; }
  int Id() const { return item.id; }
  const RECT& Rect() const { return rect; }
  const std::string& Text() const { return text; }
  virtual void SetText(const std::string& value);

  // Takes the focus from Tab or a click; tab stops only among these.
  virtual bool Focusable() const { return false; }
  bool TabStop() const { return Focusable() && (item.style & WS_TABSTOP) != 0; }
  virtual bool IsPushButton() const { return false; }
  // Keys such as the arrows that the control wants for itself.
  virtual bool WantsArrows() const { return false; }

  virtual void Paint(Painter& painter, const PaintState& state) const = 0;

  // keyboard: true when the focus came by keyboard (Tab, GotoDlgCtrl).
  virtual void FocusGained(bool keyboard) { (void)keyboard; }
  virtual void FocusLost() {}
  virtual void KeyDown(WPARAM key) { (void)key; }
  virtual void Char(uint32_t codePoint) { (void)codePoint; }
  // The space bar or a click: buttons notify, check boxes toggle and notify.
  virtual void Activate() {}
  virtual void MouseDown(int x, int y) {
    (void)x;
    (void)y;
  }
  virtual void MouseMove(int x, int y) {
    (void)x;
    (void)y;
  }
  virtual void MouseUp(int x, int y) {
    (void)x;
    (void)y;
  }

 protected:
  ControlHost& host;
  DialogItem item;
  RECT rect;
  std::string text;
};

// A control a click presses (buttons, check boxes): pushed while the button
// is held over it, activated when it is let go over it.
class ClickableControl : public Control {
 public:
  using Control::Control;
  bool Focusable() const override { return true; }
  void MouseDown(int x, int y) override;
  void MouseMove(int x, int y) override;
  void MouseUp(int x, int y) override;

 protected:
  bool Pushed() const { return pushed; }

 private:
  bool pushed = false;
  bool tracking = false;
};

class PushButton : public ClickableControl {
 public:
  using ClickableControl::ClickableControl;
  bool IsPushButton() const override { return true; }
  bool IsDefault() const { return item.kind == ItemKind::DefPushButton; }
  void Paint(Painter& painter, const PaintState& state) const override;
  void Activate() override;
};

class CheckBox : public ClickableControl {
 public:
  using ClickableControl::ClickableControl;
  UINT State() const { return state; }
  void SetState(UINT value);
  void Paint(Painter& painter, const PaintState& paint) const override;
  void Activate() override;

 private:
  UINT state = BST_UNCHECKED;
};

class StaticText : public Control {
 public:
  using Control::Control;
  void Paint(Painter& painter, const PaintState& state) const override;
};

class GroupBox : public Control {
 public:
  using Control::Control;
  void Paint(Painter& painter, const PaintState& state) const override;
};

// Shows a bitmap resource at its own size; a frame when the bitmap is missing.
class Picture : public Control {
 public:
  Picture(ControlHost& host, const DialogItem& item, const RECT& rect);
  ~Picture() override;
  void Paint(Painter& painter, const PaintState& state) const override;

 private:
  SDL_Surface* image = nullptr;
};

// One of the system's icons (IDI_* in the item's bitmapId), drawn at 32 x 32
// pixels from the control's corner in the classic colours; nothing for an
// unknown id.
class SystemIcon : public Control {
 public:
  using Control::Control;
  static constexpr int kSize = 32;
  void Paint(Painter& painter, const PaintState& state) const override;
};

// A single-line edit box with caret, selection and horizontal scrolling.
// Offsets are byte offsets into the UTF-8 text, always on character starts.
class EditBox : public Control {
 public:
  using Control::Control;
  bool Focusable() const override { return true; }
  bool WantsArrows() const override { return true; }
  void SetText(const std::string& value) override;
  void Paint(Painter& painter, const PaintState& state) const override;
  void FocusGained(bool keyboard) override;
  void KeyDown(WPARAM key) override;
  void Char(uint32_t codePoint) override;
  void MouseDown(int x, int y) override;
  void MouseMove(int x, int y) override;
  void MouseUp(int x, int y) override;

  void SetSelection(size_t start, size_t end);
  void SelectAll() { SetSelection(0, text.size()); }
  size_t SelectionStart() const { return std::min(anchor, caret); }
  size_t SelectionEnd() const { return std::max(anchor, caret); }
  int ScrollX() const { return scrollX; }
  void Paste();
  void Copy() const;
  void Cut();

 private:
  RECT TextArea() const;
  size_t OffsetAt(int x) const;  // the character boundary nearest to client x
  void ReplaceSelection(const std::string& with);
  void MoveCaret(size_t to, bool extend);
  void ScrollToCaret();
  void Changed();
  size_t anchor = 0;  // the selection runs from anchor to caret
  size_t caret = 0;
  int scrollX = 0;  // pixels of text scrolled out at the left
  bool dragging = false;
};

// A single-selection list with a vertical scroll bar when its items overflow.
class ListBox : public Control {
 public:
  using Control::Control;
  bool Focusable() const override { return true; }
  bool WantsArrows() const override { return true; }
  void SetItems(std::vector<std::string> items);
  const std::vector<std::string>& Items() const { return items; }
  int Selection() const { return selection; }
  void Select(int index, bool notify);
  void Paint(Painter& painter, const PaintState& state) const override;
  void KeyDown(WPARAM key) override;
  void Char(uint32_t codePoint) override;
  void MouseDown(int x, int y) override;

 private:
  int RowHeight() const;
  int VisibleRows() const;
  bool HasScrollBar() const;
  RECT ScrollBarRect() const;
  void ScrollTo(int row);
  std::vector<std::string> items;
  int selection = -1;
  int top = 0;
  int lastClickRow = -1;
  DWORD lastClickMs = 0;
};

std::unique_ptr<Control> MakeControl(ControlHost& host, const DialogItem& item, const RECT& rect);

// UTF-8 helpers.
size_t NextCharacter(const std::string& text, size_t offset);
size_t PreviousCharacter(const std::string& text, size_t offset);
std::string EncodeUtf8(uint32_t codePoint);

}  // namespace platform::dialog
