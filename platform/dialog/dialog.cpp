// dialog.cpp — the dialog base class: building a dialog from its template,
// the modal run in each presentation, the data exchange with its checks,
// and the dialog manager's default processing of keys, clicks and paints.
//
// Sections: units and names · data exchange · running state · dialog manager ·
// Dialog operations · modal run.
#include "platform/dialog.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "core/os.h"
#include "desktop_window.h"
#include "dialog_state.h"
#include "platform/host.h"
#include "platform/resources.h"
#ifdef _WIN32
#include "win32/win32_dialog.h"
#endif

namespace platform {

using dialog::Control;

// ---- Units and names -------------------------------------------------------------

RECT MapDialogRect(const RECT& du, DialogBaseUnits base) {
  // MulDiv: the product over the divisor, rounded half away from zero.
  auto mulDiv = [](LONG v, int num, int den) {
    const long long p = static_cast<long long>(v) * num;
    return static_cast<LONG>(p >= 0 ? (p + den / 2) / den : -((-p + den / 2) / den));
  };
  return RECT{mulDiv(du.left, base.cx, 4), mulDiv(du.top, base.cy, 8), mulDiv(du.right, base.cx, 4),
              mulDiv(du.bottom, base.cy, 8)};
}

DialogBaseUnits FontBaseUnits(int pointSize) {
  return dialog::Font(pointSize, false).BaseUnits();
}

std::string ApplicationName() {
  if (const App* app = TheApp(); app != nullptr && !app->Name().empty()) return app->Name();
  return ProgramPath().stem().string();
}

namespace {

// Parses what the classic integer field accepts: blanks or tabs, a decimal
// integer with an optional sign, blanks or tabs, nothing else. A value past
// the 32-bit range saturates, so it fails the range check that follows.
bool ParseInteger(const std::string& text, int32_t& value) {
  size_t i = 0;
  auto blank = [&](size_t at) { return at < text.size() && (text[at] == ' ' || text[at] == '\t'); };
  while (blank(i)) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const size_t digitsStart = i;
  long long magnitude = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    magnitude = std::min(magnitude * 10 + (text[i] - '0'), static_cast<long long>(INT32_MAX) + 1);
    ++i;
  }
  if (i == digitsStart) return false;
  while (blank(i)) ++i;
  if (i != text.size()) return false;
  const long long signedValue = negative ? -magnitude : magnitude;
  value = static_cast<int32_t>(std::clamp<long long>(signedValue, INT32_MIN, INT32_MAX));
  return true;
}

// "%1", "%2"... replaced by the arguments.
std::string FormatMessage(std::string text, const std::vector<std::string>& arguments) {
  for (size_t n = arguments.size(); n > 0; --n) {
    const std::string mark = "%" + std::to_string(n);
    for (size_t at = text.find(mark); at != std::string::npos;
         at = text.find(mark, at + arguments[n - 1].size())) {
      text.replace(at, mark.size(), arguments[n - 1]);
    }
  }
  return text;
}

constexpr size_t kIntegerFieldChars = 31;

// Gives a desktop window the keyboard again after a box or dialog over it closed.
void TakeKeyboard(HWND hwnd) {
  dialog::desktop_window::TakeKeyboard(hwnd);
}

}  // namespace

// ---- Data exchange -------------------------------------------------------------

void DataExchange::Text(int id, std::string& value) {
  if (failed) return;
  if (saveAndValidate) {
    value = dialog.GetDlgItemText(id);
  } else {
    dialog.SetDlgItemText(id, value);
  }
}

void DataExchange::Text(int id, int32_t& value) {
  if (failed) return;
  if (!saveAndValidate) {
    dialog.SetDlgItemText(id, std::to_string(value));
    return;
  }
  std::string text = dialog.GetDlgItemText(id);
  if (text.size() > kIntegerFieldChars) text.resize(kIntegerFieldChars);
  int32_t parsed = 0;
  if (!ParseInteger(text, parsed)) {
    MessageBoxA(dialog.Handle(), "Please enter an integer.", ApplicationName().c_str(),
                MB_OK | MB_ICONEXCLAMATION);
    Fail(id);
    return;
  }
  value = parsed;
}

void DataExchange::MinMax(int id, int32_t value, int32_t min, int32_t max) {
  if (failed || !saveAndValidate) return;
  if (value >= min && value <= max) return;
  const std::string text =
      FormatMessage("Please enter an integer between %1 and %2.", {std::to_string(min), std::to_string(max)});
  MessageBoxA(dialog.Handle(), text.c_str(), ApplicationName().c_str(), MB_OK | MB_ICONEXCLAMATION);
  Fail(id);
}

