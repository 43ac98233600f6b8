// profile_file.cpp — the private settings file: "[Section]" headers holding
// "key=value" lines, sections and keys matched without regard to case. A
// write edits only its own line; every other line of the file, readable or
// not, is written back byte for byte, so after a write a read finds what was
// written and everything else as it read before. A read takes the first
// section of a name and, in it, the first line of a key; a write changes
// that same line (or adds one where a read would look first).
#include <cstring>
#include <optional>
#include <vector>

#include "core/core.h"
#include "store/settings_file.h"
#include "store/text_store_names.h"

namespace platform::store {

namespace {

// A line that holds anything but text (a NUL, other control bytes) is damage:
// it is neither a header nor a key, and is kept as it stands.
bool IsTextLine(const std::string& line) {
  for (char c : line) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 && c != '\t') return false;
  }
  return true;
}

std::optional<std::string> SectionOf(const std::string& line) {
  if (!IsTextLine(line)) return std::nullopt;
  std::string trimmed = Trim(line);
  if (trimmed.size() < 2 || trimmed.front() != '[') return std::nullopt;
  size_t close = trimmed.find(']');
  if (close == std::string::npos) return std::nullopt;
  return Trim(trimmed.substr(1, close - 1));
}

struct KeyLine {
  std::string key;
  std::string value;
};

std::optional<KeyLine> KeyOf(const std::string& line) {
  if (!IsTextLine(line)) return std::nullopt;
  std::string trimmed = Trim(line);
  if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '[') return std::nullopt;
  size_t equals = trimmed.find('=');
  if (equals == std::string::npos) return std::nullopt;
  return KeyLine{Trim(trimmed.substr(0, equals)), Trim(trimmed.substr(equals + 1))};
}

class ProfileFile {
 public:
  explicit ProfileFile(const std::string& fileName) : path(PathOf(fileName)) {
    FileText text = ReadSettingsFile(path);
    status = text.status;
    lines = SplitLines(text.bytes);
  }

  // Writing is refused when the old file could not be read whole: rewriting
  // it would throw its contents away.
  bool Writable() const {
    if (status == ReadStatus::Ok || status == ReadStatus::Missing) return true;
    ReportNotRewritten(path, status);
    return false;
  }

  // [first, end) line range of the section's body; header index in first - 1.
  std::optional<std::pair<size_t, size_t>> FindSection(const std::string& section) const {
    for (size_t i = 0; i < lines.size(); ++i) {
      auto name = SectionOf(lines[i].text);
      if (!name || !EqualsNoCase(*name, section)) continue;
      size_t end = i + 1;
      while (end < lines.size() && !SectionOf(lines[end].text)) ++end;
      return std::make_pair(i + 1, end);
    }
    return std::nullopt;
  }

  std::optional<size_t> FindKey(std::pair<size_t, size_t> body, const std::string& key) const {
    for (size_t i = body.first; i < body.second; ++i) {
      auto line = KeyOf(lines[i].text);
      if (line && EqualsNoCase(line->key, key)) return i;
    }
    return std::nullopt;
  }

  std::vector<std::string> SectionNames() const {
    std::vector<std::string> names;
    for (const auto& line : lines)
      if (auto name = SectionOf(line.text)) names.push_back(*name);
    return names;
  }

  std::vector<std::string> KeyNames(std::pair<size_t, size_t> body) const {
    std::vector<std::string> names;
    for (size_t i = body.first; i < body.second; ++i)
      if (auto line = KeyOf(lines[i].text)) names.push_back(line->key);
    return names;
  }

  bool Save() const { return ReplaceFileAtomically(path, JoinLines(lines)); }

  static std::filesystem::path PathOf(const std::string& fileName) {
    // A bare name lives in the settings folder; a name with a folder stands as given.
    if (fileName.find('/') != std::string::npos) return fileName;
    return SettingsFolder() / fileName;
  }

  std::filesystem::path path;
  ReadStatus status;
  std::vector<TextLine> lines;
};

// A value in matching quotes loses them, as Win32 reads it.
std::string Unquote(const std::string& value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

DWORD CopyOut(const std::string& text, char* buffer, DWORD size) {
  size_t n = std::min<size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return static_cast<DWORD>(n);
}

// A list of names, each ending in a zero, the list ending in one more. A
// list that does not fit is cut and still ends in two zeros; the result is
// then size - 2, as Win32 reports it. Nothing is written past buffer[size - 1].
DWORD CopyList(const std::vector<std::string>& names, char* buffer, DWORD size) {
  if (size == 0) return 0;
  std::string list;
  for (const auto& name : names) {
    list += name;
    list += '\0';
  }
  if (size == 1) {
    buffer[0] = 0;
    return 0;
  }
  if (list.size() + 1 <= size) {
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = 0;
    if (list.empty()) buffer[1] = 0;  // an empty list is two zeros too
    return static_cast<DWORD>(list.size());
  }
  std::memcpy(buffer, list.data(), size - 2);
  buffer[size - 2] = 0;
  buffer[size - 1] = 0;
  return size - 2;
}

// Names and values that a read would not find again as written are refused:
// control bytes make a line damage, and each kind has its own breaking
// characters.
bool Clean(const char* text, const char* forbidden) {
  return IsTextLine(text) && std::strpbrk(text, forbidden) == nullptr;
}

}  // namespace

}  // namespace platform::store

