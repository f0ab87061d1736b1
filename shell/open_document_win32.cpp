#include "shell/open_document_win32.h"

#include "base/file_dialogs_win32.h"
#include "base/program_path.h"
#include "base/wide_text_win32.h"
#include "document/document.h"
#include "document/file_name.h"
#include "resources/resource_ids.h"
#include "shell/frame_win32.h"
#include "shell/selection.h"
#include "shell/view_state.h"

namespace {
constexpr size_t TitleCapacity = TitleTextCapacity + 3 + PathCapacity;
}  // namespace

int32_t OnOpenCommand(HWND frame, WPARAM, WPARAM, LPARAM) {
  char path[PathCapacity];
  if (AskForFile(frame, FileDialogOpen, "Open File", path, sizeof path)) OpenDocument(frame, path);
  return 0;
}

void OpenDocument(HWND frame, const char* path) {
  // A large file takes a moment to read and index; the cursor says so.
  HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  bool loaded = LoadAndIndexDocument(frame, path);
  SetCursor(previous);
  // A file that cannot be read leaves the document shown, and its title.
  if (!loaded) return;
  ViewState.firstLine = 0;
  ClearSelection();
  SendMessageA(frame, WM_COMMAND, ZK_CMD_CODE_GB + CodeType, 0);
  // A text without lines shows nothing: the title does not name it.
  SetFrameTitle(frame, Document.lineCount > 0 ? path : nullptr);
}

void SetFrameTitle(HWND frame, const char* path) {
  SetDocumentFileName(path);
  char title[TitleCapacity];
  ComposeFrameTitle(title, sizeof title, TitleText, path);
  // The path may be in any script.
  SetWindowTextW(frame, WideFromUtf8(title).c_str());
}
