// internal_scale.cpp — GLIDE_SCALE, GLIDE_COLOR, glide.ini and the native scale.
#include "internal_scale.h"

#include <fcntl.h>
#include <sys/stat.h>
#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace gfx {

namespace {

constexpr size_t kMaxSettingsBytes = 64 * 1024;  // far more than one section needs

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& ch : out)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return out;
}

// The file's bytes when it is a regular file of a sane size; a FIFO or a
// device in its place would block, so the type is checked before a
// non-blocking open and again on what was opened (as the .3df reader does).
// Nothing with *missing set when there is no such file.
std::optional<std::string> ReadSettingsFile(const std::filesystem::path& path, bool* missing,
                                            std::string* error) {
  *missing = false;
#if defined(_WIN32)
  // Windows has no FIFOs among files; its devices are not regular files.
  std::error_code failed;
  const std::filesystem::file_status status = std::filesystem::status(path, failed);
  if (failed || !std::filesystem::exists(status)) {
    *missing = true;
    return std::nullopt;
  }
  const uintmax_t size =
      std::filesystem::is_regular_file(status) ? std::filesystem::file_size(path, failed) : 0;
  if (!std::filesystem::is_regular_file(status) || failed || size > kMaxSettingsBytes) {
    *error = "not a regular file of at most 64 KiB";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  std::string text(static_cast<size_t>(size), '\0');
  if (!in || !in.read(text.data(), static_cast<std::streamsize>(text.size()))) {
    *error = "cannot be read";
    return std::nullopt;
  }
  return text;
#else
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    *missing = true;
    return std::nullopt;
  }
  if (!S_ISREG(info.st_mode)) {
    *error = "not a regular file";
    return std::nullopt;
  }
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    *error = "cannot be opened";
    return std::nullopt;
  }
  std::string text;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
      static_cast<uint64_t>(info.st_size) > kMaxSettingsBytes) {
    close(fd);
    *error = "not a regular file of at most 64 KiB";
    return std::nullopt;
  }
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0) {
      close(fd);
      *error = "cannot be read";
      return std::nullopt;
    }
    if (got == 0) break;
    text.append(buffer, static_cast<size_t>(got));
    if (text.size() > kMaxSettingsBytes) {
      close(fd);
      *error = "larger than 64 KiB";
      return std::nullopt;
    }
  }
  close(fd);
  return text;
#endif
}

}  // namespace

std::optional<ScaleSetting> ParseScaleSetting(std::string_view text) {
  const std::string value = Lower(Trim(text));
  if (value == "native") return ScaleSetting{true, 1};
  if (value.size() == 1 && value[0] >= '1' && value[0] <= '0' + kMaxScale)
    return ScaleSetting{false, value[0] - '0'};
  return std::nullopt;
}

std::optional<int> ParseColourSetting(std::string_view text) {
  const std::string_view value = Trim(text);
  if (value == "16") return 16;
  if (value == "32") return 32;
  return std::nullopt;
}

int NativeScale(int outputWidth, int outputHeight, int width, int height) {
  if (outputWidth <= 0 || outputHeight <= 0 || width <= 0 || height <= 0) return 1;
  return std::clamp(std::min(outputWidth / width, outputHeight / height), 1, kMaxScale);
}

int ResolveScale(const ScaleSetting& setting, int outputWidth, int outputHeight, int width, int height) {
  int scale = setting.native ? NativeScale(outputWidth, outputHeight, width, height) : setting.scale;
  scale = std::clamp(scale, 1, kMaxScale);
  while (scale > 1 && (width * scale > kMaxBufferSide || height * scale > kMaxBufferSide)) --scale;
  return scale;
}

