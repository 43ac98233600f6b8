// native_text.cpp — UTF-8 (or ANSI) text to UTF-16 and back.
#include <windows.h>

#include <algorithm>

#include "win32/native_text.h"

namespace platform::win32 {

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  UINT codePage = CP_UTF8;
  int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
  if (size <= 0) {
    codePage = CP_ACP;  // not UTF-8: the ANSI code page's bytes
    size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  }
  std::wstring wide(static_cast<size_t>(std::max(size, 0)), L'\0');
  if (size > 0) MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), size);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(std::max(size, 0)), '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), size, nullptr, nullptr);
  return text;
}

}  // namespace platform::win32
