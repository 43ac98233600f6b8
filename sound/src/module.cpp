// Loading and rendering of one tracker module through libopenmpt, with every exception caught here.
#include "module.h"

#include <libopenmpt/libopenmpt.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <vector>

namespace sound {

namespace {

// The file's descriptor when it is a regular file, -1 otherwise: a FIFO or a device named as the music
// file would block open() or read() for good. The type is checked before a non-blocking open and again
// on what was opened. (The platform layer has the same rule; this library does not depend on it.)
int OpenRegularFile(const char* path) {
#if defined(_WIN32)
  // Windows has no FIFOs among files; its devices (CON, NUL, COM1, ...) are
  // what stat calls character devices. Binary mode: no line end is changed.
  struct stat info {};
  if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  const int fd = _open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) return -1;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
#else
  struct stat info {};
  if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  const int flags = fcntl(fd, F_GETFL);
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
      fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    close(fd);
    return -1;
  }
  return fd;
#endif
}

// Reads a whole regular file of at most kMaxModuleBytes; false for anything else (missing, a folder, a
// device or pipe that could block or never end, too big, a read error).
bool ReadSmallFile(const char* path, std::vector<std::byte>& bytes) {
  const int fd = OpenRegularFile(path);
  if (fd < 0) return false;
  struct stat info {};
  bool ok = fstat(fd, &info) == 0 && info.st_size > 0 &&
            static_cast<std::uint64_t>(info.st_size) <= kMaxModuleBytes;
  if (ok) {
    // The size is what it was when asked; a file that grows meanwhile is read up to it.
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
      const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    ok = got == bytes.size();
  }
  close(fd);
  return ok;
}

}  // namespace

Module::~Module() = default;

std::unique_ptr<Module> Module::FromMemory(std::span<const std::byte> bytes) noexcept {
  if (bytes.empty() || bytes.size() > kMaxModuleBytes) return nullptr;
  try {
    std::unique_ptr<Module> module(new Module());
    module->decoder = std::make_unique<openmpt::module>(bytes.data(), bytes.size(), module->log);
    module->decoder->set_repeat_count(-1);
    return module;
  } catch (...) {
    return nullptr;
  }
}

std::unique_ptr<Module> Module::FromFile(const char* path) noexcept {
  if (path == nullptr || path[0] == '\0') return nullptr;
  try {
    std::vector<std::byte> bytes;
    if (!ReadSmallFile(path, bytes)) return nullptr;
    return FromMemory(bytes);
  } catch (...) {
    return nullptr;
  }
}

std::size_t Module::RenderStereo(std::int32_t rateHz, float* interleaved, std::size_t frames) noexcept {
  std::size_t done = 0;
  try {
    // A repeating module fills every request; the loop only guards against a decoder that stops short.
    while (done < frames) {
      std::size_t got = decoder->read_interleaved_stereo(rateHz, frames - done, interleaved + 2 * done);
      if (got == 0) break;
      done += got;
    }
  } catch (...) {
  }
  std::fill(interleaved + 2 * done, interleaved + 2 * frames, 0.0f);
  return done;
}

void Module::Rewind() noexcept {
  try {
    decoder->set_position_seconds(0.0);
  } catch (...) {
  }
}

double Module::DurationSeconds() const noexcept {
  try {
    return decoder->get_duration_seconds();
  } catch (...) {
    return 0.0;
  }
}

int Module::ChannelCount() const noexcept {
  return decoder->get_num_channels();
}
int Module::OrderCount() const noexcept {
  return decoder->get_num_orders();
}
int Module::PatternCount() const noexcept {
  return decoder->get_num_patterns();
}
int Module::InstrumentCount() const noexcept {
  return decoder->get_num_instruments();
}
int Module::SampleCount() const noexcept {
  return decoder->get_num_samples();
}

}  // namespace sound
