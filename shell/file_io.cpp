#include "shell/file_io.h"

#include <sys/stat.h>

namespace {
bool IsRegularFile(std::FILE* file) {
  struct stat info;
  if (fstat(fileno(file), &info) != 0) return false;
  return (info.st_mode & S_IFMT) == S_IFREG;
}

bool SeekTo(std::FILE* file, int64_t offset, int whence) {
#ifdef _WIN32
  return _fseeki64(file, offset, whence) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), whence) == 0;
#endif
}

int64_t Position(std::FILE* file) {
#ifdef _WIN32
  return _ftelli64(file);
#else
  return static_cast<int64_t>(ftello(file));
#endif
}
}  // namespace

FileHandle OpenForReading(const char* path) {
  if (path == nullptr || path[0] == '\0') return nullptr;
  FileHandle file(std::fopen(path, "rb"));
  // A directory opens on some systems but holds no text.
  if (file && !IsRegularFile(file.get())) return nullptr;
  return file;
}

FileHandle CreateForWriting(const char* path) {
  if (path == nullptr || path[0] == '\0') return nullptr;
  return FileHandle(std::fopen(path, "wb"));
}

bool MeasureFile(std::FILE* file, uint64_t* size) {
  if (!SeekTo(file, 0, SEEK_END)) return false;
  int64_t end = Position(file);
  if (end < 0 || !SeekTo(file, 0, SEEK_SET)) return false;
  *size = static_cast<uint64_t>(end);
  return true;
}
