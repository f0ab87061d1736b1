// Saving the selected display lines to a file.
#pragma once

#include "shell/prompts.h"

// Writes the bytes of the selected lines, exactly as the document holds them,
// to `path`. The file replaces any of that name only once it is whole. Shows
// message 9 when it cannot be created and 10 when a write fails (the file of
// that name then stays as it was). True when the part was written.
bool WriteSelectedLines(WindowRef owner, const char* path);