void DataExchange::Check(int id, int32_t& value) {
  if (failed) return;
  if (saveAndValidate) {
    value = static_cast<int32_t>(dialog.IsDlgButtonChecked(id));
  } else {
    dialog.CheckDlgButton(id, static_cast<UINT>(value));
  }
}

void DataExchange::Fail(int id) {
  failed = true;
  dialog.GotoDlgCtrl(id);
  // The message box had the keyboard; it comes back to the dialog.
  TakeKeyboard(dialog.Handle());
}

// ---- Running state -------------------------------------------------------------

Dialog::State::State(Dialog& owner, const DialogTemplate& t, Mode mode)
    : dialog(owner), dialogTemplate(t), mode(mode), font(t.pointSize, false), captionFont(t.pointSize, true) {
  base = font.BaseUnits();
  const RECT size = MapDialogRect(RECT{0, 0, t.cx, t.cy}, base);
  clientWidth = std::max<LONG>(1, size.right);
  clientHeight = std::max<LONG>(1, size.bottom);
  for (const DialogItem& item : t.items) {
    const RECT r = MapDialogRect(RECT{item.x, item.y, item.x + item.cx, item.y + item.cy}, base);
    controls.push_back(dialog::MakeControl(*this, item, r));
  }
  if (const char* png = std::getenv("SAVER_DIALOG_PNG"); png != nullptr) pngPath = png;
}

Dialog::State::~State() = default;

void Dialog::State::Notify(int id, WORD code) {
  dialog.WindowProc(WM_COMMAND, MAKEWPARAM(id, code), 0);
}

void Dialog::State::Invalidate() {
  dirty = true;
  if (dialog.Handle() != 0 && mode == Mode::Window) InvalidateRect(dialog.Handle(), nullptr, FALSE);
}

bool Dialog::State::ShiftDown() const {
  if (shiftHeld) return true;
  return mode == Mode::Window && dialog::desktop_window::ShiftHeld();
}

bool Dialog::State::ControlDown() const {
  if (controlHeld) return true;
  return mode == Mode::Window && dialog::desktop_window::ControlHeld();
}

std::string Dialog::State::ClipboardText() const {
  if (mode == Mode::Window) {
    if (auto text = dialog::desktop_window::ClipboardText()) return *text;
  }
  return localClipboard;
}

void Dialog::State::SetClipboardText(const std::string& text) {
  localClipboard = text;
  if (mode == Mode::Window) dialog::desktop_window::SetClipboardText(text);
}

DWORD Dialog::State::Now() const {
  return GetTickCount();
}

Control* Dialog::State::Find(int id) const {
  const int index = IndexOf(id);
  return index >= 0 ? controls[index].get() : nullptr;
}

int Dialog::State::IndexOf(int id) const {
  if (id == IDC_STATIC) return -1;
  for (size_t i = 0; i < controls.size(); ++i) {
    if (controls[i]->Id() == id) return static_cast<int>(i);
  }
  return -1;
}

void Dialog::State::SetFocus(int index, bool keyboard) {
  if (index < 0 || index >= static_cast<int>(controls.size())) return;
  if (index != focus) {
    if (Control* old = Focused()) old->FocusLost();
    focus = index;
  }
  controls[index]->FocusGained(keyboard);
  Invalidate();
}

int Dialog::State::NextTabStop(int index, bool backwards) const {
  const int count = static_cast<int>(controls.size());
  if (count == 0) return -1;
  int at = index < 0 ? (backwards ? 0 : count - 1) : index;
  for (int step = 0; step < count; ++step) {
    at = backwards ? (at + count - 1) % count : (at + 1) % count;
    if (controls[at]->TabStop()) return at;
  }
  return -1;
}

int Dialog::State::DefaultButtonId() const {
  if (const Control* focused = Focused(); focused != nullptr && focused->IsPushButton()) return focused->Id();
  for (const auto& control : controls) {
    if (control->Item().kind == ItemKind::DefPushButton) return control->Id();
  }
  return IDOK;  // the dialog manager's default id when the template names none
}

RECT Dialog::State::WindowRect() const {
  return RECT{position.x - kFrame, position.y - kFrame - kCaption, position.x + clientWidth + kFrame,
              position.y + clientHeight + kFrame};
}

