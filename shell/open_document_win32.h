// Opening a file as the document from the window system: the Open command,
// the one road every file takes in, and the frame's title.
#pragma once

#include <windows.h>

#include <cstdint>

// Command 10000: asks for a file and opens it.
int32_t OnOpenCommand(HWND frame, WPARAM wParam, WPARAM code, LPARAM lParam);

// Loads `path`, breaks it into lines, clears the selection, selects the
// detected code (which loads its font and repaints) and titles the frame.
// A file that cannot be read changes nothing but shows its message.
void OpenDocument(HWND frame, const char* path);

// Opens the first name of the command line here and hands each further one
// to a new instance.
void OpenCommandLine(const char* text);

// Starts another copy of the program with `path` as its one file name.
void StartInstanceWithFile(const char* path);
