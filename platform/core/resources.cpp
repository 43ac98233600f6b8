// resources.cpp — the resources a program registers at start-up, and the
// Win32 calls that find them: type and name without regard to case, "#666"
// for the number 666. On Windows the program file's own resources (its .rc)
// come first, and the registered ones stand in for any it lacks.
#include "platform/resources.h"

#include <cstdlib>
#include <map>
#include <vector>

#include "core/core.h"
#include "platform/dialog.h"
#ifdef _WIN32
#include "win32/native.h"
#endif

namespace platform {

namespace {

struct Resource {
  std::span<const uint8_t> bytes;
};

struct Resources {
  std::map<std::pair<std::string, std::string>, Resource> custom;  // (TYPE, NAME) upper case
  std::map<int, DialogTemplate> dialogs;  // copies: a template may be built on the stack
  std::map<int, std::span<const uint8_t>> bitmaps;
  std::map<int, std::string> strings;
#ifdef _WIN32
  std::map<std::pair<std::string, std::string>, Resource> module;  // the program file's, once found
  std::map<int, std::vector<uint8_t>> moduleBitmaps;               // as .bmp files
  std::map<int, std::string> moduleStrings;
#endif
};

Resources& TheResources() {
  static Resources resources;
  return resources;
}

// A resource name or type as Win32 passes it: a small integer for
// MAKEINTRESOURCE, "#123" for the same number, or a name.
std::string NameKey(const char* name) {
  uintptr_t value = reinterpret_cast<uintptr_t>(name);
  if (value < 0x10000) return "#" + std::to_string(value);
  std::string text = name;
  if (text.size() > 1 && text[0] == '#') {
    char* end = nullptr;
    unsigned long number = std::strtoul(text.c_str() + 1, &end, 10);
    if (end != nullptr && *end == 0 && number < 0x10000) return "#" + std::to_string(number);
  }
  return ToUpper(text);
}

}  // namespace

void RegisterResource(const std::string& type, int id, std::span<const uint8_t> bytes) {
  TheResources().custom[{NameKey(type.c_str()), "#" + std::to_string(id)}] = Resource{bytes};
}

void RegisterDialogTemplate(const DialogTemplate& dialogTemplate) {
  TheResources().dialogs[dialogTemplate.id] = dialogTemplate;
}

void RegisterBitmap(int id, std::span<const uint8_t> bmpFile) {
  TheResources().bitmaps[id] = bmpFile;
}

void RegisterString(int id, const std::string& text) {
  TheResources().strings[id] = text;
}

const DialogTemplate* FindDialogTemplate(int id) {
  auto& dialogs = TheResources().dialogs;
  auto it = dialogs.find(id);
  return it == dialogs.end() ? nullptr : &it->second;
}

std::span<const uint8_t> FindBitmap(int id) {
#ifdef _WIN32
  // A BITMAP resource is a .bmp file without its 14-byte file header.
  auto& files = TheResources().moduleBitmaps;
  if (auto known = files.find(id); known != files.end()) return known->second;
  if (auto bitmap = win32::ModuleResource("#2", "#" + std::to_string(id)); bitmap && bitmap->size() >= 40) {
    const auto read32 = [&](size_t at) {
      return static_cast<uint32_t>((*bitmap)[at]) | (static_cast<uint32_t>((*bitmap)[at + 1]) << 8) |
             (static_cast<uint32_t>((*bitmap)[at + 2]) << 16) |
             (static_cast<uint32_t>((*bitmap)[at + 3]) << 24);
    };
    const uint32_t headerSize = read32(0), bitCount = (*bitmap)[14] | ((*bitmap)[15] << 8);
    uint32_t colours = read32(32);
    if (colours == 0 && bitCount <= 8) colours = 1u << bitCount;
    const uint32_t pixelOffset = 14 + headerSize + colours * 4;
    const uint32_t fileSize = 14 + static_cast<uint32_t>(bitmap->size());
    std::vector<uint8_t> file = {'B', 'M'};
    for (uint32_t value : {fileSize, 0u, pixelOffset})
      for (int shift = 0; shift < 32; shift += 8) file.push_back(static_cast<uint8_t>(value >> shift));
    file.insert(file.end(), bitmap->begin(), bitmap->end());
    return files[id] = std::move(file);
  }
#endif
  auto& bitmaps = TheResources().bitmaps;
  auto it = bitmaps.find(id);
  return it == bitmaps.end() ? std::span<const uint8_t>{} : it->second;
}

const std::string* FindString(int id) {
#ifdef _WIN32
  auto& moduleStrings = TheResources().moduleStrings;
  if (auto known = moduleStrings.find(id); known != moduleStrings.end()) return &known->second;
  if (auto text = win32::ModuleString(id)) return &(moduleStrings[id] = *text);
#endif
  auto& strings = TheResources().strings;
  auto it = strings.find(id);
  return it == strings.end() ? nullptr : &it->second;
}

}  // namespace platform

// An HRSRC and its HGLOBAL both point at the registered resource.
HRSRC FindResourceA(HINSTANCE module, const char* name, const char* type) {
  (void)module;
  if (name == nullptr || type == nullptr) return nullptr;
#ifdef _WIN32
  {
    auto& module = platform::TheResources().module;
    const std::pair<std::string, std::string> key{platform::NameKey(type), platform::NameKey(name)};
    if (auto known = module.find(key); known != module.end()) return reinterpret_cast<HRSRC>(&known->second);
    if (auto bytes = platform::win32::ModuleResource(key.first, key.second))
      return reinterpret_cast<HRSRC>(&(module[key] = platform::Resource{*bytes}));
  }
#endif
  auto& custom = platform::TheResources().custom;
  auto it = custom.find({platform::NameKey(type), platform::NameKey(name)});
  return it == custom.end() ? nullptr : reinterpret_cast<HRSRC>(&it->second);
}

DWORD SizeofResource(HINSTANCE module, HRSRC resource) {
  (void)module;
  if (resource == nullptr) return 0;
  return static_cast<DWORD>(reinterpret_cast<const platform::Resource*>(resource)->bytes.size());
}

HGLOBAL LoadResource(HINSTANCE module, HRSRC resource) {
  (void)module;
  return reinterpret_cast<HGLOBAL>(resource);
}

void* LockResource(HGLOBAL data) {
  if (data == nullptr) return nullptr;
  // Resources are read-only; Win32 hands them out as void* all the same.
  return const_cast<uint8_t*>(reinterpret_cast<const platform::Resource*>(data)->bytes.data());
}
