// Files by name, the same way on every system: binary mode, 64-bit sizes,
// and UTF-8 path names (on Windows turned into the system's wide names, so
// that a name in any script opens).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, CloseFile>;

// Opens an existing regular file for reading; null when it cannot be opened
// or is a directory.
FileHandle OpenForReading(const char* path);

// True when something of that name exists.
bool PathExists(const char* path);

// Makes the folder `path` and any folder above it that is missing; true
// when a folder of that name is there afterwards.
bool MakeFolder(const char* path);

// The size of an open file, leaving it positioned at its start; false when
// the file cannot be measured.
bool MeasureFile(std::FILE* file, uint64_t* size);

// What tells one file from every other whatever name it is reached by: the
// device and file number, or on Windows the volume serial number and the
// file index.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file `path` names, through any link; false when there
// is none to be had (no such file).
bool IdentifyFile(const char* path, FileIdentity* identity);

// True when both names reach one existing file.
bool IsSameFile(const char* first, const char* second);

// A file being written in place of `target`. Its bytes go to a new file
// beside the target, which takes the target's place only once every byte
// written is known to be in it; any failure leaves the target as it was.
// Where the target's folder allows no new file but the target itself may be
// written, and where the target is no regular file (a device, a pipe), the
// target is written in place instead (`temporary` is empty); a regular file
// written in place is locked, so that two writers take turns. A link is
// followed: the file it reaches is replaced and the link stays.
struct ReplacementRecord {
  FileHandle file;
  std::string target;     // the file finally written
  std::string temporary;  // the new file beside it; empty when in place
  uint64_t written = 0;   // the bytes handed to the file
};

// Opens the file to write. False when neither a new file nor the target
// itself can be written, or when no new file can be and `mayWriteInPlace`
// is false (the target is also what is being read).
bool StartReplacement(const char* target, ReplacementRecord* record, bool mayWriteInPlace = true);

// Writes `count` bytes to the file and counts them; false when not all of
// them went.
bool WriteReplacement(ReplacementRecord* record, const void* bytes, size_t count);

// Flushes and closes the file and puts it in the target's place. False,
// with the new file removed and the target untouched, when a write, the
// flush or the close failed, or the file holds other than the bytes written,
// or the renaming failed.
bool FinishReplacement(ReplacementRecord* record);

// Closes and removes the new file; the target stays as it was.
void AbandonReplacement(ReplacementRecord* record);

// Makes a signal that ends the process (SIGINT, SIGTERM, SIGHUP) remove the
// new file being written first. POSIX only: on Windows the system removes a
// new file that was never finished when its handle closes, however the
// process ends.
void RemoveNewFileOnSignals();
