// The running program's folder, where the installed music lies beside it.
#if defined(_WIN32)
#include <windows.h>
#endif

#include <string>
#include <system_error>

#include "audio_output.h"

namespace sound {

std::filesystem::path ProgramFolder() {
#if defined(_WIN32)
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) {
      name.resize(length);
      break;
    }
    name.resize(name.size() * 2);  // cut short: ask again with more room
  }
  return std::filesystem::path(name).parent_path();
#else
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : self.parent_path();
#endif
}

}  // namespace sound
