// Breaking the text into display lines by the pairing of its code, and
// detecting the code on the way.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/prompts.h"

// The index storage starts with room for this many entries and grows at
// least twofold whenever fewer than LineIndexFreeEntries would stay free
// after an entry.
constexpr size_t LineIndexStep = 1024;
constexpr size_t LineIndexFreeEntries = 4;

// Asks BuildLineIndex to detect the code at the text's first byte of 0x80 or
// above (DetectCode on what follows), so that the text is read once.
constexpr int CodeDetect = -1;

// Rebuilds Document.LineIndex and lineCount over the first n bytes of the
// text (at most what the text holds) with Settings.charsPerLine cells per
// line, pairing bytes by *code; CodeDetect there is replaced by the code
// detected. On an allocation failure shows message 5, leaves no lines and
// returns false.
bool BuildLineIndex(WindowRef owner, uint32_t n, int* code);
