// message_box.cpp — MessageBox as a dialog: the template built from the text,
// the button set and the icon, and the small dialog class that answers with
// the button pressed.
#include "message_box.h"

#include <algorithm>
#include <cstdio>

#include "desktop_window.h"
#include "dialog_state.h"
#include "platform/host.h"

namespace platform {
namespace dialog {
namespace {

constexpr int kPointSize = 8;
// Layout in dialog units.
constexpr int kMargin = 7, kIconTextGap = 10, kButtonWidth = 50, kButtonHeight = 14, kButtonGap = 4;
// Pixels.
constexpr int kIconPixels = SystemIcon::kSize;
constexpr int kMaxTextPixels = 480;  // however wide the screen
constexpr int kMinTextPixels = 120;  // however narrow
// What the box needs beside its text lines: margins, buttons, frame, caption.
constexpr int kChromePixels = 100;
// Longer texts are cut before they are laid out.
constexpr size_t kMaxTextBytes = 16 * 1024;
// The caption needs room for the close box and the frame too.
constexpr int kCaptionExtraPixels = 40;

const char* ButtonText(int id) {
  switch (id) {
    case IDOK:
      return "OK";
    case IDCANCEL:
      return "Cancel";
    case IDABORT:
      return "Abort";
    case IDRETRY:
      return "Retry";
    case IDIGNORE:
      return "Ignore";
    case IDYES:
      return "Yes";
    case IDNO:
      return "No";
    default:
      return "";
  }
}

// New lines stay, tabs become blanks, other control characters go.
std::string Printable(const std::string& text) {
  std::string out;
  for (char c : text.substr(0, std::min(text.size(), kMaxTextBytes))) {
    if (c == '\t') {
      out += ' ';
    } else if (c == '\n' || static_cast<unsigned char>(c) >= 0x20) {
      out += c;
    }
  }
  return out;
}

// The lines the box shows: wrapped at blanks, a word wider than the box
// broken between characters, at most maxLines of them.
std::vector<std::string> BoxLines(const Font& font, const std::string& text, int width, size_t maxLines) {
  std::vector<std::string> lines;
  bool cut = false;
  for (const std::string& wrapped : WrapWords(font, Printable(text), width)) {
    std::string line;
    for (size_t at = 0; at < wrapped.size();) {
      const size_t next = NextCharacter(wrapped, at);
      const std::string piece = wrapped.substr(at, next - at);
      if (!line.empty() && font.Width(line + piece) > width) {
        lines.push_back(line);
        line.clear();
      }
      line += piece;
      at = next;
    }
    lines.push_back(line);
    if (lines.size() > maxLines) {
      cut = true;
      break;
    }
  }
  if (lines.size() > maxLines) {
    lines.resize(maxLines);
    cut = true;
  }
  if (cut) {
    std::string& last = lines.back();
    while (!last.empty() && font.Width(last + "...") > width)
      last.erase(PreviousCharacter(last, last.size()));
    last += "...";
  }
  return lines;
}

}  // namespace

std::vector<int> MessageBoxButtons(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
      return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
      return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
      return {IDYES, IDNO};
    case MB_RETRYCANCEL:
      return {IDRETRY, IDCANCEL};
    default:
      return {IDOK};
  }
}

int MessageBoxDefaultButton(UINT type) {
  const std::vector<int> buttons = MessageBoxButtons(type);
  const size_t index = (type & MB_DEFMASK) >> 8;
  return index < buttons.size() ? buttons[index] : buttons.front();
}

int MessageBoxIcon(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
      return IDI_HAND;
    case MB_ICONQUESTION:
      return IDI_QUESTION;
    case MB_ICONEXCLAMATION:
      return IDI_EXCLAMATION;
    case MB_ICONASTERISK:
      return IDI_ASTERISK;
    default:
      return 0;
  }
}

