#include "shell/open_document_win32.h"

#include "base/file_dialogs_win32.h"
#include "base/program_path.h"
#include "base/program_path_win32.h"
#include "base/wide_text_win32.h"
#include "document/document.h"
#include "document/document_lines.h"
#include "document/file_name.h"
#include "resources/resource_ids.h"
#include "shell/code_commands_win32.h"
#include "shell/command_line.h"
#include "shell/frame_windows_win32.h"
#include "shell/selection.h"
#include "shell/view_state.h"

namespace {
constexpr size_t TitleCapacity = TitleTextCapacity + 3 + PathCapacity;

// The bare title, or the title with " - " and `path`; a path also names the
// document.
void SetFrameTitle(HWND frame, const char* path) {
  SetDocumentFileName(path);
  char title[TitleCapacity];
  ComposeFrameTitle(title, sizeof title, TitleText, path);
  // The path may be in any script.
  SetWindowTextW(frame, WideFromUtf8(title).c_str());
}
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
  SendMessageA(frame, WM_COMMAND, static_cast<WPARAM>(CodeCommandId(CodeType)), 0);
  // A text without lines shows nothing: the title does not name it.
  SetFrameTitle(frame, Document.lineCount > 0 ? path : nullptr);
}

void OpenCommandLine(const char* text) {
  char token[PathCapacity];
  size_t cursor = 0;
  bool first = true;
  while (NextCommandLineToken(text, &cursor, token, sizeof token)) {
    if (first) {
      OpenDocument(FrameWindow, token);
      first = false;
    } else {
      RefreshModulePath();
      StartInstanceWithFile(token);
    }
  }
}

void StartInstanceWithFile(const char* path) {
  char command[InstanceCommandCapacity];
  // A command that does not fit starts nothing, as a failed start would.
  if (ModulePath[0] == '\0' || !FormatInstanceCommand(command, sizeof command, ModulePath, path)) return;
  // The wide form, so that a name in any script reaches the new instance.
  std::wstring line = WideFromUtf8(command);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process{};
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}
