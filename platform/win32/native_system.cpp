// native_system.cpp — the clock, sleeping, thread priority, the system's
// message box and the program's folders, on the real Win32 API.
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "win32/native.h"
#include "win32/native_text.h"

namespace platform::win32 {

uint32_t TickCount() {
  return static_cast<uint32_t>(::GetTickCount());
}

void SleepMs(uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

bool SetCurrentThreadPriority(int priority) {
  return ::SetThreadPriority(::GetCurrentThread(), priority) != FALSE;
}

int ShowSystemMessageBox(uintptr_t owner, const std::string& text, const std::string& caption,
                         unsigned type) {
  // The program's texts are UTF-8; the wide call shows them whatever the code page.
  return ::MessageBoxW(reinterpret_cast<HWND>(owner), Widen(text).c_str(), Widen(caption).c_str(), type);
}

std::filesystem::path ModulePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::filesystem::path(std::wstring(buffer.data(), length));
    buffer.resize(buffer.size() * 2);
  }
}

std::optional<std::filesystem::path> WritableWindowsFolder() {
  wchar_t folder[MAX_PATH];
  UINT length = ::GetWindowsDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  std::filesystem::path path(std::wstring(folder, length));
  // A 64-bit program gets no file virtualisation: a user who may not write
  // here is refused, so the only sure test is to try.
  std::filesystem::path probe = path / L"savers-write-probe.tmp";
  HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    // Another program of ours may be probing at this moment.
    if (::GetLastError() == ERROR_FILE_EXISTS) return path;
    return std::nullopt;
  }
  ::CloseHandle(file);
  return path;
}

std::filesystem::path PerUserFolder() {
  PWSTR folder = nullptr;
  std::filesystem::path path;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder)))
    path = std::filesystem::path(folder) / L"savers";
  ::CoTaskMemFree(folder);
  return path;
}

std::optional<std::span<const uint8_t>> ModuleResource(const std::string& type, const std::string& name) {
  auto id = [](const std::string& key) -> std::wstring {
    return key.empty() ? std::wstring() : Widen(key);  // "#666" is Win32's own spelling of the number
  };
  const std::wstring typeName = id(type), resourceName = id(name);
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceW(module, resourceName.c_str(), typeName.c_str());
  if (found == nullptr) return std::nullopt;
  HGLOBAL loaded = ::LoadResource(module, found);
  const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (bytes == nullptr) return std::nullopt;
  return std::span<const uint8_t>(static_cast<const uint8_t*>(bytes), ::SizeofResource(module, found));
}

std::optional<std::string> ModuleString(int id) {
  const wchar_t* text = nullptr;
  // With no buffer, the call points at the string in the resource itself.
  const int length =
      ::LoadStringW(::GetModuleHandleW(nullptr), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return std::nullopt;
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(std::max(size, 0)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, narrow.data(), size, nullptr, nullptr);
  return narrow;
}

}  // namespace platform::win32
