// scratch.cpp — the fuzz targets' private folder and their way of failing.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "fuzz_targets.h"

namespace fuzz {

namespace {

// Memory-backed where the machine has it: every run rewrites its files.
std::filesystem::path Base() {
  std::error_code error;
  if (std::filesystem::is_directory("/dev/shm", error) && access("/dev/shm", W_OK) == 0) return "/dev/shm";
  return std::filesystem::temp_directory_path();
}

}  // namespace

const std::filesystem::path& Scratch() {
  static const std::filesystem::path folder = [] {
    setenv("GLIDE_DISPLAY", "headless", 1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::filesystem::path path = Base() / ("savers_fuzz_" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
    setenv("SAVER_HOME", path.string().c_str(), 1);
    // Removed at exit; a fuzzer that stops on a crash may leave it behind.
    std::atexit([] {
      std::error_code error;
      std::filesystem::remove_all(Base() / ("savers_fuzz_" + std::to_string(getpid())), error);
    });
    return path;
  }();
  return folder;
}

std::filesystem::path WriteScratch(const std::string& name, const uint8_t* data, size_t size) {
  const std::filesystem::path path = Scratch() / name;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}

void Broken(const char* target, const std::string& promise) {
  std::fprintf(stderr, "fuzz %s: %s\n", target, promise.c_str());
  std::abort();
}

}  // namespace fuzz
