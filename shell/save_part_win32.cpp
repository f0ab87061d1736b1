#include "shell/save_part_win32.h"

#include "base/file_dialogs_win32.h"
#include "base/program_path.h"
#include "shell/save_part.h"

int32_t SavePart(HWND frame, WPARAM, WPARAM, LPARAM) {
  char path[PathCapacity];
  if (AskForFile(frame, FileDialogSave, "Save a part to a file", path, sizeof path)) WriteSelectedLines(frame, path);
  return 0;
}
