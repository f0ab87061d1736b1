// The document broken into display lines: opening a file, choosing another
// code, and finding the line that holds a byte.
#pragma once

#include <cstdint>

#include "base/prompts.h"

// The byte logic of opening a file: LoadDocument, then BuildLineIndex over
// what was read, detecting its code into CodeType. False when the load
// failed and the document shown stays; the title names the path when the new
// text has lines (lineCount > 0).
bool LoadAndIndexDocument(WindowRef owner, const char* path);

// Makes `code` the current code and, when a text is open, breaks it into
// display lines anew by that code's pairing. On an allocation failure shows
// message 5, leaves no lines and returns false.
bool SwitchDocumentCode(WindowRef owner, int code);

// The display line that holds text offset `offset` (the last line for an
// offset past the text); 0 without lines.
int LineHolding(uint32_t offset);
