// Reading a known number of bytes from an open file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Size of each read: large files arrive in pieces of this many bytes.
constexpr size_t ReadPieceSize = 32768;

// Reads up to `count` bytes into `dest`; returns how many arrived.
using ReadPieceFunction = size_t (*)(void* handle, uint8_t* dest, size_t count);

// Reads exactly `count` bytes in pieces of ReadPieceSize, the rest in one
// last read (of 0 bytes when count is a multiple of the piece size). Returns
// count, or 0 on a short read; a count of 0 therefore also gives 0.
size_t ReadWholeWith(ReadPieceFunction readPiece, void* handle, uint8_t* dest, size_t count);

// ReadWholeWith on a stdio file opened in binary mode.
size_t ReadWhole(std::FILE* file, uint8_t* dest, size_t count);
