// settings_file.h — reading a settings file whole and replacing it
// atomically: the new text goes to a temporary file beside it, is flushed to
// disk, then renamed over the old one, so a crash leaves either the old file
// or the new one, never half of one.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace platform::store {

// Settings files are small; a larger file is not ours to rewrite.
constexpr size_t kMaxSettingsFileBytes = size_t{1} << 20;

enum class ReadStatus { Ok, Missing, Unreadable, TooLarge };

struct FileText {
  ReadStatus status = ReadStatus::Missing;
  std::string bytes;
};

FileText ReadSettingsFile(const std::filesystem::path& path);

// Creates the folder when needed. False (and the old file untouched, no
// temporary left behind) when any step fails.
bool ReplaceFileAtomically(const std::filesystem::path& path, const std::string& bytes);

// Lines of a text file, without their line ends ("\n" or "\r\n").
std::vector<std::string> SplitLines(const std::string& bytes);
std::string JoinLines(const std::vector<std::string>& lines);
std::string Trim(const std::string& text);

}  // namespace platform::store
