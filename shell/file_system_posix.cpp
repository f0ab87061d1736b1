// Files by name on a POSIX system, where a name is bytes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "shell/file_io.h"

namespace {
bool Named(const char* path) { return path != nullptr && path[0] != '\0'; }

// The file a name finally reaches: replacing a link puts the new bytes where
// the link points, and leaves the link a link.
std::string FinalName(const char* target) {
  struct stat info;
  if (lstat(target, &info) == 0 && S_ISLNK(info.st_mode)) {
    char resolved[PATH_MAX];
    if (realpath(target, resolved) != nullptr) return resolved;
  }
  return target;
}

// A new file's mode: the old target's, or what the user's mask allows.
mode_t ModeFor(const std::string& target) {
  struct stat info;
  if (stat(target.c_str(), &info) == 0) return info.st_mode & 07777;
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}
}  // namespace

FileHandle OpenForReading(const char* path) {
  if (!Named(path)) return nullptr;
  FileHandle file(std::fopen(path, "rb"));
  struct stat info;
  // A directory opens here but holds no text.
  if (file && (fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode))) return nullptr;
  return file;
}

bool PathExists(const char* path) { return Named(path) && access(path, F_OK) == 0; }

bool IdentifyFile(const char* path, FileIdentity* identity) {
  struct stat info;
  if (!Named(path) || stat(path, &info) != 0) return false;
  identity->volume = static_cast<uint64_t>(info.st_dev);
  identity->index = static_cast<uint64_t>(info.st_ino);
  return true;
}

bool StartReplacement(const char* target, ReplacementRecord* record) {
  record->file.reset();
  record->temporary.clear();
  if (!Named(target)) return false;
  record->target = FinalName(target);
  struct stat info;
  if (stat(record->target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    if (S_ISDIR(info.st_mode)) return false;
    // A device, a pipe or a terminal is written to, never replaced.
    record->file.reset(std::fopen(record->target.c_str(), "wb"));
    return record->file != nullptr;
  }
  std::string pattern = record->target + ".zk-XXXXXX";
  int descriptor = mkstemp(pattern.data());
  if (descriptor >= 0) {
    fchmod(descriptor, ModeFor(record->target));
    record->file.reset(fdopen(descriptor, "wb"));
    if (!record->file) {
      close(descriptor);
      RemoveFile(pattern.c_str());
      return false;
    }
    record->temporary = pattern;
    return true;
  }
  // A folder that takes no new file: the target itself, when it may be written.
  if (errno != EACCES && errno != EPERM && errno != EROFS) return false;
  if (access(record->target.c_str(), W_OK) != 0) return false;
  record->file.reset(std::fopen(record->target.c_str(), "wb"));
  return record->file != nullptr;
}

bool MoveOver(const char* from, const char* to) { return std::rename(from, to) == 0; }

void RemoveFile(const char* path) { unlink(path); }
