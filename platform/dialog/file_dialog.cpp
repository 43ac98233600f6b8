// file_dialog.cpp — the open-file dialog: a file-name field, the files of
// the current folder that match the chosen type, the folders to go to and
// the list of types, in the common dialog's classic layout; on a terminal a
// line-oriented chooser with the same choices.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/os.h"
#include "dialog_state.h"
#include "platform/host.h"
#include "platform/resources.h"
#include "terminal_input.h"
#ifdef _WIN32
#include "win32/win32_dialog.h"
#endif

namespace platform {

namespace fs = std::filesystem;
using namespace dialog;

namespace {

constexpr size_t kMaxInitialName = 499;
// A folder with more entries than this shows only the first ones.
constexpr size_t kMaxEntries = 20000;

struct FileType {
  std::string name;
  std::vector<std::string> patterns;
};

// "Name|*.a;*.b|Name|*.c||" → the named types with their patterns.
std::vector<FileType> ParseFilter(const std::string& filter) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t bar = filter.find('|', start);
    parts.push_back(filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  std::vector<FileType> types;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty() && parts[i + 1].empty()) break;
    FileType type{parts[i], {}};
    size_t from = 0;
    for (;;) {
      const size_t semicolon = parts[i + 1].find(';', from);
      std::string pattern =
          parts[i + 1].substr(from, semicolon == std::string::npos ? std::string::npos : semicolon - from);
      if (!pattern.empty()) type.patterns.push_back(pattern);
      if (semicolon == std::string::npos) break;
      from = semicolon + 1;
    }
    types.push_back(type);
  }
  if (types.empty()) types.push_back({"All Files (*.*)", {"*.*"}});
  return types;
}

// Wildcards as the classic file system matches them: letter case ignored,
// and "*.*" matching every name.
bool Matches(const std::string& pattern, const std::string& name) {
  if (pattern == "*.*" || pattern == "*") return true;
  size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
  auto same = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  };
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool HasWildcards(const std::string& name) {
  return name.find_first_of("*?") != std::string::npos;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool LessNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
  });
}

// A typed name as a path: "~/" is the home folder, a relative name lies in folder.
fs::path Resolve(const fs::path& folder, const std::string& name) {
  fs::path path = name;
  if (name == "~" || name.rfind("~/", 0) == 0) {
    const char* home = std::getenv("HOME");
    path = fs::path(home ? home : "/") / name.substr(std::min<size_t>(2, name.size()));
  }
  if (path.is_relative()) path = folder / path;
  return path.lexically_normal();
}

// The folder listing: subfolders and the files that match the patterns.
struct Listing {
  std::vector<std::string> folders;
  std::vector<std::string> files;
};

Listing ListFolder(const fs::path& folder, const std::vector<std::string>& patterns) {
  Listing listing;
  std::error_code error;
  fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
  for (size_t seen = 0; !error && it != fs::directory_iterator() && seen < kMaxEntries;
       it.increment(error), ++seen) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    std::error_code kindError;
    if (it->is_directory(kindError)) {
      listing.folders.push_back(name);
    } else if (std::any_of(patterns.begin(), patterns.end(),
                           [&](const std::string& p) { return Matches(p, name); })) {
      listing.files.push_back(name);
    }
  }
  std::sort(listing.folders.begin(), listing.folders.end(), LessNoCase);
  std::sort(listing.files.begin(), listing.files.end(), LessNoCase);
  return listing;
}

// The folder and file name to start from: the initial name's folder when it
// names one that exists, else the current folder.
void SplitInitialName(const std::string& initial, fs::path& folder, std::string& name) {
  std::error_code error;
  folder = fs::current_path(error);
  if (error) folder = "/";
  name = initial;
  if (initial.empty()) return;
  const fs::path path = Resolve(folder, initial);
  if (fs::is_directory(path, error)) {
    folder = path;
    name.clear();
  } else if (path.has_parent_path() && fs::is_directory(path.parent_path(), error)) {
    folder = path.parent_path();
    name = path.filename().string();
  }
}

