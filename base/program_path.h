// Files that lie beside the program: its own path.
#pragma once

#include <cstddef>

// Room for a path, terminator included, in every path buffer of the program.
constexpr size_t PathCapacity = 1024;

// The full path of the program file, filled at start-up.
extern char ModulePath[PathCapacity];

// Sets ModulePath; false (and ModulePath emptied) when the path does not fit.
bool SetModulePath(const char* path);

// Fills `dest` with the directory of ModulePath (up to and including its last
// "\" or "/") followed by `name`. False when the result would not fit; dest
// then holds an empty string.
bool BuildPathBesideProgram(char* dest, size_t destSize, const char* name);
