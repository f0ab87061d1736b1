// Files by name on a POSIX system, where a name is bytes.
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "base/file_io.h"

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

// The user's mask, read once: reading it sets it for a moment, which files
// made meanwhile on another thread would take.
mode_t UserMask() {
  static const mode_t mask = [] {
    const mode_t read = umask(0);
    umask(read);
    return read;
  }();
  return mask;
}

// A new file's mode: the old target's, or what the user's mask allows.
mode_t ModeFor(const std::string& target) {
  struct stat info;
  if (stat(target.c_str(), &info) == 0) return info.st_mode & 07777;
  return 0666 & ~UserMask();
}

// The new files being written, for the signal handlers; an empty slot holds
// none. Files convert on several threads, each writing its own.
constexpr int PendingSlots = 64;
char pendingNames[PendingSlots][PATH_MAX] = {};
std::mutex pendingLock;

constexpr int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The signal mask from before the ending signals were held back. They are
// held while a new file is made or forgotten, so that a handler never meets
// a file that exists but is not yet named in pendingNames, nor a name half
// changed.
struct EndingSignalsHeld {
  sigset_t previous;
};

void HoldEndingSignals(EndingSignalsHeld* held) {
  sigset_t signals;
  sigemptyset(&signals);
  for (int signal : EndingSignals) sigaddset(&signals, signal);
  pthread_sigmask(SIG_BLOCK, &signals, &held->previous);
}

void ReleaseEndingSignals(const EndingSignalsHeld& held) { pthread_sigmask(SIG_SETMASK, &held.previous, nullptr); }

// Removes the unfinished files, then ends the process as the signal would.
void RemovePendingAndEnd(int signal) {
  for (const char* name : pendingNames)
    if (name[0] != '\0') unlink(name);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// Names the new file in a free slot; signals are held by the caller. Past
// the last slot a file is not removed on a signal.
void NamePending(const std::string& name) {
  if (name.size() >= PATH_MAX) return;
  const std::lock_guard<std::mutex> hold(pendingLock);
  for (char* slot : pendingNames) {
    if (slot[0] != '\0') continue;
    std::memcpy(slot, name.c_str(), name.size() + 1);
    return;
  }
}

void ForgetPendingName(const std::string& name) {
  EndingSignalsHeld held;
  HoldEndingSignals(&held);
  {
    const std::lock_guard<std::mutex> hold(pendingLock);
    for (char* slot : pendingNames)
      if (name == slot) slot[0] = '\0';
  }
  ReleaseEndingSignals(held);
}

// The target itself, opened for writing. A regular file is locked first, so
// that another writer in place finishes before this one empties it.
FileHandle OpenInPlace(const std::string& target, bool regular) {
  if (!regular) return FileHandle(std::fopen(target.c_str(), "wb"));
  int descriptor = open(target.c_str(), O_WRONLY | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  if (flock(descriptor, LOCK_EX) != 0 || ftruncate(descriptor, 0) != 0) {
    close(descriptor);
    return nullptr;
  }
  FileHandle file(fdopen(descriptor, "wb"));
  if (!file) close(descriptor);
  return file;
}

// Every byte written is in the file: its buffer reached the system and a
// regular file is as long as what was written.
bool IsWhole(const ReplacementRecord& record) {
  std::FILE* file = record.file.get();
  if (std::fflush(file) != 0 || std::ferror(file) != 0) return false;
  struct stat info;
  if (fstat(fileno(file), &info) != 0) return false;
  return !S_ISREG(info.st_mode) || static_cast<uint64_t>(info.st_size) == record.written;
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

bool MakeFolder(const char* path) {
  if (!Named(path)) return false;
  std::string name = path;
  // Each folder from the top down; one that is there already is fine.
  for (size_t slash = name.find('/', 1); slash != std::string::npos; slash = name.find('/', slash + 1))
    mkdir(name.substr(0, slash).c_str(), 0777);
  mkdir(name.c_str(), 0777);
  struct stat info;
  return stat(name.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IdentifyFile(const char* path, FileIdentity* identity) {
  struct stat info;
  if (!Named(path) || stat(path, &info) != 0) return false;
  identity->volume = static_cast<uint64_t>(info.st_dev);
  identity->index = static_cast<uint64_t>(info.st_ino);
  return true;
}

bool StartReplacement(const char* target, ReplacementRecord* record, bool mayWriteInPlace) {
  record->file.reset();
  record->temporary.clear();
  record->written = 0;
  if (!Named(target)) return false;
  record->target = FinalName(target);
  struct stat info;
  if (stat(record->target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    if (S_ISDIR(info.st_mode)) return false;
    // A device, a pipe or a terminal is written to, never replaced.
    record->file = OpenInPlace(record->target, false);
    return record->file != nullptr;
  }
  std::string pattern = record->target + ".zk-XXXXXX";
  EndingSignalsHeld held;
  HoldEndingSignals(&held);
  int descriptor = mkstemp(pattern.data());
  int refusal = errno;
  if (descriptor >= 0) NamePending(pattern);
  ReleaseEndingSignals(held);
  if (descriptor >= 0) {
    fchmod(descriptor, ModeFor(record->target));
    record->file.reset(fdopen(descriptor, "wb"));
    if (!record->file) {
      close(descriptor);
      unlink(pattern.c_str());
      ForgetPendingName(pattern);
      return false;
    }
    record->temporary = pattern;
    return true;
  }
  // A folder that takes no new file: the target itself, when it may be written.
  if (!mayWriteInPlace) return false;
  if (refusal != EACCES && refusal != EPERM && refusal != EROFS) return false;
  record->file = OpenInPlace(record->target, true);
  return record->file != nullptr;
}

bool FinishReplacement(ReplacementRecord* record) {
  if (!record->file) return false;
  bool whole = IsWhole(*record);
  bool closed = std::fclose(record->file.release()) == 0;
  if (record->temporary.empty()) return whole && closed;
  bool moved = whole && closed && std::rename(record->temporary.c_str(), record->target.c_str()) == 0;
  if (!moved) unlink(record->temporary.c_str());
  ForgetPendingName(record->temporary);
  record->temporary.clear();
  return moved;
}

void AbandonReplacement(ReplacementRecord* record) {
  record->file.reset();
  if (record->temporary.empty()) return;
  unlink(record->temporary.c_str());
  ForgetPendingName(record->temporary);
  record->temporary.clear();
}

void RemoveNewFileOnSignals() {
  for (int signal : EndingSignals) {
    struct sigaction action {};
    // A signal the caller chose to ignore (nohup) stays ignored.
    if (sigaction(signal, nullptr, &action) != 0 || action.sa_handler == SIG_IGN) continue;
    action.sa_handler = RemovePendingAndEnd;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(signal, &action, nullptr);
  }
}
