// registry.cpp — HKEY_CURRENT_USER kept as a text file in the settings
// folder, in the registry editor's export form:
//   [HKEY_CURRENT_USER\Software\Corvane\Farreach\halcyon\Config]
//   "FileName"="/home/ann/music/trans.xm"
//   "Mute"=dword:00000000
// Key paths and value names match without regard to case. A key exists when
// a header names it or a key below it. Every change rewrites the file
// atomically and keeps every other line byte for byte, so after a write a
// read finds what was written and everything else as it read before: a read
// takes the first header of a key and, below it, the first line of a value;
// a write changes that same line (or adds one where a read would look first).
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <vector>

#include "core/core.h"
#include "store/settings_file.h"
#include "store/text_store_names.h"

struct HKeyTag {
  std::string path;  // below HKEY_CURRENT_USER, components joined by '\'; empty for the root
};

namespace platform::store {

namespace {

constexpr const char* kRegistryFileName = "registry.reg";
constexpr const char* kRoot = "HKEY_CURRENT_USER";

std::set<HKEY>& OpenKeys() {
  static std::set<HKEY> keys;
  return keys;
}

struct Value {
  DWORD type = REG_NONE;
  std::string bytes;
};

std::string EscapeText(const std::string& text) {
  std::string out;
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (u < 0x20 || u == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", u);
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted text starting at text[at] == '"'; sets at past the closing quote.
std::optional<std::string> ReadQuoted(const std::string& text, size_t& at) {
  if (at >= text.size() || text[at] != '"') return std::nullopt;
  std::string out;
  for (++at; at < text.size(); ++at) {
    char c = text[at];
    if (c == '"') {
      ++at;
      return out;
    }
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++at >= text.size()) return std::nullopt;
    switch (text[at]) {
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'x': {
        if (at + 2 >= text.size()) return std::nullopt;
        int high = HexDigit(text[at + 1]), low = HexDigit(text[at + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        at += 2;
        break;
      }
      default:
        out += text[at];
    }
  }
  return std::nullopt;
}

std::optional<std::string> ReadHexBytes(const std::string& text) {
  std::string out;
  size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    if (at >= text.size()) break;
    if (at + 1 >= text.size()) return std::nullopt;
    int high = HexDigit(text[at]), low = HexDigit(text[at + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    at += 2;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    if (at < text.size() && text[at] != ',') return std::nullopt;
    ++at;
  }
  return out;
}

// The key path of a header line (below HKEY_CURRENT_USER), if it is one of ours.
std::optional<std::string> HeaderOf(const std::string& line) {
  std::string trimmed = Trim(line);
  if (trimmed.size() < 2 || trimmed.front() != '[' || trimmed.back() != ']') return std::nullopt;
  std::string path = trimmed.substr(1, trimmed.size() - 2);
  size_t rootLength = std::strlen(kRoot);
  if (path.size() < rootLength || !EqualsNoCase(path.substr(0, rootLength), kRoot)) return std::nullopt;
  path.erase(0, rootLength);
  if (!path.empty() && path[0] != '\\') return std::nullopt;
  if (!path.empty()) path.erase(0, 1);
  return path;
}

struct ValueLine {
  std::string name;
  Value value;
};

std::optional<ValueLine> ValueOf(const std::string& line) {
  std::string trimmed = Trim(line);
  ValueLine result;
  size_t at = 0;
  if (trimmed.empty()) return std::nullopt;
  if (trimmed[0] == '@') {
    at = 1;
  } else {
    auto name = ReadQuoted(trimmed, at);
    if (!name) return std::nullopt;
    result.name = *name;
  }
  if (at >= trimmed.size() || trimmed[at] != '=') return std::nullopt;
  std::string data = trimmed.substr(at + 1);
  if (!data.empty() && data[0] == '"') {
    size_t pos = 0;
    auto text = ReadQuoted(data, pos);
    if (!text || pos != data.size()) return std::nullopt;
    result.value = Value{REG_SZ, text->substr(0, text->find('\0')) + std::string(1, '\0')};
    return result;
  }
  if (data.rfind("dword:", 0) == 0) {
    std::string digits = data.substr(6);
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    DWORD number = 0;
    for (char c : digits) {
      int digit = HexDigit(c);
      if (digit < 0) return std::nullopt;
      number = number * 16 + static_cast<DWORD>(digit);
    }
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    result.value = Value{REG_DWORD, bytes};
    return result;
  }
  DWORD type = 3;  // REG_BINARY
  size_t colon = data.find(':');
  if (colon == std::string::npos) return std::nullopt;
  std::string form = data.substr(0, colon);
  if (form.rfind("hex(", 0) == 0 && form.back() == ')') {
    std::string digits = form.substr(4, form.size() - 5);
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    type = 0;
    for (char c : digits) {
      int digit = HexDigit(c);
      if (digit < 0) return std::nullopt;
      type = type * 16 + static_cast<DWORD>(digit);
    }
  } else if (form != "hex") {
    return std::nullopt;
  }
  auto bytes = ReadHexBytes(data.substr(colon + 1));
  if (!bytes) return std::nullopt;
  result.value = Value{type, *bytes};
  return result;
}

std::string FormatValue(const std::string& name, const Value& value) {
  std::string line = name.empty() ? "@=" : "\"" + EscapeText(name) + "\"=";
  if (value.type == REG_SZ)
    return line + "\"" + EscapeText(value.bytes.substr(0, value.bytes.find('\0'))) + "\"";
  if (value.type == REG_DWORD && value.bytes.size() == 4) {
    DWORD number = 0;
    for (int i = 3; i >= 0; --i) number = number * 256 + static_cast<unsigned char>(value.bytes[i]);
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", number);
    return line + text;
  }
  char prefix[24];
  std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
  line += prefix;
  for (size_t i = 0; i < value.bytes.size(); ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%s%02x", i == 0 ? "" : ",", static_cast<unsigned char>(value.bytes[i]));
    line += hex;
  }
  return line;
}

class RegistryFile {
 public:
  RegistryFile() : path(SettingsFolder() / kRegistryFileName) {
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

  bool KeyExists(const std::string& key) const {
    if (key.empty()) return true;
    std::string upper = ToUpper(key);
    for (const auto& line : lines) {
      auto header = HeaderOf(line.text);
      if (!header) continue;
      std::string name = ToUpper(*header);
      if (name == upper || name.rfind(upper + "\\", 0) == 0) return true;
    }
    return false;
  }

  // The body [first, end) of the key's first header.
  std::optional<std::pair<size_t, size_t>> FindKey(const std::string& key) const {
    for (size_t i = 0; i < lines.size(); ++i) {
      auto header = HeaderOf(lines[i].text);
      if (!header || !EqualsNoCase(*header, key)) continue;
      size_t end = i + 1;
      while (end < lines.size() && Trim(lines[end].text).rfind('[', 0) != 0) ++end;
      return std::make_pair(i + 1, end);
    }
    return std::nullopt;
  }

  std::optional<std::pair<size_t, Value>> FindValue(const std::string& key, const std::string& name) const {
    auto body = FindKey(key);
    if (!body) return std::nullopt;
    for (size_t i = body->first; i < body->second; ++i) {
      auto line = ValueOf(lines[i].text);
      if (line && EqualsNoCase(line->name, name)) return std::make_pair(i, line->value);
    }
    return std::nullopt;
  }

  // Adds a header for the key; returns where its body ends.
  size_t AddKey(const std::string& key) {
    if (!lines.empty() && !Trim(lines.back().text).empty()) InsertLine(lines, lines.size(), "");
    InsertLine(lines, lines.size(), "[" + std::string(kRoot) + (key.empty() ? "" : "\\" + key) + "]");
    return lines.size();
  }

  bool SetValue(const std::string& key, const std::string& name, const Value& value) {
    std::string line = FormatValue(name, value);
    if (auto found = FindValue(key, name)) {
      lines[found->first].text = line;
    } else if (auto body = FindKey(key)) {
      size_t insert = body->second;
      while (insert > body->first && Trim(lines[insert - 1].text).empty()) --insert;
      InsertLine(lines, insert, line);
    } else {
      AddKey(key);
      InsertLine(lines, lines.size(), line);
    }
    return Save();
  }

  bool Save() const { return ReplaceFileAtomically(path, JoinLines(lines)); }

  std::filesystem::path path;
  ReadStatus status;
  std::vector<TextLine> lines;
};

std::optional<std::string> PathBelow(HKEY key) {
  if (key == HKEY_CURRENT_USER) return std::string();
  if (OpenKeys().count(key) == 0) return std::nullopt;
  return key->path;
}

// Joins a key's path and a sub-key, dropping empty components; nullopt for a
// sub-key that cannot be kept on one header line.
std::optional<std::string> JoinPath(const std::string& base, const char* subKey) {
  std::string path = base;
  if (subKey == nullptr) return path;
  std::string part;
  auto flush = [&] {
    if (part.empty()) return;
    path += path.empty() ? part : "\\" + part;
    part.clear();
  };
  for (const char* p = subKey; *p != 0; ++p) {
    unsigned char u = static_cast<unsigned char>(*p);
    if (u < 0x20 || *p == ']' || *p == '[') return std::nullopt;
    if (*p == '\\') {
      flush();
    } else {
      part += *p;
    }
  }
  flush();
  return path;
}

HKEY NewHandle(const std::string& path) {
  HKEY key = new HKeyTag{path};
  OpenKeys().insert(key);
  return key;
}

}  // namespace

}  // namespace platform::store

using namespace platform::store;

LSTATUS RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* className, DWORD options,
                        DWORD access, void* security, HKEY* result, DWORD* disposition) {
  (void)reserved;
  (void)className;
  (void)options;
  (void)access;
  (void)security;
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  auto base = PathBelow(key);
  if (!base) return ERROR_INVALID_HANDLE;
  auto path = JoinPath(*base, subKey);
  if (!path) return ERROR_INVALID_PARAMETER;
  RegistryFile file;
  bool exists = file.KeyExists(*path);
  if (!exists) {
    if (!file.Writable()) return ERROR_ACCESS_DENIED;
    file.AddKey(*path);
    if (!file.Save()) return ERROR_ACCESS_DENIED;
  }
  if (disposition != nullptr) *disposition = exists ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
  *result = NewHandle(*path);
  return ERROR_SUCCESS;
}

LSTATUS RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, DWORD access, HKEY* result) {
  (void)options;
  (void)access;
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  auto base = PathBelow(key);
  if (!base) return ERROR_INVALID_HANDLE;
  auto path = JoinPath(*base, subKey);
  if (!path) return ERROR_INVALID_PARAMETER;
  if (!RegistryFile().KeyExists(*path)) return ERROR_FILE_NOT_FOUND;
  *result = NewHandle(*path);
  return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                         DWORD* dataSize) {
  (void)reserved;
  auto path = PathBelow(key);
  if (!path) return ERROR_INVALID_HANDLE;
  if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;
  auto found = RegistryFile().FindValue(*path, valueName != nullptr ? valueName : "");
  if (!found) return ERROR_FILE_NOT_FOUND;
  const Value& value = found->second;
  DWORD needed = static_cast<DWORD>(value.bytes.size());
  if (type != nullptr) *type = value.type;
  if (data == nullptr) {
    if (dataSize != nullptr) *dataSize = needed;
    return ERROR_SUCCESS;
  }
  if (*dataSize < needed) {
    *dataSize = needed;
    return ERROR_MORE_DATA;
  }
  std::memcpy(data, value.bytes.data(), needed);
  *dataSize = needed;
  return ERROR_SUCCESS;
}

LSTATUS RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                       DWORD dataSize) {
  (void)reserved;
  auto path = PathBelow(key);
  if (!path) return ERROR_INVALID_HANDLE;
  if (data == nullptr && dataSize != 0) return ERROR_INVALID_PARAMETER;
  Value value;
  value.type = type;
  std::string bytes(reinterpret_cast<const char*>(data), data != nullptr ? dataSize : 0);
  if (type == REG_SZ) {
    value.bytes = bytes.substr(0, bytes.find('\0')) + std::string(1, '\0');
  } else if (type == REG_DWORD) {
    if (dataSize != 4) return ERROR_INVALID_PARAMETER;
    value.bytes = bytes;
  } else {
    value.bytes = bytes;
  }
  RegistryFile file;
  if (!file.Writable()) return ERROR_ACCESS_DENIED;
  return file.SetValue(*path, valueName != nullptr ? valueName : "", value) ? ERROR_SUCCESS
                                                                            : ERROR_ACCESS_DENIED;
}

LSTATUS RegCloseKey(HKEY key) {
  if (key == HKEY_CURRENT_USER) return ERROR_SUCCESS;
  if (OpenKeys().erase(key) == 0) return ERROR_INVALID_HANDLE;
  delete key;
  return ERROR_SUCCESS;
}
