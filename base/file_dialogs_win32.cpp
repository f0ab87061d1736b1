#include "base/file_dialogs_win32.h"

#include <commdlg.h>

#include <string>

#include "base/instance_win32.h"
#include "base/program_path.h"
#include "base/wide_text_win32.h"
#include "resources/resource_ids.h"

namespace {
constexpr int FilterCapacity = 256;
}  // namespace

bool AskForFile(HWND owner, int kind, const char* title, char* path, size_t pathSize) {
  // String 3 ends with its separator; each separator becomes a NUL, and the
  // zero-filled buffer supplies the second NUL at the end.
  wchar_t filter[FilterCapacity + 1] = {};
  int length = LoadStringW(AppInstance, ZK_STRING_FILTER, filter, FilterCapacity);
  if (length > 0) {
    wchar_t separator = filter[length - 1];
    for (int i = 0; i < length; ++i) {
      if (filter[i] == separator) filter[i] = L'\0';
    }
  }
  wchar_t chosen[PathCapacity] = L"";
  std::wstring wideTitle = WideFromUtf8(title);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.hInstance = AppInstance;
  dialog.lpstrFilter = filter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = chosen;
  dialog.nMaxFile = PathCapacity;
  dialog.lpstrTitle = wideTitle.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
  BOOL picked = kind == FileDialogSave ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  return picked && Utf8FromWide(chosen, path, pathSize) && path[0] != '\0';
}
