// Character table files: every double-byte code of GB, Big5 or Shift JIS,
// one row of characters per lead byte under a heading naming it.
#pragma once

#include <cstddef>

#include "base/prompts.h"

enum CharacterTables { CharacterTableGb = 0, CharacterTableBig5 = 1, CharacterTableSjis = 2 };

// "GBTBL.GB", "BIG5TBL.BG5", "SJISTBL.JP" by CharacterTables.
extern const char* const CharacterTableFileNames[3];

enum CharacterTableResults { CharacterTableWritten = 0, CharacterTableNotCreated = 1, CharacterTableNotWritten = 2 };

// Writes the table file of `table` to `path`, replacing any file there
// without asking; one of CharacterTableResults.
int WriteCharacterTableFile(const char* path, int table);

// Writes the table file of `table` beside the program, as the viewer's menu
// commands do: message 9 with its path when it cannot be created, 10 when a
// write fails. True when the file was written.
bool MakeCharacterTableFile(WindowRef owner, int table);
