// saver_soak.cpp — a soak of the programs as they run: each saver, started
// headless from the folder this command lies in, draws N frames
// (SAVER_FRAMES) while its resident memory is sampled from /proc. Printed
// per saver: resident memory once it has drawn for a moment (the start),
// at its last sample before it ended (the end), the growth between them,
// the peak the kernel counted, the frames per second and the exit status.
//
//   saver_soak [FRAMES] [SAVER...]     default 10000 frames, halcyon and tessera
//   SOAK_WARMUP_MS=2000 saver_soak ... how long a run counts as starting up
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Resident memory of a process in KiB (VmRSS), 0 once it is gone.
long ResidentKib(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return 0;
}

struct Soak {
  long startKib = 0, endKib = 0, peakKib = 0;
  double seconds = 0.0;
  int status = -1;
};

Soak Run(const std::filesystem::path& program, long frames, long warmupMs,
         const std::filesystem::path& home) {
  Soak soak;
  const auto began = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    setenv("GLIDE_DISPLAY", "headless", 1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("SAVER_SEED", "1", 1);
    setenv("SAVER_FRAMES", std::to_string(frames).c_str(), 1);
    setenv("SAVER_HOME", home.c_str(), 1);
    unsetenv("GLIDE_CAPTURE");
    unsetenv("SAVER_EVENTS");
    // halcyon runs with its run switch; tessera runs without one. Both find
    // their data beside the program.
    if (chdir(program.parent_path().c_str()) != 0) _exit(127);
    const std::string name = program.filename().string();
    if (name == "halcyon") {
      execl(program.c_str(), name.c_str(), "/s", static_cast<char*>(nullptr));
    } else {
      execl(program.c_str(), name.c_str(), static_cast<char*>(nullptr));
    }
    _exit(127);
  }
  if (child < 0) return soak;
  int status = 0;
  rusage usage{};
  for (;;) {
    const pid_t done = wait4(child, &status, WNOHANG, &usage);
    if (done == child) break;
    const long kib = ResidentKib(child);
    const auto elapsedMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - began).count();
    if (kib > 0) {
      if (soak.startKib == 0 && elapsedMs >= warmupMs) soak.startKib = kib;
      soak.endKib = kib;
      soak.peakKib = std::max(soak.peakKib, kib);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  soak.seconds = std::chrono::duration<double>(Clock::now() - began).count();
  // The kernel's high-water mark, or the highest sample where that is lower
  // (the two count a few pages differently).
  soak.peakKib = std::max(soak.peakKib, static_cast<long>(usage.ru_maxrss));
  soak.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return soak;
}

}  // namespace

int main(int argc, char** argv) {
  long frames = 10000;
  std::vector<std::string> savers;
  for (int i = 1; i < argc; ++i) {
    char* end = nullptr;
    const long value = std::strtol(argv[i], &end, 10);
    if (end != argv[i] && *end == '\0' && value > 0) {
      frames = value;
    } else {
      savers.emplace_back(argv[i]);
    }
  }
  if (savers.empty()) savers = {"halcyon", "tessera"};
  const char* warmupText = std::getenv("SOAK_WARMUP_MS");
  const long warmupMs = warmupText != nullptr ? std::strtol(warmupText, nullptr, 10) : 2000;

  std::error_code error;
  const std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
  const std::filesystem::path home =
      std::filesystem::temp_directory_path() / ("saver_soak_" + std::to_string(getpid()));
  std::filesystem::create_directories(home);

  std::printf("%-8s %8s %12s %12s %10s %12s %8s %6s\n", "saver", "frames", "start KiB", "end KiB", "growth",
              "peak KiB", "fps", "exit");
  int failures = 0;
  for (const std::string& saver : savers) {
    const Soak soak = Run(folder / saver, frames, warmupMs, home);
    const long growth = soak.startKib > 0 ? soak.endKib - soak.startKib : 0;
    std::printf("%-8s %8ld %12ld %12ld %+10ld %12ld %8.0f %6d\n", saver.c_str(), frames, soak.startKib,
                soak.endKib, growth, soak.peakKib, soak.seconds > 0 ? frames / soak.seconds : 0.0,
                soak.status);
    if (soak.startKib == 0)
      std::printf("  (%s ended within the %ld ms warm-up: no start sample; run more frames)\n", saver.c_str(),
                  warmupMs);
    failures += soak.status != 0;
  }
  std::filesystem::remove_all(home, error);
  return failures == 0 ? 0 : 1;
}