DialogTemplate MessageBoxTemplate(const std::string& text, const std::string& caption, UINT type,
                                  POINT screen) {
  const Font font(kPointSize, false), captionFont(kPointSize, true);
  const DialogBaseUnits base = font.BaseUnits();
  // Pixels to dialog units, rounded up so that what is measured fits.
  auto unitsX = [&](int pixels) { return (pixels * 4 + base.cx - 1) / base.cx; };
  auto unitsY = [&](int pixels) { return (pixels * 8 + base.cy - 1) / base.cy; };

  const int wrapWidth = std::clamp(static_cast<int>(screen.x) * 5 / 8, kMinTextPixels, kMaxTextPixels);
  const size_t maxLines = static_cast<size_t>(
      std::max(1, (static_cast<int>(screen.y) - kChromePixels) / std::max(1, font.Height())));
  const std::vector<std::string> lines = BoxLines(font, text, wrapWidth, maxLines);
  int widest = 0;
  std::string shown;
  for (size_t i = 0; i < lines.size(); ++i) {
    widest = std::max(widest, font.Width(lines[i]));
    shown += (i == 0 ? "" : "\n") + lines[i];
  }
  // One unit more each way: the control's pixel edges round on their own.
  const int textWidth = unitsX(widest) + 1;
  const int textHeight = static_cast<int>(lines.size()) * 8 + 1;

  const int icon = MessageBoxIcon(type);
  const int iconWidth = icon != 0 ? unitsX(kIconPixels) : 0;
  const int iconHeight = icon != 0 ? unitsY(kIconPixels) : 0;
  const int textLeft = kMargin + (icon != 0 ? iconWidth + kIconTextGap : 0);
  const int block = std::max(textHeight, iconHeight);
  const std::vector<int> buttons = MessageBoxButtons(type);
  const int count = static_cast<int>(buttons.size());
  const int buttonsWidth = count * kButtonWidth + (count - 1) * kButtonGap;

  DialogTemplate t;
  t.caption = caption;
  t.fontName = "MS Sans Serif";
  t.pointSize = kPointSize;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
  t.exStyle = WS_EX_TOPMOST;
  t.cx = std::max({textLeft + textWidth + kMargin, buttonsWidth + 2 * kMargin,
                   unitsX(captionFont.Width(caption) + kCaptionExtraPixels)});
  const int buttonsTop = kMargin + block + kMargin;
  t.cy = buttonsTop + kButtonHeight + kMargin;

  if (icon != 0) {
    t.items.push_back({kMessageIconId, ItemKind::Icon, "", kMargin, kMargin + (block - iconHeight) / 2,
                       iconWidth, iconHeight, 0, icon});
  }
  t.items.push_back({kMessageTextId, ItemKind::Static, shown, textLeft, kMargin + (block - textHeight) / 2,
                     textWidth, textHeight, SS_LEFT, 0});
  const int defaultButton = MessageBoxDefaultButton(type);
  int x = (t.cx - buttonsWidth) / 2;
  for (int id : buttons) {
    const ItemKind kind = id == defaultButton ? ItemKind::DefPushButton : ItemKind::PushButton;
    t.items.push_back({id, kind, ButtonText(id), x, buttonsTop, kButtonWidth, kButtonHeight, WS_TABSTOP, 0});
    x += kButtonWidth + kButtonGap;
  }
  return t;
}

}  // namespace dialog

namespace {

void Report(const std::string& text, const std::string& caption) {
  if (caption.empty()) {
    std::fprintf(stderr, "%s\n", text.c_str());
  } else {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  }
}

class MessageBoxDialog : public Dialog {
 public:
  MessageBoxDialog(const DialogTemplate& dialogTemplate, HWND owner, std::string text, std::string caption,
                   UINT type)
      : Dialog(dialogTemplate, WindowFromHandle(owner)),
        owner(owner),
        text(std::move(text)),
        caption(std::move(caption)),
        buttons(dialog::MessageBoxButtons(type)),
        defaultButton(dialog::MessageBoxDefaultButton(type)) {}

  int EscapeAnswer() const { return buttons.size() == 1 && buttons.front() == IDOK ? IDOK : IDCANCEL; }

 protected:
  BOOL OnInitDialog() override {
    Dialog::OnInitDialog();
    GotoDlgCtrl(defaultButton);
    // On the desktop the box belongs to its owner, or to the program's
    // main window (a full-screen saver), so that it opens above it.
    HWND over = owner;
    if (over == 0 && TheApp() != nullptr && TheApp()->mainWindow != nullptr)
      over = TheApp()->mainWindow->Handle();
    dialog::desktop_window::MakeModalFor(Handle(), over);
    return FALSE;  // the focus is set
  }

  void OnOK() override { EndDialog(IDOK); }
  void OnCancel() override { EndDialog(EscapeAnswer()); }

  LRESULT DefaultProc(const Message& message) override {
    if (message.message == WM_COMMAND && HIWORD(message.wParam) == BN_CLICKED) {
      const int id = LOWORD(message.wParam);
      if (std::find(buttons.begin(), buttons.end(), id) != buttons.end()) {
        EndDialog(id);
        return 0;
      }
    }
    if (message.message == WM_SHOWWINDOW && message.wParam != FALSE && RunningState() != nullptr) {
      if (RunningState()->mode == State::Mode::Window) {
        // Without a window manager nothing else gives the new window the keyboard.
        dialog::desktop_window::TakeKeyboard(Handle());
      } else {
        Report(text, caption);
      }
    }
    return Dialog::DefaultProc(message);
  }

 private:
  HWND owner;
  std::string text;
  std::string caption;
  std::vector<int> buttons;
  int defaultButton;
};

}  // namespace

int ShowDialogMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  const POINT screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  MessageBoxDialog box(dialog::MessageBoxTemplate(text, caption, type, screen), owner, text, caption, type);
  box.SetUnattendedAnswer(dialog::MessageBoxDefaultButton(type));
  box.SetHoldOtherWindows(true);
  const INT_PTR answer = box.DoModal();
  if (answer > 0) return static_cast<int>(answer);
  // The box could not be made at all: say it, and answer as no one could.
  Report(text, caption);
  return dialog::MessageBoxDefaultButton(type);
}

}  // namespace platform
