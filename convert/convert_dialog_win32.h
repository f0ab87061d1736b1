// The Convert dialog: source and target names, the direction, Convert as
// often as the user likes, and View.
#pragma once

#include <windows.h>

#include <string>

struct ConvertDialogRecord {
  int mode = 0;            // one of ConvertModes: the pair of codes converted
  std::string viewTarget;  // set when the dialog ends by View: the target to open
};

// Runs the dialog over `owner` in `record->mode`; true when it ended by View,
// the target's name then in record->viewTarget.
bool RunConvertDialog(HWND owner, ConvertDialogRecord* record);
