// Tiny but valid XM, S3M and MOD files built in memory, and file helpers for the sound tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace soundtest {

using Bytes = std::vector<std::uint8_t>;

// Two channels, one short pattern of notes on a looped tone; a second or so long at most.
Bytes TinyXm();
Bytes TinyS3m();
Bytes TinyMod();

// A fresh folder under the system's temporary folder, removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Writes `bytes` to `name` in the folder and returns its path.
  std::string Write(const std::string& name, const Bytes& bytes) const;
  std::string Path(const std::string& name) const { return (root / name).string(); }

 private:
  std::filesystem::path root;
};

Bytes ReadFile(const std::filesystem::path& path);

// Root-mean-square level of interleaved float samples.
double Rms(const std::vector<float>& samples);

}  // namespace soundtest