DialogTemplate OpenFileTemplate() {
  DialogTemplate t;
  t.id = kOpenFileTemplateId;
  t.caption = "Open";
  t.cx = 264;
  t.cy = 154;
  t.fontName = "MS Sans Serif";
  t.pointSize = 8;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
  t.items = {
      {IDC_STATIC, ItemKind::Static, "File Name:", 6, 6, 90, 9, SS_LEFT, 0},
      {kFileNameEdit, ItemKind::Edit, "", 6, 16, 90, 12, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0},
      {kFileList, ItemKind::ListBox, "", 6, 32, 90, 68, WS_TABSTOP, 0},
      {IDC_STATIC, ItemKind::Static, "Folders:", 110, 6, 92, 9, SS_LEFT, 0},
      {kFolderLabel, ItemKind::Static, "", 110, 18, 92, 9, SS_LEFT, 0},
      {kFolderList, ItemKind::ListBox, "", 110, 32, 92, 68, WS_TABSTOP, 0},
      {IDC_STATIC, ItemKind::Static, "List Files of Type:", 6, 104, 196, 9, SS_LEFT, 0},
      {kTypeList, ItemKind::ListBox, "", 6, 114, 196, 34, WS_TABSTOP, 0},
      {IDOK, ItemKind::DefPushButton, "OK", 208, 6, 50, 14, WS_TABSTOP, 0},
      {IDCANCEL, ItemKind::PushButton, "Cancel", 208, 24, 50, 14, WS_TABSTOP, 0},
  };
  return t;
}

class OpenFileBox : public Dialog {
 public:
  OpenFileBox(Window* owner, const std::string& initialName, std::vector<FileType> types)
      : Dialog(kOpenFileTemplateId, owner), initialName(initialName), types(std::move(types)) {}
  std::string chosen;

 protected:
  const MessageTable* GetMessageTable() const override { return &messageTable; }

  BOOL OnInitDialog() override {
    Dialog::OnInitDialog();
    std::string name;
    SplitInitialName(initialName, folder, name);
    SetDlgItemText(kFileNameEdit, name);
    std::vector<std::string> typeNames;
    for (const FileType& type : types) typeNames.push_back(type.name);
    if (auto* list = List(kTypeList)) {
      list->SetItems(typeNames);
      list->Select(0, false);
    }
    Refresh();
    CenterWindow();
    return TRUE;
  }

  void OnOK() override {
    // Enter on the folder list opens the folder.
    if (FocusedControl() == kFolderList) {
      OpenSelectedFolder();
      return;
    }
    const std::string name = Trimmed(GetDlgItemText(kFileNameEdit));
    if (name.empty()) return;
    if (HasWildcards(name)) {
      customPattern = name;
      Refresh();
      return;
    }
    const fs::path path = Resolve(folder, name);
    std::error_code error;
    if (fs::is_directory(path, error)) {
      folder = path;
      SetDlgItemText(kFileNameEdit, "");
      Refresh();
      return;
    }
    chosen = path.string();
    EndDialog(IDOK);
  }

 private:
  ListBox* List(int id) const {
    State* running = RunningState();
    return running ? dynamic_cast<ListBox*>(running->Find(id)) : nullptr;
  }

  std::vector<std::string> Patterns() const {
    if (!customPattern.empty()) return {customPattern};
    const ListBox* list = List(kTypeList);
    const int index = list && list->Selection() >= 0 ? list->Selection() : 0;
    return types[std::min<size_t>(index, types.size() - 1)].patterns;
  }

  void Refresh() {
    const Listing listing = ListFolder(folder, Patterns());
    if (auto* files = List(kFileList)) files->SetItems(listing.files);
    std::vector<std::string> folders;
    if (folder.has_relative_path()) folders.push_back("[..]");
    for (const std::string& name : listing.folders) folders.push_back("[" + name + "]");
    if (auto* list = List(kFolderList)) list->SetItems(folders);
    // The folder's path, shortened at the front when it is too long.
    std::string shown = folder.string();
    State* running = RunningState();
    if (running != nullptr) {
      const RECT r = ControlRect(kFolderLabel);
      const int width = r.right - r.left;
      while (shown.size() > 4 && running->font.Width(shown) > width) shown = "..." + shown.substr(4);
    }
    SetDlgItemText(kFolderLabel, shown);
  }

  void OpenSelectedFolder() {
    const ListBox* list = List(kFolderList);
    if (list == nullptr || list->Selection() < 0) return;
    std::string name = list->Items()[list->Selection()];
    name = name.substr(1, name.size() - 2);  // without the brackets
    folder = (name == ".." ? folder.parent_path() : folder / name).lexically_normal();
    Refresh();
  }

  Reply OnFileList(const Message& message) {
    const ListBox* list = List(kFileList);
    if (list == nullptr || list->Selection() < 0) return Reply::Handled();
    const WORD code = HIWORD(message.wParam);
    if (code == LBN_SELCHANGE || code == LBN_DBLCLK)
      SetDlgItemText(kFileNameEdit, list->Items()[list->Selection()]);
    if (code == LBN_DBLCLK) OnOK();
    return Reply::Handled();
  }

  Reply OnFolderList(const Message& message) {
    if (HIWORD(message.wParam) == LBN_DBLCLK) OpenSelectedFolder();
    return Reply::Handled();
  }

