// native_dialog.cpp — dialogs as the system's own: an in-memory dialog
// template (DLGTEMPLATE and its items) run by DialogBoxIndirectParam, whose
// dialog procedure hands WM_INITDIALOG and WM_COMMAND to the program; the
// controls' texts and states; the system's open-file dialog.
#include <windows.h>
// After <windows.h>, which it needs.
#include <commdlg.h>

#include <cstring>

#include "win32/native.h"
#include "win32/native_text.h"

namespace platform::win32 {

namespace {

// The template's words, in the layout DialogBoxIndirectParam reads.
class TemplateWriter {
 public:
  void Word(WORD value) { words.push_back(value); }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Text(const std::string& text) {
    for (wchar_t c : Widen(text)) Word(static_cast<WORD>(c));
    Word(0);
  }
  void AlignDword() {
    if (words.size() % 2 != 0) Word(0);
  }
  const void* Data() const { return words.data(); }

 private:
  std::vector<WORD> words;
};

WORD ClassAtom(NativeItemClass itemClass) {
  switch (itemClass) {
    case NativeItemClass::Button:
      return 0x0080;
    case NativeItemClass::Edit:
      return 0x0081;
    case NativeItemClass::Static:
      return 0x0082;
    case NativeItemClass::ListBox:
      return 0x0083;
  }
  return 0x0082;
}

struct Running {
  const NativeDialogTemplate* dialogTemplate;
  NativeDialogHost* host;
  std::vector<HGDIOBJ> pictures;  // bitmaps made for SS_BITMAP controls, freed at the end
};

HBITMAP BitmapFromFile(HWND dialog, const std::vector<uint8_t>& file) {
  if (file.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) return nullptr;
  BITMAPFILEHEADER header;
  std::memcpy(&header, file.data(), sizeof header);
  if (header.bfType != 0x4D42 || header.bfOffBits >= file.size()) return nullptr;
  const auto* info = reinterpret_cast<const BITMAPINFO*>(file.data() + sizeof(BITMAPFILEHEADER));
  HDC dc = ::GetDC(dialog);
  HBITMAP bitmap =
      ::CreateDIBitmap(dc, &info->bmiHeader, CBM_INIT, file.data() + header.bfOffBits, info, DIB_RGB_COLORS);
  ::ReleaseDC(dialog, dc);
  return bitmap;
}

INT_PTR CALLBACK DialogProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* running = reinterpret_cast<Running*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      running = reinterpret_cast<Running*>(lParam);
      ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
      for (const NativeDialogItem& item : running->dialogTemplate->items) {
        HWND control = ::GetDlgItem(hwnd, item.id);
        if (control == nullptr) continue;
        if (!item.bitmapFile.empty()) {
          if (HBITMAP bitmap = BitmapFromFile(hwnd, item.bitmapFile)) {
            running->pictures.push_back(bitmap);
            ::SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
          }
        } else if (item.systemIcon != 0) {
          HICON icon = ::LoadIconW(nullptr, MAKEINTRESOURCEW(item.systemIcon));
          ::SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        }
      }
      running->host->Initialized(reinterpret_cast<uintptr_t>(hwnd));
      return FALSE;  // the program has placed the focus
    }
    case WM_COMMAND:
      if (running == nullptr) return FALSE;
      running->host->Command(reinterpret_cast<uintptr_t>(hwnd), LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      // The close box is Cancel, as the program's own dialog manager has it.
      if (running != nullptr) running->host->Command(reinterpret_cast<uintptr_t>(hwnd), IDCANCEL, BN_CLICKED);
      return TRUE;
    case WM_DESTROY:
      if (running != nullptr) running->host->Destroyed(reinterpret_cast<uintptr_t>(hwnd));
      return FALSE;
    default:
      return FALSE;
  }
}

HWND Item(uintptr_t dialog, int id) {
  return ::GetDlgItem(reinterpret_cast<HWND>(dialog), id);
}

}  // namespace