// ---- Dialog manager ------------------------------------------------------------

namespace {

bool IsShiftKey(WPARAM key) {
  return key == VK_SHIFT || key == 0xA0 || key == 0xA1;
}
bool IsControlKey(WPARAM key) {
  return key == VK_CONTROL || key == 0xA2 || key == 0xA3;
}

}  // namespace

LRESULT Dialog::State::Handle(const Message& message) {
  const int x = GET_X_LPARAM(message.lParam), y = GET_Y_LPARAM(message.lParam);
  switch (message.message) {
    case WM_KEYDOWN: {
      const WPARAM key = message.wParam;
      if (IsShiftKey(key)) shiftHeld = true;
      if (IsControlKey(key)) controlHeld = true;
      if (IsShiftKey(key) || IsControlKey(key)) return 0;
      Control* focused = Focused();
      switch (key) {
        case VK_TAB:
          if (const int next = NextTabStop(focus, ShiftDown()); next >= 0) SetFocus(next, true);
          return 0;
        case VK_RETURN:
          Notify(DefaultButtonId(), BN_CLICKED);
          return 0;
        case VK_ESCAPE:
          Notify(IDCANCEL, BN_CLICKED);
          return 0;
        case VK_SPACE:
          if (focused != nullptr && (focused->IsPushButton() || focused->Item().kind == ItemKind::CheckBox)) {
            focused->Activate();
          }
          return 0;
        default:
          if (focused != nullptr) focused->KeyDown(key);
          return 0;
      }
    }
    case WM_KEYUP:
      if (IsShiftKey(message.wParam)) shiftHeld = false;
      if (IsControlKey(message.wParam)) controlHeld = false;
      return 0;
    case WM_CHAR: {
      Control* focused = Focused();
      if (focused == nullptr || ControlDown()) return 0;
      const auto code = static_cast<uint32_t>(message.wParam);
      if (code == ' ' && focused->Item().kind != ItemKind::Edit) return 0;  // Space was a press
      focused->Char(code);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      for (size_t i = 0; i < controls.size(); ++i) {
        Control& control = *controls[i];
        if (!control.Focusable() || !dialog::Contains(control.Rect(), x, y)) continue;
        SetFocus(static_cast<int>(i), false);
        capture = static_cast<int>(i);
        control.MouseDown(x, y);
        break;
      }
      return 0;
    }
    case WM_MOUSEMOVE:
      if (capture >= 0) controls[capture]->MouseMove(x, y);
      return 0;
    case WM_LBUTTONUP:
      if (capture >= 0) {
        const int released = capture;
        capture = -1;
        controls[released]->MouseUp(x, y);
      }
      return 0;
    case WM_ACTIVATE:
      if (message.wParam == WA_INACTIVE) shiftHeld = controlHeld = false;
      return 0;
    case WM_CLOSE:
      // The close box is Cancel.
      Notify(IDCANCEL, BN_CLICKED);
      return 0;
    case WM_SYSCOMMAND:
      if ((message.wParam & 0xFFF0) == SC_CLOSE) {
        dialog.WindowProc(WM_CLOSE, 0, 0);
        return 0;
      }
      return DefWindowProcA(dialog.Handle(), message.message, message.wParam, message.lParam);
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(dialog.Handle(), &paint);
      EndPaint(dialog.Handle(), &paint);
      if (mode == Mode::Window) Present();
      return 0;
    }
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      return 0;
    default:
      return DefWindowProcA(dialog.Handle(), message.message, message.wParam, message.lParam);
  }
}

// ---- Dialog operations ---------------------------------------------------------

const MessageTable::Entry Dialog::messageEntries[3] = {
    {WM_INITDIALOG, 0, &Bind<&Dialog::OnInitDialogMessage>},
    {WM_COMMAND, IDOK, &Bind<&Dialog::OnCommandOk>},
    {WM_COMMAND, IDCANCEL, &Bind<&Dialog::OnCommandCancel>},
};
const MessageTable Dialog::messageTable = {&Window::messageTable, messageEntries};

Dialog::Dialog(int templateId, Window* parent) : templateId(templateId), parent(parent) {}

Dialog::Dialog(const DialogTemplate& dialogTemplate, Window* parent)
    : templateId(dialogTemplate.id), ownTemplate(dialogTemplate), parent(parent) {}

Dialog::~Dialog() {
  delete state;
  state = nullptr;
}

