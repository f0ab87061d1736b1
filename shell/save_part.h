// Saving the selected display lines to a file.
#pragma once

#include "base/prompts.h"

// Writes the bytes of the selected lines, exactly as the document holds them,
// to `path`; a part of a UTF-16 text gets its byte-order mark in front. Refuses the file the document was read from,
// under any name, with message 11; asks before replacing any other file of that name. The file replaces the old one
// only once it is whole. Shows message 9 when it cannot be created and 10 when a write fails (the file of that name
// then stays as it was). True when the part was written.
bool WriteSelectedLines(WindowRef owner, const char* path);
