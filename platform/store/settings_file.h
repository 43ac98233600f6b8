// settings_file.h — reading a settings file whole and replacing it
// atomically: the new text goes to a temporary file beside it, is flushed to
// disk, then renamed over the old one, so a crash leaves either the old file
// or the new one, never half of one.
//
// What a write keeps: every line it does not change goes back byte for byte,
// line end included, so a rewrite never changes how the rest of the file
// reads (a damaged line stays exactly as damaged as it was). A symbolic link
// stays a link: the file it points to is replaced. Temporary files left by
// writes that died half-way are removed by the next write.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace platform::store {

// Settings files are small. The same bound holds for reading and writing, so
// the stores never write a file they would then refuse to read.
constexpr size_t kMaxSettingsFileBytes = size_t{1} << 20;

enum class ReadStatus { Ok, Missing, Unreadable, TooLarge };

struct FileText {
  ReadStatus status = ReadStatus::Missing;
  std::string bytes;
};

// Never blocks: anything but a regular file (a FIFO, a device, a folder) is
// Unreadable without being read.
FileText ReadSettingsFile(const std::filesystem::path& path);

// Creates the folder when needed. False (the old file untouched, no
// temporary left behind, and the reason said on standard error) when any
// step fails or the text is larger than kMaxSettingsFileBytes.
bool ReplaceFileAtomically(const std::filesystem::path& path, const std::string& bytes);

// A write refused before it started because the old file could not be read
// whole (rewriting it would throw its contents away): says so on standard
// error, once per file and process.
void ReportNotRewritten(const std::filesystem::path& path, ReadStatus status);

// A temporary of an earlier write this old or older died with its writer.
constexpr int kStaleTemporarySeconds = 60;

// One line of a text file. text is what the stores parse: the bytes up to
// the "\n", less every "\r" right before it (a "\r\r\n" ends a line as "\r\n"
// does). end is what stood after text, kept so the line is written back as
// it was: "\n", "\r\n", "\r\r\n", or empty (or only "\r"s) on a last line
// without a line feed.
struct TextLine {
  std::string text;
  std::string end;
};

std::vector<TextLine> SplitLines(const std::string& bytes);
std::string JoinLines(const std::vector<TextLine>& lines);
// Inserts a line before lines[at] (at == size: appends), first giving the
// line before it a line feed if it had none (a last line).
void InsertLine(std::vector<TextLine>& lines, size_t at, std::string text);
// The line end for lines a write adds: the file's own "\r\n" where its first
// line has one, "\n" otherwise.
std::string NewLineEnd(const std::vector<TextLine>& lines);
std::string Trim(const std::string& text);

}  // namespace platform::store
