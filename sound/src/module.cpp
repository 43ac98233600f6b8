// Loading and rendering of one tracker module through libopenmpt, with every exception caught here.
#include "module.h"

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace sound {

namespace {

// Reads a whole regular file of at most kMaxModuleBytes; false for anything else (missing, a folder, a
// device or pipe that could block or never end, too big).
bool ReadSmallFile(const char* path, std::vector<std::byte>& bytes) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  bool ok = false;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    long size = std::ftell(file);
    if (size > 0 && static_cast<std::uint64_t>(size) <= kMaxModuleBytes &&
        std::fseek(file, 0, SEEK_SET) == 0) {
      bytes.resize(static_cast<std::size_t>(size));
      ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
  }
  std::fclose(file);
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
