// resources.cpp — the resources a program registers at start-up, and the
// Win32 calls that find them: type and name without regard to case, "#666"
// for the number 666.
#include "platform/resources.h"

#include <cstdlib>
#include <map>

#include "core/core.h"
#include "platform/dialog.h"

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
  auto& bitmaps = TheResources().bitmaps;
  auto it = bitmaps.find(id);
  return it == bitmaps.end() ? std::span<const uint8_t>{} : it->second;
}

const std::string* FindString(int id) {
  auto& strings = TheResources().strings;
  auto it = strings.find(id);
  return it == strings.end() ? nullptr : &it->second;
}

}  // namespace platform

// An HRSRC and its HGLOBAL both point at the registered resource.
HRSRC FindResourceA(HINSTANCE module, const char* name, const char* type) {
  (void)module;
  if (name == nullptr || type == nullptr) return nullptr;
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
