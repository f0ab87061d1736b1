#include "document/open_document_win32.h"

#include <commdlg.h>

#include <cstring>

#include "document/document.h"
#include "document/file_name.h"
#include "resources/resource_ids.h"
#include "shell/font_path.h"
#include "shell/frame_win32.h"
#include "shell/selection.h"

namespace {
constexpr size_t FilterCapacity = 256;
constexpr size_t TitleCapacity = TitleTextCapacity + 3 + PathCapacity;
}  // namespace

int32_t OnOpenCommand(HWND frame, WPARAM, WPARAM, LPARAM) {
  // String 3 ends with its separator; each separator becomes a NUL, and the
  // zero-filled buffer supplies the second NUL at the end.
  char filter[FilterCapacity + 1] = {};
  int length = LoadStringA(AppInstance, ZK_STRING_FILTER, filter, FilterCapacity);
  if (length > 0) {
    char separator = filter[length - 1];
    for (int i = 0; i < length; ++i) {
      if (filter[i] == separator) filter[i] = '\0';
    }
  }
  char path[PathCapacity] = "";
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = frame;
  dialog.lpstrFilter = filter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;
  dialog.nMaxFile = sizeof path;
  dialog.lpstrTitle = "Open File";
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
  if (GetOpenFileNameA(&dialog)) OpenDocument(frame, path);
  return 0;
}

void OpenDocument(HWND frame, const char* path) {
  bool named = LoadAndIndexDocument(frame, path);
  ClearSelection();
  SendMessageA(frame, WM_COMMAND, ZK_CMD_CODE_GB + CodeType, 0);
  SetFrameTitle(frame, named ? path : nullptr);
}

void SetFrameTitle(HWND frame, const char* path) {
  SetDocumentFileName(path);
  char title[TitleCapacity];
  ComposeFrameTitle(title, sizeof title, TitleText, path);
  SetWindowTextA(frame, title);
}
