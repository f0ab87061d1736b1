// The numbers typed into the option dialogs, read the way the settings file
// is read and kept within what the dialog accepts.
#pragma once

// Cells per display line, 16 to 256.
int ReadLineWidthField(const char* text);

// Pixel rows between display lines, 0 to 16.
int ReadLineSpacingField(const char* text);

// A display line number, 1 to `lineCount` (at least 1).
int ReadLineNumberField(const char* text, int lineCount);
