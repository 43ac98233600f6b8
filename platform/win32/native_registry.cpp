// native_registry.cpp — the real registry, one call each.
#include <windows.h>

#include "win32/native.h"

namespace platform::win32 {

namespace {

HKEY KeyOf(uintptr_t key) {
  return reinterpret_cast<HKEY>(key);
}

}  // namespace

long CreateKey(uintptr_t key, const char* subKey, unsigned long options, unsigned long access,
               uintptr_t* result, unsigned long* disposition) {
  HKEY opened = nullptr;
  DWORD how = 0;
  LSTATUS status = ::RegCreateKeyExA(KeyOf(key), subKey, 0, nullptr, options, access, nullptr, &opened, &how);
  if (result != nullptr) *result = reinterpret_cast<uintptr_t>(opened);
  if (disposition != nullptr) *disposition = how;
  return status;
}

long OpenKey(uintptr_t key, const char* subKey, unsigned long options, unsigned long access,
             uintptr_t* result) {
  HKEY opened = nullptr;
  LSTATUS status = ::RegOpenKeyExA(KeyOf(key), subKey, options, access, &opened);
  if (result != nullptr) *result = reinterpret_cast<uintptr_t>(opened);
  return status;
}

long QueryValue(uintptr_t key, const char* valueName, unsigned long* type, uint8_t* data,
                unsigned long* dataSize) {
  DWORD kind = 0;
  DWORD size = dataSize != nullptr ? *dataSize : 0;
  LSTATUS status =
      ::RegQueryValueExA(KeyOf(key), valueName, nullptr, &kind, data, dataSize != nullptr ? &size : nullptr);
  if (type != nullptr) *type = kind;
  if (dataSize != nullptr) *dataSize = size;
  return status;
}

long SetValue(uintptr_t key, const char* valueName, unsigned long type, const uint8_t* data,
              unsigned long dataSize) {
  return ::RegSetValueExA(KeyOf(key), valueName, 0, type, data, dataSize);
}

long CloseKey(uintptr_t key) {
  return ::RegCloseKey(KeyOf(key));
}

long DeleteTree(uintptr_t key, const char* subKey) {
  return ::RegDeleteTreeA(KeyOf(key), subKey);
}

}  // namespace platform::win32
