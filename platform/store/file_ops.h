// file_ops.h — the steps of replacing a settings file atomically that differ
// between Linux (file_ops_posix.cpp) and Windows (file_ops_win32.cpp). Every
// descriptor is in binary mode: what is written is the bytes given.
#pragma once

#include <filesystem>
#include <string>

namespace platform::store::file_ops {

// Creates a new file only this process has opened, in folder, named prefix
// followed by six letters or digits. Its descriptor, with its name in *name;
// -1 with errno set when none could be made.
int CreateTemporary(const std::filesystem::path& folder, const std::string& prefix,
                    std::filesystem::path* name);

// Gives the file open as fd the permissions of existing (rw-r--r-- when
// there is none). On Windows the folder's rights apply and this does nothing.
bool CopyPermissions(int fd, const std::filesystem::path& existing);

// Writes all of bytes; false with errno set on failure.
bool WriteAll(int fd, const std::string& bytes);

// Flushes what was written to the disk.
bool Flush(int fd);

// Puts temporary in target's place in one step, replacing target when it is
// there. False with errno set; temporary is then left for the caller.
bool Replace(const std::filesystem::path& temporary, const std::filesystem::path& target);

// Makes a replacement in folder durable (Linux: the folder's own entry list).
void FlushFolder(const std::filesystem::path& folder);

// A temporary left by a write that died: a regular file of this user that
// has not changed for ageSeconds.
bool IsAbandoned(const std::filesystem::path& file, long long ageSeconds);

}  // namespace platform::store::file_ops
