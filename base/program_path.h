// Files that lie beside the program: its own path.
#pragma once

#include <cstddef>

// Room for a path, terminator included, in every path buffer of the program.
constexpr size_t PathCapacity = 1024;

// The full path of the program file, filled at start-up.
extern char ModulePath[PathCapacity];

// Sets ModulePath; false (and ModulePath emptied) when the path does not fit.
bool SetModulePath(const char* path);

// The folder the data files are read from when it is not the program's own,
// ending in its separator; empty (at start-up) for the program's own.
extern char DataFolder[PathCapacity];

// Sets DataFolder; false (and DataFolder emptied) when the path does not fit.
bool SetDataFolder(const char* folder);

// Makes `shared` (ending in its separator) the data folder when the file
// `marker` is not in the program's folder but is in `shared`; else the
// program's own. An installed program keeps its data apart from itself, a
// built or unpacked one beside it, and the two sets never mix.
void ChooseDataFolder(const char* shared, const char* marker);

// Fills `dest` with the directory of DataFolder, or else of ModulePath (up to
// and including its last "\" or "/"), followed by `name`. False when the
// result would not fit; dest then holds an empty string.
bool BuildPathBesideProgram(char* dest, size_t destSize, const char* name);
