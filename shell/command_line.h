// File names on the command line, and the command that hands one file to a
// new instance of the program.
#pragma once

#include <cstddef>

// Takes the next file name from `text` at *cursor into `token` (capacity
// `tokenSize`, at least 1) and moves the cursor past it and the blanks that
// follow. A name that begins with a double quote runs to the next double
// quote (which is dropped) or the end; any other name runs to the next blank,
// keeping double quotes inside it. Blanks and empty quotes before a name are
// skipped. A name too long for `token` is cut. False when no name remains.
bool NextCommandLineToken(const char* text, size_t* cursor, char* token, size_t tokenSize);

// The text after the program's own name at the start of a whole command
// line (quoted, or up to the first blank) and the blanks after it.
const char* SkipProgramName(const char* commandLine);

// Room for the new-instance command: two paths, two pairs of quotes, a blank.
constexpr size_t InstanceCommandCapacity = 2 * 1024 + 8;

// Writes the command that starts `program` with `path` as its one file name:
// both in double quotes (a program folder with blanks in its name must not
// split), separated by a blank. False, with dest empty, when it does not fit.
bool FormatInstanceCommand(char* dest, size_t destSize, const char* program, const char* path);
