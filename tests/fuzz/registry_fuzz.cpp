// registry_fuzz.cpp — registry.reg: any file reads without harm, and after
// a write the values written are what reads return, other values as before.
// halcyon's own key (its program name fixed, whatever runs this).
#include <cstring>
#include <optional>

#include "fuzz_targets.h"
#include "platform/win32.h"

namespace fuzz {

namespace {

constexpr const char* kConfig = "Software\\Corvane\\Farreach\\halcyon\\Config";

// As halcyon's reads and writes go: the key opened (and created) first.
struct Config {
  Config() {
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kConfig, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      key = nullptr;
  }
  ~Config() {
    if (key != nullptr) RegCloseKey(key);
  }
  std::optional<std::string> Read(const char* name) const {
    DWORD type = 0, size = 0;
    if (key == nullptr || RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      return std::nullopt;
    std::string data(size, '\0');
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
      return std::nullopt;
    data.resize(size);
    return std::to_string(type) + ":" + data;
  }
  bool Write(const char* name, DWORD type, const std::string& data) const {
    return key != nullptr && RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                            static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
  }
  HKEY key = nullptr;
};

}  // namespace

int RegistryFile(const uint8_t* data, size_t size) {
  Scratch();
  WriteScratch("registry.reg", data, size);
  const std::optional<std::string> other = Config().Read("Other");
  const std::optional<std::string> mute = Config().Read("Mute");
  const DWORD value = mute && mute->size() > 2 && (*mute)[2] == 1 ? 0 : 1;
  std::string dword(4, '\0');
  std::memcpy(dword.data(), &value, 4);
  if (Config().Write("Mute", REG_DWORD, dword) &&
      Config().Read("Mute") != std::to_string(REG_DWORD) + ":" + dword)
    Broken("registry", "the integer written is not what a read returns");
  const std::string name =
      value == 1 ? std::string("/music/a \"b\"\\c.xm") : std::string("/music/\x01\xff.xm");
  if (Config().Write("FileName", REG_SZ, name + '\0') &&
      Config().Read("FileName") != std::to_string(REG_SZ) + ":" + name + '\0')
    Broken("registry", "the text written is not what a read returns");
  if (Config().Read("Other") != other) Broken("registry", "a write changed another value");
  return 0;
}

}  // namespace fuzz
