// stubs_tmp.cpp — placeholder settings stores (defaults only) until the file-backed ones land.
#include <cstring>

#include "platform/win32.h"

UINT GetPrivateProfileIntA(const char*, const char*, int defaultValue, const char*) {
  return static_cast<UINT>(defaultValue);
}
BOOL WritePrivateProfileStringA(const char*, const char*, const char*, const char*) {
  return FALSE;
}
DWORD GetPrivateProfileStringA(const char*, const char*, const char* defaultValue, char* buffer, DWORD size,
                               const char*) {
  if (buffer == nullptr || size == 0) return 0;
  const char* text = defaultValue != nullptr ? defaultValue : "";
  size_t n = std::strlen(text);
  if (n >= size) n = size - 1;
  std::memcpy(buffer, text, n);
  buffer[n] = 0;
  return static_cast<DWORD>(n);
}
LSTATUS RegCreateKeyExA(HKEY, const char*, DWORD, char*, DWORD, DWORD, void*, HKEY* result, DWORD*) {
  if (result) *result = nullptr;
  return ERROR_ACCESS_DENIED;
}
LSTATUS RegOpenKeyExA(HKEY, const char*, DWORD, DWORD, HKEY* result) {
  if (result) *result = nullptr;
  return ERROR_FILE_NOT_FOUND;
}
LSTATUS RegQueryValueExA(HKEY, const char*, DWORD*, DWORD*, BYTE*, DWORD*) {
  return ERROR_FILE_NOT_FOUND;
}
LSTATUS RegSetValueExA(HKEY, const char*, DWORD, DWORD, const BYTE*, DWORD) {
  return ERROR_ACCESS_DENIED;
}
LSTATUS RegCloseKey(HKEY) {
  return ERROR_SUCCESS;
}
