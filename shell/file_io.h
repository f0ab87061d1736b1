// Opening and measuring files the same way on every system: binary mode,
// 64-bit sizes, 8-bit path names.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, CloseFile>;

// Opens an existing regular file for reading; null when it cannot be opened
// or is a directory.
FileHandle OpenForReading(const char* path);

// Creates or truncates a file for writing; null on failure.
FileHandle CreateForWriting(const char* path);

// The size of an open file, leaving it positioned at its start; false when
// the file cannot be measured.
bool MeasureFile(std::FILE* file, uint64_t* size);