  Reply OnTypeList(const Message& message) {
    if (HIWORD(message.wParam) == LBN_SELCHANGE) {
      customPattern.clear();
      Refresh();
    }
    return Reply::Handled();
  }

  std::string initialName;
  std::vector<FileType> types;
  fs::path folder;
  std::string customPattern;  // a pattern typed into the name field

  static const MessageTable::Entry entries[3];
  static const MessageTable messageTable;
};

const MessageTable::Entry OpenFileBox::entries[3] = {
    {WM_COMMAND, kFileList, &Bind<&OpenFileBox::OnFileList>},
    {WM_COMMAND, kFolderList, &Bind<&OpenFileBox::OnFolderList>},
    {WM_COMMAND, kTypeList, &Bind<&OpenFileBox::OnTypeList>},
};
const MessageTable OpenFileBox::messageTable = {&Dialog::messageTable, entries};

// The chooser on a terminal: the folder's contents, then a name to take.
bool ChooseOnTerminal(const std::string& initialName, const std::vector<FileType>& types, std::string& path,
                      const std::function<bool()>& stop) {
  fs::path folder;
  std::string name;
  SplitInitialName(initialName, folder, name);
  size_t type = 0;
  std::string customPattern;
  for (;;) {
    const std::vector<std::string> patterns =
        customPattern.empty() ? types[type].patterns : std::vector<std::string>{customPattern};
    const Listing listing = ListFolder(folder, patterns);
    std::printf("\nOpen: %s\n  Type: %s\n", folder.string().c_str(),
                customPattern.empty() ? types[type].name.c_str() : customPattern.c_str());
    std::printf("  Folders:");
    if (folder.has_relative_path()) std::printf(" [..]");
    for (const std::string& f : listing.folders) std::printf(" [%s]", f.c_str());
    std::printf("\n  Files:");
    size_t shown = 0;
    for (const std::string& f : listing.files) {
      if (++shown > 60) {
        std::printf(" ... and %zu more", listing.files.size() - 60);
        break;
      }
      std::printf(" %s", f.c_str());
    }
    std::printf("\nTypes:");
    for (size_t i = 0; i < types.size(); ++i) std::printf(" %zu) %s", i + 1, types[i].name.c_str());
    std::printf("\nA file or folder name, \"type N\", \"cancel\"; an empty line takes [%s]\nFile Name> ",
                name.c_str());
    std::fflush(stdout);
    std::string line;
    if (!ReadTerminalLine(line, stop)) return false;
    std::string entry = Trimmed(line);
    if (entry == "cancel") return false;
    if (entry.rfind("type ", 0) == 0) {
      const long chosenType = std::strtol(entry.c_str() + 5, nullptr, 10);
      if (chosenType >= 1 && chosenType <= static_cast<long>(types.size())) {
        type = static_cast<size_t>(chosenType - 1);
        customPattern.clear();
      }
      continue;
    }
    if (entry.size() > 2 && entry.front() == '[' && entry.back() == ']')
      entry = entry.substr(1, entry.size() - 2);
    if (entry.empty()) entry = name;
    if (entry.empty()) continue;
    if (HasWildcards(entry)) {
      customPattern = entry;
      continue;
    }
    const fs::path chosen = Resolve(folder, entry);
    std::error_code error;
    if (fs::is_directory(chosen, error)) {
      folder = chosen;
      name.clear();
      continue;
    }
    path = chosen.string();
    return true;
  }
}

}  // namespace

bool OpenFileDialog(HWND owner, const std::string& initialName, const std::string& filter,
                    std::string& path) {
  const std::string initial = initialName.substr(0, std::min(initialName.size(), kMaxInitialName));
  const std::vector<FileType> types = ParseFilter(filter);
#ifdef _WIN32
  if (!Script::Instance().Active() && win32::NativeDialogsAvailable())
    return win32::ChooseFileWithSystemDialog(owner, initial, filter, path);
#endif
  if (!Script::Instance().Active() && CurrentBackend() == Backend::Headless && os::InputIsTerminal()) {
    // A close request that ends the dialog underneath ends the chooser too.
    const auto* ownerDialog = dynamic_cast<const Dialog*>(WindowFromHandle(owner));
    const HWND ownerHandle = owner;
    return ChooseOnTerminal(initial, types, path, [ownerDialog, ownerHandle] {
      return ownerDialog != nullptr && (!IsWindow(ownerHandle) || ownerDialog->HasEnded());
    });
  }
  if (FindDialogTemplate(kOpenFileTemplateId) == nullptr) RegisterDialogTemplate(OpenFileTemplate());
  OpenFileBox box(WindowFromHandle(owner), initial, types);
  if (box.DoModal() != IDOK) return false;
  path = box.chosen;
  return true;
}

}  // namespace platform
