// The error messages of the system, string-table entries 4 to 23.
#pragma once

#include <cstddef>

enum ErrorId {
  ErrorOpenFontFile = 4,
  ErrorAllocMemory = 5,
  ErrorReadFontFile = 6,
  ErrorOpenFile = 7,
  ErrorReadFile = 8,
  ErrorCreateFile = 9,
  ErrorWriteFile = 10,
  ErrorSameFileName = 11,
  ErrorTargetNameNull = 12,
  ErrorOpenConvertTable = 13,
  ErrorReadConvertTable = 14,
  ErrorOpenConvertSource = 15,
  ErrorReadConvertSource = 16,
  ErrorCreateConvertTarget = 17,
  ErrorWriteConvertTarget = 18,
  ErrorPrinterDc = 19,
  ErrorNoStretchBlt = 20,
  ErrorMarginTooBig = 21,
  ErrorAbortDialog = 22,
  ErrorPrintNotStarted = 23,
};

constexpr int FirstErrorId = 4;
constexpr int LastErrorId = 23;

// Room for the longest message with a 260-character path in it; a longer
// argument is cut so that the text always fits.
constexpr size_t ErrorTextCapacity = 640;

// The unformatted text of entry `id`, or "" for an id outside 4..23.
const char* ErrorMessageText(int id);

// Copies `text` into `out` (capacity `outSize`, at least 1) with `argument`
// (may be null: nothing) in place of its first "%s"; the argument is copied,
// never read as a format. When space runs short the argument is cut and the
// rest of the text kept. Always terminated.
void FillTextHole(char* out, size_t outSize, const char* text, const char* argument);

// Formats entry `id` into `out` (capacity `outSize`, at least 1), putting
// `argument` (may be null: nothing) in place of its "%s". The result is
// always terminated and never longer than outSize - 1 bytes.
void FormatErrorText(char* out, size_t outSize, int id, const char* argument);
