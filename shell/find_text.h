// The Find and Find Next commands apart from their windows: where a search
// starts, the question at the text's end, and the line it selects.
#pragma once

#include <vector>

#include "base/prompts.h"

// The last search asked for: Find Next repeats it.
struct FindRecord {
  std::vector<char32_t> text;
  bool matchCase = false;
  bool forward = true;
};

extern FindRecord LastFind;

// The display line of the next match of `find`: from the line after the
// selection (before it, backwards), or without one from the top of the view
// (its bottom). At the text's end it asks whether to go on from the other
// end; when nothing is found it says so. -1 when no line is to be shown.
int FindNextLine(WindowRef owner, const FindRecord& find);

// Selects `line` alone and scrolls it into view when it is not in it.
void ShowFoundLine(int line);
