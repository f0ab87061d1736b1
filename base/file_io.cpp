#include "base/file_io.h"

namespace {
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

bool MeasureFile(std::FILE* file, uint64_t* size) {
  if (!SeekTo(file, 0, SEEK_END)) return false;
  int64_t end = Position(file);
  if (end < 0 || !SeekTo(file, 0, SEEK_SET)) return false;
  *size = static_cast<uint64_t>(end);
  return true;
}

bool IsSameFile(const char* first, const char* second) {
  FileIdentity one, other;
  return IdentifyFile(first, &one) && IdentifyFile(second, &other) && one == other;
}

bool WriteReplacement(ReplacementRecord* record, const void* bytes, size_t count) {
  if (!record->file) return false;
  size_t done = count > 0 ? std::fwrite(bytes, 1, count, record->file.get()) : 0;
  record->written += done;
  return done == count;
}
