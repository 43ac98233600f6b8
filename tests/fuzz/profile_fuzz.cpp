// profile_fuzz.cpp — the private settings file: any file reads without
// harm; the lists fit any buffer; and after a write the value written is
// what a read returns while every other key reads as before (or, when the
// write is refused, the file is left byte for byte).
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "fuzz_targets.h"
#include "platform/win32.h"

namespace fuzz {

namespace {

std::vector<std::string> List(const char* section, const char* file, size_t room) {
  std::vector<char> buffer(room);
  const DWORD n =
      GetPrivateProfileStringA(section, nullptr, "", buffer.data(), static_cast<DWORD>(room), file);
  std::vector<std::string> names;
  for (size_t at = 0; at < n;) {
    const std::string name(buffer.data() + at);
    names.push_back(name);
    at += name.size() + 1;
  }
  return names;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Every section's keys with their values, as reads give them (the first
// section and key of a name count, as for any read).
std::map<std::pair<std::string, std::string>, std::string> Everything(const char* file, size_t room) {
  std::map<std::pair<std::string, std::string>, std::string> values;
  std::vector<char> value(room);
  int sections = 0;
  for (const std::string& section : List(nullptr, file, room)) {
    if (++sections > 16) break;
    int keys = 0;
    for (const std::string& key : List(section.c_str(), file, room)) {
      if (++keys > 16) break;
      const auto where = std::make_pair(Upper(section), Upper(key));
      if (values.count(where) != 0) continue;
      GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value.data(), static_cast<DWORD>(room),
                               file);
      values[where] = value.data();
    }
  }
  return values;
}

std::string Contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

int ProfileFile(const uint8_t* data, size_t size) {
  const std::filesystem::path path = WriteScratch("fuzz.INI", data, size);
  const std::string file = path.string();
  // A list into a buffer of a size the input picks (the case that once
  // wrote past the buffer), exactly that size on the heap.
  const size_t small = size > 0 ? data[0] % 48 : 0;
  std::unique_ptr<char[]> exact(new char[small + 1]);
  GetPrivateProfileStringA(nullptr, nullptr, "", exact.get(), static_cast<DWORD>(small), file.c_str());
  GetPrivateProfileStringA("Config", nullptr, "", exact.get(), static_cast<DWORD>(small), file.c_str());

  const size_t room = size + 16;
  const auto before = Everything(file.c_str(), room);
  const std::string oldBytes = Contents(path);
  const int oldCount = static_cast<int>(GetPrivateProfileIntA("Config", "MaxObjects", 20, file.c_str()));
  const int newCount = oldCount == 25 ? 26 : 25;
  if (!WritePrivateProfileStringA("Config", "MaxObjects", std::to_string(newCount).c_str(), file.c_str())) {
    if (Contents(path) != oldBytes) Broken("profile", "a refused write changed the file");
    return 0;
  }
  if (static_cast<int>(GetPrivateProfileIntA("Config", "MaxObjects", 20, file.c_str())) != newCount)
    Broken("profile", "the value written is not what a read returns");
  const auto after = Everything(file.c_str(), room + 32);
  for (const auto& [where, value] : before) {
    if (where == std::make_pair(std::string("CONFIG"), std::string("MAXOBJECTS"))) continue;
    const auto found = after.find(where);
    if (found == after.end() || found->second != value)
      Broken("profile", "the write changed [" + where.first + "] " + where.second);
  }
  return 0;
}

}  // namespace fuzz