using platform::store::ProfileFile;

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue, char* buffer,
                               DWORD size, const char* fileName) {
  if (buffer == nullptr || size == 0) return 0;
  if (fileName == nullptr) fileName = "win.ini";
  ProfileFile file(fileName);
  if (section == nullptr) return platform::store::CopyList(file.SectionNames(), buffer, size);
  auto body = file.FindSection(platform::store::Trim(section));
  if (key == nullptr) {
    return platform::store::CopyList(body ? file.KeyNames(*body) : std::vector<std::string>{}, buffer, size);
  }
  if (body) {
    if (auto at = file.FindKey(*body, platform::store::Trim(key))) {
      auto line = platform::store::KeyOf(file.lines[*at].text);
      return platform::store::CopyOut(platform::store::Unquote(line->value), buffer, size);
    }
  }
  std::string fallback = defaultValue != nullptr ? defaultValue : "";
  while (!fallback.empty() && fallback.back() == ' ') fallback.pop_back();
  return platform::store::CopyOut(fallback, buffer, size);
}

UINT GetPrivateProfileIntA(const char* section, const char* key, int defaultValue, const char* fileName) {
  char text[64];
  if (GetPrivateProfileStringA(section, key, "", text, sizeof text, fileName) == 0)
    return static_cast<UINT>(defaultValue);
  // Win32's reading: blanks, a sign, a 0x / 0o / 0b prefix, digits up to the
  // first other character; no digits gives 0. Arithmetic wraps at 32 bits.
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  UINT base = 10;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    base = 16;
    p += 2;
  } else if (p[0] == '0' && (p[1] == 'o' || p[1] == 'O')) {
    base = 8;
    p += 2;
  } else if (p[0] == '0' && (p[1] == 'b' || p[1] == 'B')) {
    base = 2;
    p += 2;
  }
  UINT value = 0;
  for (;; ++p) {
    UINT digit;
    if (*p >= '0' && *p <= '9') {
      digit = static_cast<UINT>(*p - '0');
    } else if (*p >= 'a' && *p <= 'f') {
      digit = static_cast<UINT>(*p - 'a' + 10);
    } else if (*p >= 'A' && *p <= 'F') {
      digit = static_cast<UINT>(*p - 'A' + 10);
    } else {
      break;
    }
    if (digit >= base) break;
    value = value * base + digit;
  }
  return negative ? 0u - value : value;
}

BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName) {
  if (section == nullptr) return key == nullptr && value == nullptr ? TRUE : FALSE;
  if (fileName == nullptr) fileName = "win.ini";
  // Names and values that would break the file's lines are refused.
  if (!platform::store::Clean(section, "]") || (key != nullptr && !platform::store::Clean(key, "=[")) ||
      (value != nullptr && !platform::store::Clean(value, "")))
    return FALSE;
  const std::string sectionName = platform::store::Trim(section);
  std::string keyName = key != nullptr ? platform::store::Trim(key) : "";
  if (key != nullptr && (keyName.empty() || keyName[0] == ';')) return FALSE;
  ProfileFile file(fileName);
  if (!file.Writable()) return FALSE;
  auto& lines = file.lines;
  auto body = file.FindSection(sectionName);

  if (key == nullptr) {  // delete the section
    if (!body) return TRUE;
    lines.erase(lines.begin() + static_cast<long>(body->first - 1),
                lines.begin() + static_cast<long>(body->second));
    return file.Save() ? TRUE : FALSE;
  }
  std::optional<size_t> at;
  if (body) at = file.FindKey(*body, keyName);
  if (value == nullptr) {  // delete the key
    if (!at) return TRUE;
    lines.erase(lines.begin() + static_cast<long>(*at));
    return file.Save() ? TRUE : FALSE;
  }
  std::string entry = keyName + "=" + value;
  if (at) {
    if (lines[*at].text == entry) return TRUE;
    // The key keeps the spelling it had in the file, the line its line end.
    entry = platform::store::KeyOf(lines[*at].text)->key + "=" + value;
    lines[*at].text = entry;
  } else if (body) {
    // After the section's last non-blank line.
    size_t insert = body->second;
    while (insert > body->first && platform::store::Trim(lines[insert - 1].text).empty()) --insert;
    platform::store::InsertLine(lines, insert, entry);
  } else {
    if (!lines.empty() && !platform::store::Trim(lines.back().text).empty())
      platform::store::InsertLine(lines, lines.size(), "");
    platform::store::InsertLine(lines, lines.size(), "[" + sectionName + "]");
    platform::store::InsertLine(lines, lines.size(), entry);
  }
  return file.Save() ? TRUE : FALSE;
}
