// native_profile.cpp — the real private-profile calls, on a full path. The
// wide calls take the path as it is, whatever the user's folder is named.
#include <windows.h>

#include <vector>

#include "win32/native.h"

namespace platform::win32 {

namespace {

// Section, key and value texts, as the ANSI calls would have taken them.
std::wstring FromAnsi(const char* text) {
  if (text == nullptr || *text == 0) return {};
  int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(size > 0 ? size : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
  wide.resize(wide.size() - 1);
  return wide;
}

const wchar_t* OrNull(const char* text, const std::wstring& wide) {
  return text == nullptr ? nullptr : wide.c_str();
}

}  // namespace

unsigned ReadProfileInt(const char* section, const char* key, int defaultValue,
                        const std::filesystem::path& file) {
  std::wstring wideSection = FromAnsi(section), wideKey = FromAnsi(key);
  return ::GetPrivateProfileIntW(OrNull(section, wideSection), OrNull(key, wideKey), defaultValue,
                                 file.c_str());
}

unsigned long ReadProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                                unsigned long size, const std::filesystem::path& file) {
  if (buffer == nullptr || size == 0) return 0;
  std::wstring wideSection = FromAnsi(section), wideKey = FromAnsi(key), wideDefault = FromAnsi(defaultValue);
  std::vector<wchar_t> wide(size);
  DWORD length = ::GetPrivateProfileStringW(OrNull(section, wideSection), OrNull(key, wideKey),
                                            wideDefault.c_str(), wide.data(), size, file.c_str());
  // Back to the ANSI code page, cut to the caller's buffer as the A call cuts.
  int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(length), buffer,
                                  static_cast<int>(size - 1), nullptr, nullptr);
  if (bytes < 0) bytes = 0;
  buffer[bytes] = 0;
  return static_cast<unsigned long>(bytes);
}

bool WriteProfileText(const char* section, const char* key, const char* value,
                      const std::filesystem::path& file) {
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  std::wstring wideSection = FromAnsi(section), wideKey = FromAnsi(key), wideValue = FromAnsi(value);
  return ::WritePrivateProfileStringW(OrNull(section, wideSection), OrNull(key, wideKey),
                                      OrNull(value, wideValue), file.c_str()) != FALSE;
}

}  // namespace platform::win32
