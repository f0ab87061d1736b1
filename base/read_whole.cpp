#include "base/read_whole.h"

namespace {
size_t ReadFilePiece(void* handle, uint8_t* dest, size_t count) {
  return std::fread(dest, 1, count, static_cast<std::FILE*>(handle));
}
}  // namespace

size_t ReadWholeWith(ReadPieceFunction readPiece, void* handle, uint8_t* dest, size_t count) {
  size_t done = 0;
  while (count - done > ReadPieceSize) {
    if (readPiece(handle, dest + done, ReadPieceSize) != ReadPieceSize) return 0;
    done += ReadPieceSize;
  }
  size_t rest = count - done;
  if (readPiece(handle, dest + done, rest) != rest) return 0;
  return count;
}

size_t ReadWhole(std::FILE* file, uint8_t* dest, size_t count) {
  return ReadWholeWith(ReadFilePiece, file, dest, count);
}
