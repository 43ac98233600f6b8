// settings_file.cpp — whole-file reads and atomic replacement of settings
// files, and the line model both stores edit.
#include "store/settings_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

#include "platform/files.h"
#include "store/file_ops.h"

namespace platform::store {

namespace {

void Report(const std::filesystem::path& path, const std::string& reason) {
  std::fprintf(stderr, "%s: settings not written: %s\n", path.string().c_str(), reason.c_str());
}

// The file a write must replace: path itself, or, when path is a symbolic
// link (or a chain of them), the file at its end, which need not exist yet.
std::filesystem::path WriteTarget(const std::filesystem::path& path) {
  std::filesystem::path target = path;
  for (int hop = 0; hop < 40; ++hop) {
    std::error_code error;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(target, error))) return target;
    std::filesystem::path next = std::filesystem::read_symlink(target, error);
    if (error) return target;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target;  // a loop: never reached by the stores, whose read of the file failed first
}

// Temporaries are named "." + file name + "." + six letters or digits
// (mkstemp's pattern).
std::string TemporaryPrefix(const std::filesystem::path& target) {
  return "." + target.filename().string() + ".";
}

bool IsTemporaryName(const std::string& name, const std::string& prefix) {
  if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) return false;
  for (size_t i = prefix.size(); i < name.size(); ++i) {
    const char c = name[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

// Removes the temporaries of earlier writes of this file that died between
// creating their temporary and renaming it (killed, power lost). A young one
// may belong to a write still under way in another process and is left.
void RemoveStaleTemporaries(const std::filesystem::path& folder, const std::filesystem::path& target) {
  const std::string prefix = TemporaryPrefix(target);
  std::error_code error;
  std::filesystem::directory_iterator entries(folder, error);
  if (error) return;
  for (const auto& entry : entries) {
    const std::string name = entry.path().filename().string();
    if (!IsTemporaryName(name, prefix)) continue;
    if (!file_ops::IsAbandoned(entry.path(), kStaleTemporarySeconds)) continue;
    std::filesystem::remove(entry.path(), error);
  }
}

}  // namespace

FileText ReadSettingsFile(const std::filesystem::path& path) {
  FileText result;
  const int fd = OpenRegularFile(path);
  if (fd < 0) {
    result.status = errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Unreadable;
    return result;
  }
  char chunk[8192];
  for (;;) {
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      result.status = ReadStatus::Unreadable;
      result.bytes.clear();
      return result;
    }
    if (n == 0) break;
    if (result.bytes.size() + static_cast<size_t>(n) > kMaxSettingsFileBytes) {
      close(fd);
      result.status = ReadStatus::TooLarge;
      result.bytes.clear();
      return result;
    }
    result.bytes.append(chunk, static_cast<size_t>(n));
  }
  close(fd);
  result.status = ReadStatus::Ok;
  return result;
}

void ReportNotRewritten(const std::filesystem::path& path, ReadStatus status) {
  static std::set<std::string> reported;
  if (!reported.insert(path.string()).second) return;
  Report(path, status == ReadStatus::TooLarge
                   ? "the file is larger than a settings file may be (1 MiB) and is kept as it is"
                   : "the file cannot be read (not a regular file, or no permission) and is kept as it is");
}

bool ReplaceFileAtomically(const std::filesystem::path& path, const std::string& bytes) {
  if (bytes.size() > kMaxSettingsFileBytes) {
    Report(path, "the new text (" + std::to_string(bytes.size()) +
                     " bytes) would be larger than a settings file may be (1 MiB); the old file is kept");
    return false;
  }
  const std::filesystem::path target = WriteTarget(path);
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    Report(path, "cannot create the folder " + folder.string() + ": " + error.message());
    return false;
  }
  RemoveStaleTemporaries(folder, target);

  std::filesystem::path name;
  const int fd = file_ops::CreateTemporary(folder, TemporaryPrefix(target), &name);
  if (fd < 0) {
    Report(path, std::string("cannot create a temporary file: ") + std::strerror(errno));
    return false;
  }
  auto fail = [&](const char* step) {
    const int cause = errno;
    close(fd);
    std::error_code ignored;
    std::filesystem::remove(name, ignored);
    Report(path, std::string(step) + ": " + std::strerror(cause));
    return false;
  };

  // Keep the old file's permissions; a new file gets rw-r--r--.
  if (!file_ops::CopyPermissions(fd, target)) return fail("cannot set the permissions");
  if (!file_ops::WriteAll(fd, bytes)) return fail("cannot write");
  if (!file_ops::Flush(fd)) return fail("cannot flush to disk");
  auto failClosed = [&](const char* step) {
    const int cause = errno;
    std::error_code ignored;
    std::filesystem::remove(name, ignored);
    Report(path, std::string(step) + ": " + std::strerror(cause));
    return false;
  };
  if (close(fd) != 0) return failClosed("cannot write");
  if (!file_ops::Replace(name, target)) return failClosed("cannot replace the file");
  // Make the replacement itself durable.
  file_ops::FlushFolder(folder);
  return true;
}

std::vector<TextLine> SplitLines(const std::string& bytes) {
  std::vector<TextLine> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t feed = bytes.find('\n', start);
    size_t next = feed == std::string::npos ? bytes.size() : feed + 1;
    size_t textEnd = feed == std::string::npos ? bytes.size() : feed;
    while (textEnd > start && bytes[textEnd - 1] == '\r') --textEnd;
    lines.push_back({bytes.substr(start, textEnd - start), bytes.substr(textEnd, next - textEnd)});
    start = next;
  }
  return lines;
}

std::string JoinLines(const std::vector<TextLine>& lines) {
  std::string text;
  for (const auto& line : lines) {
    text += line.text;
    text += line.end;
  }
  return text;
}

std::string NewLineEnd(const std::vector<TextLine>& lines) {
  return !lines.empty() && lines.front().end == "\r\n" ? "\r\n" : "\n";
}

void InsertLine(std::vector<TextLine>& lines, size_t at, std::string text) {
  const std::string end = NewLineEnd(lines);
  if (at > 0 && lines[at - 1].end.find('\n') == std::string::npos) lines[at - 1].end += '\n';
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), TextLine{std::move(text), end});
}

std::string Trim(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  const size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

}  // namespace platform::store
