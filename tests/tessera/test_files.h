// test_files.h — helpers for tessera's tests: a scratch folder that is
// removed afterwards, model files written record by record, and the folder
// the build generated the saver's data into.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace tessera::testing {

inline std::filesystem::path DataFolder() {
  return TESSERA_DATA_DIR;
}

// A fresh folder under the system's temporary folder; the current folder
// moves into it while the object lives, and back afterwards.
class ScratchFolder {
 public:
  ScratchFolder() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("tessera_") + (test ? test->test_suite_name() : "x") + "_" +
                       (test ? test->name() : "y") + "_" + std::to_string(::getpid());
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    path = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    previous = std::filesystem::current_path();
    std::filesystem::current_path(path);
  }
  ~ScratchFolder() {
    std::error_code error;
    std::filesystem::current_path(previous, error);
    std::filesystem::remove_all(path, error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Copies the named generated data files in.
  void CopyData(const std::vector<std::string>& names) const {
    for (const std::string& name : names) std::filesystem::copy_file(DataFolder() / name, path / name);
  }

  std::filesystem::path path;

 private:
  std::filesystem::path previous;
};

// Bytes of a model file, little-endian.
class ModelBytes {
 public:
  ModelBytes& U32(uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return *this;
  }
  ModelBytes& F32(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return U32(bits);
  }
  ModelBytes& Vertex(float x, float y, float z, uint32_t ignored = 0) {
    return U32(ignored).F32(x).F32(y).F32(z);
  }
  ModelBytes& Face(uint32_t a, uint32_t b, uint32_t c, uint32_t ignored = 0) {
    return U32(ignored).U32(a).U32(b).U32(c);
  }
  ModelBytes& Truncate(size_t size) {
    bytes.resize(size);
    return *this;
  }
  void Write(const std::filesystem::path& path) const {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<uint8_t> bytes;
};

}  // namespace tessera::testing
