// win32_stores.cpp — the settings stores on Windows are the system's own:
// HKEY_CURRENT_USER is the real registry, and the settings file goes through
// the real private-profile calls, in the Windows directory, where Win32 puts
// a settings file named without a folder, when this user may write there,
// else in the per-user folder %APPDATA%\savers. A run with SAVER_HOME set
// (tests, a copy kept apart from the user's settings) keeps both as text in
// that folder instead, as on Linux (store/text_store_names.h).
#include <cstdlib>

#include "platform/win32.h"
#include "win32/native.h"
#include "win32/win32_backend.h"

namespace platform::win32 {

std::filesystem::path SettingsFileFolder() {
  // Decided once: a program reads and writes its file in one place for the whole run.
  static const std::filesystem::path folder = [] {
    if (auto windows = WritableWindowsFolder()) return *windows;
    return PerUserFolder();
  }();
  return folder;
}

std::filesystem::path SettingsFilePath(const char* fileName) {
  std::filesystem::path name = fileName != nullptr ? fileName : "win.ini";
  // A name with a folder is taken as it stands, as Win32 takes it.
  if (name.has_parent_path() || name.has_root_path()) return name;
  return SettingsFileFolder() / name;
}

}  // namespace platform::win32

// The text stores' calls (store/registry.cpp, store/profile_file.cpp).
LSTATUS TextRegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* className, DWORD options,
                            DWORD access, void* security, HKEY* result, DWORD* disposition);
LSTATUS TextRegOpenKeyExA(HKEY key, const char* subKey, DWORD options, DWORD access, HKEY* result);
LSTATUS TextRegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                             DWORD* dataSize);
LSTATUS TextRegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                           DWORD dataSize);
LSTATUS TextRegCloseKey(HKEY key);
DWORD TextGetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                                   char* buffer, DWORD size, const char* fileName);
UINT TextGetPrivateProfileIntA(const char* section, const char* key, int defaultValue, const char* fileName);
BOOL TextWritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                    const char* fileName);

namespace {

uintptr_t Native(HKEY key) {
  return reinterpret_cast<uintptr_t>(key);
}

bool TextStores() {
  const char* home = std::getenv("SAVER_HOME");
  return home != nullptr && *home != 0;
}

}  // namespace

// The registry: every call is the system's, with the platform's handle type.
LSTATUS RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* className, DWORD options,
                        DWORD access, void* security, HKEY* result, DWORD* disposition) {
  if (TextStores())
    return TextRegCreateKeyExA(key, subKey, reserved, className, options, access, security, result,
                               disposition);
  (void)reserved;
  (void)className;
  (void)security;
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  uintptr_t opened = 0;
  unsigned long how = 0;
  long status = platform::win32::CreateKey(Native(key), subKey, options, access, &opened, &how);
  *result = status == ERROR_SUCCESS ? reinterpret_cast<HKEY>(opened) : nullptr;
  if (disposition != nullptr && status == ERROR_SUCCESS) *disposition = static_cast<DWORD>(how);
  return static_cast<LSTATUS>(status);
}

LSTATUS RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, DWORD access, HKEY* result) {
  if (TextStores()) return TextRegOpenKeyExA(key, subKey, options, access, result);
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  uintptr_t opened = 0;
  long status = platform::win32::OpenKey(Native(key), subKey, options, access, &opened);
  *result = status == ERROR_SUCCESS ? reinterpret_cast<HKEY>(opened) : nullptr;
  return static_cast<LSTATUS>(status);
}

LSTATUS RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                         DWORD* dataSize) {
  if (TextStores()) return TextRegQueryValueExA(key, valueName, reserved, type, data, dataSize);
  (void)reserved;
  if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;
  unsigned long kind = 0;
  unsigned long size = dataSize != nullptr ? *dataSize : 0;
  long status =
      platform::win32::QueryValue(Native(key), valueName, &kind, data, dataSize != nullptr ? &size : nullptr);
  if (type != nullptr) *type = static_cast<DWORD>(kind);
  if (dataSize != nullptr) *dataSize = static_cast<DWORD>(size);
  return static_cast<LSTATUS>(status);
}

LSTATUS RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                       DWORD dataSize) {
  if (TextStores()) return TextRegSetValueExA(key, valueName, reserved, type, data, dataSize);
  (void)reserved;
  if (data == nullptr && dataSize != 0) return ERROR_INVALID_PARAMETER;
  return static_cast<LSTATUS>(platform::win32::SetValue(Native(key), valueName, type, data, dataSize));
}

LSTATUS RegCloseKey(HKEY key) {
  if (TextStores()) return TextRegCloseKey(key);
  return static_cast<LSTATUS>(platform::win32::CloseKey(Native(key)));
}

// The settings file.
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue, char* buffer,
                               DWORD size, const char* fileName) {
  if (TextStores()) return TextGetPrivateProfileStringA(section, key, defaultValue, buffer, size, fileName);
  return static_cast<DWORD>(platform::win32::ReadProfileString(section, key, defaultValue, buffer, size,
                                                               platform::win32::SettingsFilePath(fileName)));
}

UINT GetPrivateProfileIntA(const char* section, const char* key, int defaultValue, const char* fileName) {
  if (TextStores()) return TextGetPrivateProfileIntA(section, key, defaultValue, fileName);
  return platform::win32::ReadProfileInt(section, key, defaultValue,
                                         platform::win32::SettingsFilePath(fileName));
}

BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName) {
  if (TextStores()) return TextWritePrivateProfileStringA(section, key, value, fileName);
  return platform::win32::WriteProfileText(section, key, value, platform::win32::SettingsFilePath(fileName))
             ? TRUE
             : FALSE;
}