intptr_t RunNativeDialog(const NativeDialogTemplate& t, uintptr_t owner, NativeDialogHost& host) {
  TemplateWriter writer;
  DWORD style = t.style | DS_SETFONT | DS_CENTER;
  writer.Dword(style);
  writer.Dword(t.exStyle);
  writer.Word(static_cast<WORD>(t.items.size()));
  writer.Word(0);  // x, y: DS_CENTER centres it over its owner, or in the work area
  writer.Word(0);
  writer.Word(static_cast<WORD>(t.cx));
  writer.Word(static_cast<WORD>(t.cy));
  writer.Word(0);  // no menu
  writer.Word(0);  // the dialog class
  writer.Text(t.caption);
  writer.Word(static_cast<WORD>(t.pointSize));
  writer.Text(t.fontName.empty() ? "MS Shell Dlg" : t.fontName);
  for (const NativeDialogItem& item : t.items) {
    writer.AlignDword();
    writer.Dword(item.style | WS_CHILD | WS_VISIBLE);
    writer.Dword(0);
    writer.Word(static_cast<WORD>(item.x));
    writer.Word(static_cast<WORD>(item.y));
    writer.Word(static_cast<WORD>(item.cx));
    writer.Word(static_cast<WORD>(item.cy));
    writer.Word(static_cast<WORD>(item.id));
    writer.Word(0xFFFF);
    writer.Word(ClassAtom(item.itemClass));
    // A picture's image is set once the control exists (STM_SETIMAGE).
    writer.Text(item.bitmapFile.empty() && item.systemIcon == 0 ? item.text : "");
    writer.Word(0);  // no creation data
  }
  Running running{&t, &host, {}};
  const INT_PTR result = ::DialogBoxIndirectParamW(
      ::GetModuleHandleW(nullptr), static_cast<LPCDLGTEMPLATEW>(writer.Data()), reinterpret_cast<HWND>(owner),
      DialogProcedure, reinterpret_cast<LPARAM>(&running));
  for (HGDIOBJ picture : running.pictures) ::DeleteObject(picture);
  return result;
}

void EndNativeDialog(uintptr_t dialog, intptr_t result) {
  ::EndDialog(reinterpret_cast<HWND>(dialog), result);
}

std::string NativeItemText(uintptr_t dialog, int id) {
  HWND control = Item(dialog, id);
  if (control == nullptr) return {};
  const int length = ::GetWindowTextLengthW(control);
  std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(control, wide.data(), length + 1);
  wide.resize(static_cast<size_t>(std::max(copied, 0)));
  return Narrow(wide);
}

void SetNativeItemText(uintptr_t dialog, int id, const std::string& text) {
  ::SetDlgItemTextW(reinterpret_cast<HWND>(dialog), id, Widen(text).c_str());
}

bool NativeItemChecked(uintptr_t dialog, int id) {
  return ::IsDlgButtonChecked(reinterpret_cast<HWND>(dialog), id) == BST_CHECKED;
}

void SetNativeItemChecked(uintptr_t dialog, int id, bool checked) {
  ::CheckDlgButton(reinterpret_cast<HWND>(dialog), id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void FocusNativeItem(uintptr_t dialog, int id) {
  HWND control = Item(dialog, id);
  if (control == nullptr) return;
  // WM_NEXTDLGCTL moves the default button along and selects an edit box's text.
  ::SendMessageW(reinterpret_cast<HWND>(dialog), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

std::optional<std::string> ChooseFileToOpen(uintptr_t owner, const std::string& initialName,
                                            const std::string& filter) {
  // "Name|*.ext|Name|*.ext||" becomes the system's NUL-separated list.
  std::wstring filters = Widen(filter);
  for (wchar_t& c : filters)
    if (c == L'|') c = L'\0';
  filters.push_back(L'\0');
  std::wstring name = Widen(initialName);
  std::vector<wchar_t> buffer(32768, L'\0');
  std::copy(name.begin(), name.begin() + std::min(name.size(), buffer.size() - 1), buffer.begin());
  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = reinterpret_cast<HWND>(owner);
  request.lpstrFilter = filters.c_str();
  request.nFilterIndex = 1;
  request.lpstrFile = buffer.data();
  request.nMaxFile = static_cast<DWORD>(buffer.size());
  request.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
  if (!::GetOpenFileNameW(&request)) return std::nullopt;
  return Narrow(buffer.data());
}

}  // namespace platform::win32
