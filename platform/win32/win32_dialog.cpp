// win32_dialog.cpp — a program's dialog shown as the system's own dialog,
// built from the same template the dialog manager uses. The dialog object
// keeps its message table, its data exchange and its checks: the dialog
// manager's controls stay the record of every value, and the system's
// controls mirror them. Before the program handles a command, what the user
// typed and checked is read into the record; after, whatever the program
// changed (a text, a check, the focus) is shown.
#include "win32/win32_dialog.h"

#include "core/core.h"
#include "dialog/dialog_state.h"
#include "platform/resources.h"
#include "win32/native.h"
#include "win32/win32_backend.h"

namespace platform::win32 {

namespace {

NativeDialogItem NativeItem(const DialogItem& item) {
  NativeDialogItem native;
  native.id = item.id;
  native.text = item.text;
  native.x = item.x;
  native.y = item.y;
  native.cx = item.cx;
  native.cy = item.cy;
  native.style = item.style;
  switch (item.kind) {
    case ItemKind::PushButton:
      native.itemClass = NativeItemClass::Button;
      native.style |= BS_PUSHBUTTON;
      break;
    case ItemKind::DefPushButton:
      native.itemClass = NativeItemClass::Button;
      native.style |= BS_DEFPUSHBUTTON;
      break;
    case ItemKind::GroupBox:
      native.itemClass = NativeItemClass::Button;
      native.style |= BS_GROUPBOX;
      break;
    case ItemKind::CheckBox:
      native.itemClass = NativeItemClass::Button;
      native.style |= BS_AUTOCHECKBOX | WS_TABSTOP;
      break;
    case ItemKind::Edit:
      native.itemClass = NativeItemClass::Edit;
      break;
    case ItemKind::Static:
      native.itemClass = NativeItemClass::Static;
      break;
    case ItemKind::Picture: {
      native.itemClass = NativeItemClass::Static;
      native.style |= SS_BITMAP;
      const std::span<const uint8_t> bitmap = FindBitmap(item.bitmapId);
      native.bitmapFile.assign(bitmap.begin(), bitmap.end());
      break;
    }
    case ItemKind::Icon:
      native.itemClass = NativeItemClass::Static;
      native.style |= 0x0003;  // SS_ICON
      native.systemIcon = item.bitmapId;
      break;
    case ItemKind::ListBox:
      native.itemClass = NativeItemClass::ListBox;
      native.style |= WS_BORDER | 0x00200000 /* WS_VSCROLL */ | 0x0001 /* LBS_NOTIFY */;
      break;
  }
  return native;
}

bool Mirrored(ItemKind kind) {
  return kind == ItemKind::Edit || kind == ItemKind::CheckBox;
}

class DialogMirror final : public NativeDialogHost {
 public:
  DialogMirror(Dialog& dialog, Dialog::State& state) : dialog(dialog), state(state) {}

  void Initialized(uintptr_t native) override {
    if (WindowRecord* record = FindRecord(dialog.Handle())) record->nativeHandle = native;
    Show(native, true);
  }

  void Command(uintptr_t native, int id, unsigned code) override {
    if (showing) return;  // a text set below reports its own change: not the user's
    Read(native);
    dialog.WindowProc(WM_COMMAND, MAKEWPARAM(id, code), 0);
    if (dialog.HasEnded()) {
      EndNativeDialog(native, IDOK);
      return;
    }
    Show(native, false);
  }

  void Destroyed(uintptr_t) override {
    // The platform's record stays until the dialog object destroys it; the
    // system's window is gone already.
    if (WindowRecord* record = FindRecord(dialog.Handle())) record->nativeHandle = 0;
  }

 private:
  // The user's input into the record: edit boxes' texts and check boxes.
  void Read(uintptr_t native) {
    for (const auto& control : state.controls) {
      const DialogItem& item = control->Item();
      if (item.kind == ItemKind::Edit) {
        const std::string text = NativeItemText(native, item.id);
        if (text != control->Text()) control->SetText(text);
      } else if (item.kind == ItemKind::CheckBox) {
        dialog.CheckDlgButton(item.id, NativeItemChecked(native, item.id) ? BST_CHECKED : BST_UNCHECKED);
      }
    }
  }

  // The record onto the screen: texts and checks that differ, and the focus
  // when the program moved it.
  void Show(uintptr_t native, bool first) {
    showing = true;
    for (const auto& control : state.controls) {
      const DialogItem& item = control->Item();
      if (item.kind == ItemKind::Picture || item.kind == ItemKind::Icon || item.id == IDC_STATIC) continue;
      if (first || Mirrored(item.kind) || item.kind == ItemKind::Static ||
          item.kind == ItemKind::PushButton) {
        if (NativeItemText(native, item.id) != control->Text())
          SetNativeItemText(native, item.id, control->Text());
      }
      if (item.kind == ItemKind::CheckBox) {
        const bool checked = dialog.IsDlgButtonChecked(item.id) != BST_UNCHECKED;
        if (NativeItemChecked(native, item.id) != checked) SetNativeItemChecked(native, item.id, checked);
      }
    }
    const int focused = dialog.FocusedControl();
    if (first || focused != lastFocus) {
      if (focused != 0) FocusNativeItem(native, focused);
      lastFocus = focused;
    }
    showing = false;
  }

  Dialog& dialog;
  Dialog::State& state;
  bool showing = false;
  int lastFocus = -1;
};

}  // namespace

bool NativeDialogsAvailable() {
  return TheDriver().Kind() == Backend::Sdl;
}

bool ShowSystemDialog(Dialog& dialog, Dialog::State& state) {
  const DialogTemplate& t = state.dialogTemplate;
  NativeDialogTemplate native;
  native.style = t.style & ~WS_VISIBLE;
  native.exStyle = t.exStyle;
  native.cx = t.cx;
  native.cy = t.cy;
  native.caption = t.caption;
  native.fontName = t.fontName;
  native.pointSize = t.pointSize;
  for (const DialogItem& item : t.items) native.items.push_back(NativeItem(item));

  // Owned by the dialog's parent window, else by the window /c:HWND named.
  uintptr_t owner = 0;
  for (Window* parent = dialog.Parent(); parent != nullptr && owner == 0;) {
    WindowRecord* record = FindRecord(parent->Handle());
    if (record == nullptr) break;
    owner = record->nativeHandle;
    auto* parentDialog = dynamic_cast<Dialog*>(parent);
    parent = parentDialog != nullptr ? parentDialog->Parent() : nullptr;
  }
  if (owner == 0)
    if (auto given = CurrentScreenSaverCommand().dialogOwner) owner = *given;

  DialogMirror mirror(dialog, state);
  return RunNativeDialog(native, owner, mirror) != -1;
}

bool ChooseFileWithSystemDialog(HWND owner, const std::string& initialName, const std::string& filter,
                                std::string& path) {
  uintptr_t native = 0;
  if (WindowRecord* record = FindRecord(owner)) native = record->nativeHandle;
  if (native == 0)
    if (auto given = CurrentScreenSaverCommand().dialogOwner) native = *given;
  auto chosen = ChooseFileToOpen(native, initialName, filter);
  if (!chosen) return false;
  path = *chosen;
  return true;
}

}  // namespace platform::win32
