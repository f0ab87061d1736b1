// The open document: its text, line index and code.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/file_io.h"
#include "base/memory.h"
#include "base/prompts.h"
#include "document/code_rules.h"

constexpr size_t FileNameCapacity = 256;

struct DocumentRecord {
  // The text bytes and, right after the last one, a 0 byte that belongs to no
  // line; textSize counts every byte allocated (always above textLength).
  Block<uint8_t> text;
  size_t textSize = 0;
  uint32_t textLength = 0;  // bytes covered by the line index; 0: no document
  // lineCount + 1 offsets into text; display line j runs from entry j up to,
  // not including, entry j + 1.
  Block<uint32_t> LineIndex;
  size_t lineIndexCapacity = 0;  // entries the storage has room for
  int32_t lineCount = 0;
  char fileName[FileNameCapacity] = "";  // last component of the open file's path
  // The file the text was read from, under whatever name: nothing is written
  // over it. Unknown (`fromFile` false) for a text put in by other means.
  FileIdentity source;
  bool fromFile = false;
};

extern DocumentRecord Document;

// The current code, one of CodeTypes.
extern int CodeType;

// Reads `path` whole into a new text, decodes HZ when Settings.supportHZ is
// on, and only then makes it the document's text (its line index is then to
// be built). On failure shows its message and returns false: the document,
// its lines and its code stay as they were.
bool LoadDocument(WindowRef owner, const char* path);

// Releases the text and the line index: no document.
void ClearDocument();

// Makes a copy of bytes[0..n) the text, as if read from a file (no HZ
// decoding, no line index: the old one is gone). On an allocation failure shows message 5, leaves
// an empty text and returns false.
bool PutDocumentText(WindowRef owner, const uint8_t* bytes, size_t n);
