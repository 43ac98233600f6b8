// savers-register-xscreensaver — puts halcyon and tessera into the user's
// XScreenSaver list (~/.xscreensaver, programs:), or with --remove takes them
// out. Nothing else in the file changes; the new file replaces the old one
// atomically, keeping its permissions, and a linked file is replaced where it
// really lies.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "programs_list.h"

namespace fs = std::filesystem;
using namespace savers::registration;

namespace {

constexpr const char* kUsage =
    "usage: savers-register-xscreensaver [--remove]\n"
    "Adds halcyon and tessera to the programs: list in ~/.xscreensaver (once),\n"
    "or with --remove takes them out again. Nothing else in the file changes.\n";

// The folder with both programs: the installed hacks folder relative to this
// program (bin -> libexec/xscreensaver), else this program's own (the build
// tree; links in bin/ lead to the first).
std::optional<fs::path> SaversFolder() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (error) return std::nullopt;
  for (const fs::path& folder :
       {(self.parent_path() / SAVERS_HACKS_FROM_BIN).lexically_normal(), self.parent_path()}) {
    if (access((folder / "halcyon").c_str(), X_OK) == 0 && access((folder / "tessera").c_str(), X_OK) == 0)
      return folder;
  }
  return std::nullopt;
}

// A path as a word of a shell command line.
std::string ShellWord(const std::string& text) {
  if (text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/._+-") ==
      std::string::npos)
    return text;
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Writes text beside `target` and renames it over the target.
bool ReplaceAtomically(const fs::path& target, const std::string& text, mode_t mode, std::string& error) {
  std::string temporary = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = mkstemp(temporary.data());
  if (fd < 0) {
    error = "cannot create a file beside it: " + std::string(std::strerror(errno));
    return false;
  }
  bool ok = fchmod(fd, mode & 07777) == 0;
  size_t written = 0;
  while (ok && written < text.size()) {
    const ssize_t n = write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) written += static_cast<size_t>(n);
  }
  ok = ok && fsync(fd) == 0;
  const int saved = errno;
  ok = close(fd) == 0 && ok;
  if (ok && std::rename(temporary.c_str(), target.c_str()) == 0) return true;
  error = "cannot write it: " + std::string(std::strerror(ok ? errno : saved));
  unlink(temporary.c_str());
  return false;
}

std::string Names(const std::vector<std::string>& names) {
  std::string text;
  for (size_t i = 0; i < names.size(); ++i) text += (i == 0 ? "" : " and ") + names[i];
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  bool remove = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--remove") {
      remove = true;
    } else if (argument == "--help" || argument == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else {
      std::fprintf(stderr, "savers-register-xscreensaver: unknown argument \"%s\"\n%s", argument.c_str(),
                   kUsage);
      return 2;
    }
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == 0) {
    std::fputs("savers-register-xscreensaver: HOME is not set\n", stderr);
    return 1;
  }
  const fs::path file = fs::path(home) / ".xscreensaver";
  std::error_code error;
  // A settings file kept elsewhere and linked in is changed where it lies.
  const fs::path target = fs::exists(file, error) ? fs::canonical(file, error) : file;
  struct stat status {};
  if (error || stat(target.c_str(), &status) != 0) {
    std::fprintf(stderr,
                 "savers-register-xscreensaver: %s does not exist; open XScreenSaver's settings "
                 "(xscreensaver-settings) once so that it writes the file, then run this again\n",
                 file.c_str());
    return 1;
  }
  std::ifstream in(target, std::ios::binary);
  std::stringstream read;
  read << in.rdbuf();
  if (!in && !in.eof()) {
    std::fprintf(stderr, "savers-register-xscreensaver: cannot read %s\n", target.c_str());
    return 1;
  }
  const std::string old = read.str();

  Edit edit;
  if (remove) {
    edit = RemoveSavers(old, {"halcyon", "tessera"});
  } else {
    const std::optional<fs::path> folder = SaversFolder();
    if (!folder) {
      std::fputs("savers-register-xscreensaver: cannot find the installed halcyon and tessera\n", stderr);
      return 1;
    }
    // halcyon reads only its first argument: the run switch comes first.
    edit = AddSavers(old, {{"Halcyon", ShellWord((*folder / "halcyon").string()) + " -s"},
                           {"Tessera", ShellWord((*folder / "tessera").string())}});
  }
  if (!edit.error.empty()) {
    std::fprintf(stderr, "savers-register-xscreensaver: %s left as it was: %s\n", file.c_str(),
                 edit.error.c_str());
    return 1;
  }
  if (edit.names.empty()) {
    std::printf("%s: halcyon and tessera are %s; nothing changed\n", file.c_str(),
                remove ? "not in its programs: list" : "in its programs: list already");
    return 0;
  }
  std::string failure;
  if (!ReplaceAtomically(target, edit.text, status.st_mode, failure)) {
    std::fprintf(stderr, "savers-register-xscreensaver: %s left as it was: %s\n", file.c_str(),
                 failure.c_str());
    return 1;
  }
  std::printf("%s: %s %s its programs: list\n", file.c_str(), remove ? "removed" : "added",
              (Names(edit.names) + (remove ? " from" : " to")).c_str());
  if (!remove)
    std::puts("Choose the saver in xscreensaver-settings; XScreenSaver notices the change by itself.");
  return 0;
}
