// The Option menu's dialogs: line width and spacing, colours, About. Each
// takes the values it starts from and gives back what the user chose; the
// frame applies them.
#pragma once

#include <windows.h>

#include "dialogs/colour_swatches.h"

struct LineWidthRecord {
  int charsPerLine = 80;
  int lineSpacing = 8;
};

// The line width dialog over `owner`, its fields filled from `record`; true
// on OK, with the numbers typed (kept within what the dialog accepts) in it.
bool RunLineWidthDialog(HWND owner, LineWidthRecord* record);

// The colour dialog over `owner`, starting from `choice`; true on OK, with
// the colours picked in it.
bool RunColourDialog(HWND owner, ColourChoice* choice);

struct GoToLineRecord {
  int line = 1;   // from 1
  int count = 1;  // the display lines there are
};

// The Go to Line dialog over `owner`, showing `record`'s line and count;
// true on OK, with the number typed (1 to the count) in it.
bool RunGoToLineDialog(HWND owner, GoToLineRecord* record);

// The About box.
void RunAboutBox(HWND owner);