LibrarySettings ParseLibrarySettingsFile(std::string_view text, std::string* warnings) {
  LibrarySettings setting;
  bool inSection = false;
  int lineNumber = 0;
  auto warn = [&](const std::string& message) {
    *warnings += "line " + std::to_string(lineNumber) + ": " + message + "\n";
  };
  while (!text.empty()) {
    const auto end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    ++lineNumber;
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') {
        warn("a section name must end with ]");
        inSection = false;
        continue;
      }
      inSection = Lower(Trim(line.substr(1, line.size() - 2))) == "glide";
      if (!inSection) warn("unknown section " + std::string(line) + " (only [glide] is read)");
      continue;
    }
    if (!inSection) {
      warn("setting outside the [glide] section ignored");
      continue;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
      warn("expected key = value");
      continue;
    }
    const std::string key = Lower(Trim(line.substr(0, equals)));
    const std::string_view value = Trim(line.substr(equals + 1));
    if (key == "scale") {
      if (auto parsed = ParseScaleSetting(value))
        setting.scale = *parsed;
      else
        warn("scale must be 1, 2, 3, 4 or native, not \"" + std::string(value) + "\"");
    } else if (key == "color" || key == "colour") {
      if (auto parsed = ParseColourSetting(value))
        setting.colourBits = *parsed;
      else
        warn("color must be 16 or 32, not \"" + std::string(value) + "\"");
    } else {
      warn("unknown setting \"" + key + "\"");
    }
  }
  return setting;
}

ScaleSetting ParseLibrarySettings(std::string_view text, std::string* warnings) {
  return ParseLibrarySettingsFile(text, warnings).scale;
}

std::filesystem::path LibrarySettingsPath() {
  if (const char* path = std::getenv("GLIDE_INI"); path != nullptr && *path != 0) return path;
  std::filesystem::path folder;
  if (const char* home = std::getenv("SAVER_HOME"); home != nullptr && *home != 0) folder = home;
#if defined(_WIN32)
  else if (const char* data = std::getenv("APPDATA"); data != nullptr && *data != 0)
    folder = std::filesystem::path(data) / "savers";
#else
  else if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/')
    folder = std::filesystem::path(config) / "savers";
  else if (const char* user = std::getenv("HOME"); user != nullptr && *user != 0)
    folder = std::filesystem::path(user) / ".config" / "savers";
#endif
  else
    folder = std::filesystem::path(".config") / "savers";
  return folder / "glide.ini";
}

LibrarySettings ChosenLibrarySettings() {
  std::optional<ScaleSetting> scale;
  std::optional<int> colourBits;
  if (const char* text = std::getenv("GLIDE_SCALE"); text != nullptr && *text != 0) {
    scale = ParseScaleSetting(text);
    if (!scale)
      std::fprintf(
          stderr, "glide: GLIDE_SCALE=\"%s\" is not 1, 2, 3, 4 or native; the settings file decides\n", text);
  }
  if (const char* text = std::getenv("GLIDE_COLOR"); text != nullptr && *text != 0) {
    colourBits = ParseColourSetting(text);
    if (!colourBits)
      std::fprintf(stderr, "glide: GLIDE_COLOR=\"%s\" is not 16 or 32; the settings file decides\n", text);
  }
  LibrarySettings setting;
  if (!scale || !colourBits) {
    // The file is read (and its mistakes reported) only when it decides something.
    const std::filesystem::path path = LibrarySettingsPath();
    bool missing = false;
    std::string error;
    const std::optional<std::string> text = ReadSettingsFile(path, &missing, &error);
    if (text) {
      std::string warnings;
      setting = ParseLibrarySettingsFile(*text, &warnings);
      if (!warnings.empty())
        std::fprintf(stderr, "glide: settings file %s:\n%s", path.string().c_str(), warnings.c_str());
    } else if (!missing) {
      std::fprintf(stderr, "glide: settings file %s %s; its defaults are kept\n", path.string().c_str(),
                   error.c_str());
    }
  }
  if (scale) setting.scale = *scale;
  if (colourBits) setting.colourBits = *colourBits;
  return setting;
}

ScaleSetting ChosenScaleSetting() {
  return ChosenLibrarySettings().scale;
}

}  // namespace gfx
