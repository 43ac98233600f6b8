// scr_resources.cpp — reads a program file's resources as Windows reads them
// (the file loaded as data, FindResource, LoadString, GetFileVersionInfo),
// for the tests of the .scr files (tests/win32/wine_e2e.sh):
//   scr_resources FILE resource TYPE NAME OUT   the resource's bytes into OUT ("#666" names a number)
//   scr_resources FILE string ID                string ID of the string table
//   scr_resources FILE version KEY              the version information's KEY (FileDescription, ...)
//   scr_resources FILE icon                     the first icon group's id, as Explorer takes it
// Exit status 1 when the file has no such resource.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::wstring Widen(const char* text) {
  const int size = ::MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(size > 0 ? size - 1 : 0), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), size);
  return wide;
}

void PrintUtf8(const wchar_t* text, int length) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(size > 0 ? size : 0), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, length, narrow.data(), size, nullptr, nullptr);
  std::printf("%s\n", narrow.c_str());
}

BOOL CALLBACK FirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
  *reinterpret_cast<std::wstring*>(found) =
      IS_INTRESOURCE(name) ? std::to_wstring(reinterpret_cast<uintptr_t>(name)) : std::wstring(name);
  return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: scr_resources FILE resource|string|version|icon ...\n");
    return 2;
  }
  const std::wstring file = Widen(argv[1]);
  const std::string what = argv[2];
  if (what == "version") {
    if (argc != 4) return 2;
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    std::vector<unsigned char> info(size);
    if (size == 0 || !::GetFileVersionInfoW(file.c_str(), 0, size, info.data())) return 1;
    // The first language the file lists.
    struct Translation {
      WORD language, codePage;
    }* translations = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                          &length) ||
        length < sizeof(Translation))
      return 1;
    wchar_t key[128];
    std::swprintf(key, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language,
                  translations[0].codePage, Widen(argv[3]).c_str());
    wchar_t* value = nullptr;
    if (!::VerQueryValueW(info.data(), key, reinterpret_cast<void**>(&value), &length) || length == 0)
      return 1;
    PrintUtf8(value, static_cast<int>(length) - 1);
    return 0;
  }

  HMODULE module =
      ::LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) {
    std::fprintf(stderr, "scr_resources: cannot load %s (error %lu)\n", argv[1], ::GetLastError());
    return 2;
  }
  if (what == "resource" && argc == 6) {
    const std::wstring type = Widen(argv[3]), name = Widen(argv[4]);
    HRSRC found = ::FindResourceW(module, name.c_str(), type.c_str());
    if (found == nullptr) return 1;
    const void* bytes = ::LockResource(::LoadResource(module, found));
    const DWORD size = ::SizeofResource(module, found);
    FILE* out = std::fopen(argv[5], "wb");
    if (out == nullptr || bytes == nullptr || std::fwrite(bytes, 1, size, out) != size) return 2;
    return std::fclose(out) == 0 ? 0 : 2;
  }
  if (what == "string" && argc == 4) {
    const wchar_t* text = nullptr;
    const int length =
        ::LoadStringW(module, static_cast<UINT>(std::atoi(argv[3])), reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0) return 1;
    // Quoted, so that trailing spaces show.
    std::wstring quoted = L"\"" + std::wstring(text, static_cast<size_t>(length)) + L"\"";
    PrintUtf8(quoted.c_str(), static_cast<int>(quoted.size()));
    return 0;
  }
  if (what == "icon" && argc == 3) {
    std::wstring name;
    ::EnumResourceNamesW(module, reinterpret_cast<LPCWSTR>(RT_GROUP_ICON), FirstName,
                         reinterpret_cast<LONG_PTR>(&name));
    if (name.empty()) return 1;
    PrintUtf8(name.c_str(), static_cast<int>(name.size()));
    return 0;
  }
  std::fprintf(stderr, "scr_resources: unknown request\n");
  return 2;
}
