// Breaking the text into display lines, and detecting its code on the way.
#pragma once

#include <cstddef>
#include <cstdint>

#include "shell/prompts.h"

// The index storage starts with room for this many entries and grows at
// least twofold whenever fewer than LineIndexFreeEntries would stay free
// after an entry.
constexpr size_t LineIndexStep = 1024;
constexpr size_t LineIndexFreeEntries = 4;

// Rebuilds Document.LineIndex and lineCount over the first n bytes of the
// text (at most what the text holds) with Settings.charsPerLine cells per
// line, sets CodeType from the bytes, and returns the view to the first
// line. On an allocation failure shows message 5, leaves no lines and
// returns false.
bool BuildLineIndex(WindowRef owner, uint32_t n);
