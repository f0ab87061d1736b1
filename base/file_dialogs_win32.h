// The system's open and save dialogs, with ZK's filter list; the chosen path
// comes back in UTF-8, whatever script its name is in.
#pragma once

#include <windows.h>

#include <cstddef>

enum FileDialogKinds { FileDialogOpen = 0, FileDialogSave = 1 };

// Shows the dialog titled `title` owned by `owner`; false when the user
// cancels. The path fits `pathSize` bytes or the dialog counts as cancelled.
bool AskForFile(HWND owner, int kind, const char* title, char* path, size_t pathSize);