const MessageTable* Dialog::GetMessageTable() const {
  return &messageTable;
}

LRESULT Dialog::DefaultProc(const Message& message) {
  if (state == nullptr) return DefWindowProcA(Handle(), message.message, message.wParam, message.lParam);
  return state->Handle(message);
}

Reply Dialog::OnInitDialogMessage(const Message&) {
  return Reply::Handled(OnInitDialog());
}

Reply Dialog::OnCommandOk(const Message&) {
  OnOK();
  return Reply::Handled();
}

Reply Dialog::OnCommandCancel(const Message&) {
  OnCancel();
  return Reply::Handled();
}

void Dialog::EndDialog(int value) {
  ended = true;
  result = value;
}

BOOL Dialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

void Dialog::OnOK() {
  if (UpdateData(true)) EndDialog(IDOK);
}

void Dialog::OnCancel() {
  EndDialog(IDCANCEL);
}

void Dialog::DoDataExchange(DataExchange&) {}

bool Dialog::UpdateData(bool saveAndValidate) {
  DataExchange exchange(*this, saveAndValidate);
  DoDataExchange(exchange);
  return !exchange.Failed();
}

std::string Dialog::GetDlgItemText(int id) const {
  const Control* control = state ? state->Find(id) : nullptr;
  return control ? control->Text() : std::string();
}

void Dialog::SetDlgItemText(int id, const std::string& text) {
  if (Control* control = state ? state->Find(id) : nullptr) control->SetText(text);
}

UINT Dialog::IsDlgButtonChecked(int id) const {
  const auto* box = state ? dynamic_cast<const dialog::CheckBox*>(state->Find(id)) : nullptr;
  return box ? box->State() : BST_UNCHECKED;
}

void Dialog::CheckDlgButton(int id, UINT check) {
  // A two-state box shows any state past "checked" as checked.
  if (auto* box = state ? dynamic_cast<dialog::CheckBox*>(state->Find(id)) : nullptr) {
    box->SetState(check == BST_UNCHECKED ? BST_UNCHECKED : BST_CHECKED);
  }
}

void Dialog::GotoDlgCtrl(int id) {
  if (state) state->SetFocus(state->IndexOf(id), true);
}

int Dialog::FocusedControl() const {
  const Control* focused = state ? state->Focused() : nullptr;
  return focused ? focused->Id() : 0;
}

void Dialog::CenterWindow() {
  if (!state) return;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (auto usable = dialog::desktop_window::UsableArea()) area = *usable;
  const auto* owner = dynamic_cast<const Dialog*>(parent);
  if (owner != nullptr && owner->state != nullptr) area = owner->state->WindowRect();
  const int width = state->clientWidth + 2 * State::kFrame;
  const int height = state->clientHeight + 2 * State::kFrame + State::kCaption;
  const int left = std::max<int>(area.left, (area.left + area.right - width) / 2);
  const int top = std::max<int>(area.top, (area.top + area.bottom - height) / 2);
  state->position = POINT{left + State::kFrame, top + State::kFrame + State::kCaption};
  dialog::desktop_window::MoveTo(Handle(), state->position);
}

bool Dialog::SavePng(const std::string& path) const {
  return state != nullptr && state->SavePng(path);
}

DialogBaseUnits Dialog::BaseUnits() const {
  return state ? state->base : DialogBaseUnits{};
}

RECT Dialog::ControlRect(int id) const {
  const Control* control = state ? state->Find(id) : nullptr;
  return control ? control->Rect() : RECT{0, 0, 0, 0};
}

void Dialog::GetEditSelection(int id, int& start, int& end) const {
  const auto* edit = state ? dynamic_cast<const dialog::EditBox*>(state->Find(id)) : nullptr;
  start = edit ? static_cast<int>(edit->SelectionStart()) : 0;
  end = edit ? static_cast<int>(edit->SelectionEnd()) : 0;
}

int Dialog::DefaultButton() const {
  return state ? state->DefaultButtonId() : 0;
}

// ---- Modal run -----------------------------------------------------------------

