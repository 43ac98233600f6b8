// native_text.h — the program's text (UTF-8, or the ANSI code page's bytes
// where it is not UTF-8, as an A call takes them) to and from the UTF-16 the
// system's W calls take.
#pragma once

#include <string>

namespace platform::win32 {

std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& wide);

}  // namespace platform::win32