INT_PTR Dialog::DoModal() {
  const DialogTemplate* dialogTemplate = ownTemplate ? &*ownTemplate : FindDialogTemplate(templateId);
  if (dialogTemplate == nullptr) {
    std::fprintf(stderr, "%s: dialog template %d is missing\n", ApplicationName().c_str(), templateId);
    return -1;
  }
  State::Mode mode;
  if (invisibleRun) {
    mode = State::Mode::Invisible;
  } else if (dialog::Script::Instance().Active()) {
    mode = State::Mode::Scripted;
#ifdef _WIN32
  } else if (win32::NativeDialogsAvailable()) {
    mode = State::Mode::System;
#endif
  } else if (CurrentBackend() == Backend::Sdl && !(unattendedAnswer && IsHosted())) {
    mode = State::Mode::Window;
  } else if (unattendedAnswer) {
    mode = State::Mode::Unattended;
  } else if (os::InputIsTerminal()) {
    mode = State::Mode::Terminal;
  } else {
    std::fprintf(stderr,
                 "%s: cannot show the \"%s\" dialog: no display can be opened and standard input is not a "
                 "terminal; nothing was changed\n",
                 ApplicationName().c_str(), dialogTemplate->caption.c_str());
    return -1;
  }

  ended = false;
  result = 0;
  delete state;
  state = new State(*this, *dialogTemplate, mode);
  CenterWindow();
  const std::string className = Window::RegisterClass("#32770", 0);
  const DWORD style = (dialogTemplate->style & ~WS_VISIBLE) | WS_POPUP;
  if (!CreateEx(dialogTemplate->exStyle, className, dialogTemplate->caption, style, state->position.x,
                state->position.y, state->clientWidth, state->clientHeight, 0)) {
    std::fprintf(stderr, "%s: the \"%s\" dialog could not be created\n", ApplicationName().c_str(),
                 dialogTemplate->caption.c_str());
    delete state;
    state = nullptr;
    return -1;
  }
  PushModal(this);

  if (WindowProc(WM_INITDIALOG, 0, 0) != 0 && state != nullptr) {
    if (const int first = state->NextTabStop(-1, false); first >= 0) state->SetFocus(first, true);
  }
  if (!ended && Handle() != 0) {
    if (state->mode == State::Mode::Window) {
      ShowWindow(Handle(), SW_SHOW);
      if (SdlWindowOf(Handle()) == nullptr) {
        // The desktop gave no window after all: fall back as without a display.
        state->mode = unattendedAnswer        ? State::Mode::Unattended
                      : os::InputIsTerminal() ? State::Mode::Terminal
                                              : State::Mode::Invisible;
        if (state->mode == State::Mode::Unattended) {
          WindowProc(WM_SHOWWINDOW, TRUE, 0);
        } else if (state->mode == State::Mode::Invisible) {
          std::fprintf(stderr, "%s: the \"%s\" dialog has no window to show in\n", ApplicationName().c_str(),
                       dialogTemplate->caption.c_str());
          EndDialog(-1);
        }
      }
    } else {
      WindowProc(WM_SHOWWINDOW, TRUE, 0);
    }
  }
  if (!ended && state->mode != State::Mode::Invisible && !state->pngPath.empty())
    state->SavePng(state->pngPath);

  switch (state->mode) {
    case State::Mode::Window:
      if (!RunModalLoop(
              [this] {
                if (state->dirty) state->Present();
                return ended;
              },
              holdOtherWindows ? Handle() : 0)) {
        if (!ended) EndDialog(IDCANCEL);
      }
      break;
    case State::Mode::Invisible:
      if (!RunModalLoop([this] { return ended; }) && !ended) EndDialog(IDCANCEL);
      break;
    case State::Mode::Scripted:
      state->RunScript();
      break;
    case State::Mode::Terminal:
      state->RunTerminal();
      break;
    case State::Mode::System:
#ifdef _WIN32
      if (!ended && !win32::ShowSystemDialog(*this, *state)) {
        std::fprintf(stderr, "%s: the system could not show the \"%s\" dialog\n", ApplicationName().c_str(),
                     dialogTemplate->caption.c_str());
        EndDialog(-1);
      }
#endif
      break;
    case State::Mode::Unattended:
      if (!ended) state->Notify(*unattendedAnswer, BN_CLICKED);
      if (!ended) EndDialog(*unattendedAnswer);
      break;
  }

  PopModal(this);
  if (Handle() != 0) DestroyWindow();
  delete state;
  state = nullptr;
  if (parent != nullptr) TakeKeyboard(parent->Handle());
  return result;
}

void SetDialogScript(const std::string& script) {
  dialog::Script::Instance().Set(script);
}

void ClearDialogScript() {
  dialog::Script::Instance().Clear();
}

}  // namespace platform
