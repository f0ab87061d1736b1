#include "convert/convert_dialog_win32.h"

#include <string>

#include "base/dispatch_win32.h"
#include "base/file_dialogs_win32.h"
#include "base/instance_win32.h"
#include "base/program_path.h"
#include "base/wide_text_win32.h"
#include "convert/convert_dialog.h"
#include "convert/converters.h"
#include "resources/resource_ids.h"

namespace {
ConvertDialogRecord* RecordOf(HWND dialog) {
  return reinterpret_cast<ConvertDialogRecord*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// A name field's text in UTF-8: a path in any script.
std::string FieldText(HWND dialog, int id) {
  wchar_t text[PathCapacity] = L"";
  GetDlgItemTextW(dialog, id, text, PathCapacity);
  return Utf8FromWide(text);
}

void UpdateConvertButtons(HWND dialog) {
  ConvertButtonsRecord buttons =
      ConvertButtons(FieldText(dialog, ZK_SOURCE_FIELD).c_str(), FieldText(dialog, ZK_TARGET_FIELD).c_str());
  EnableWindow(GetDlgItem(dialog, ZK_VIEW_TARGET), buttons.view ? TRUE : FALSE);
  EnableWindow(GetDlgItem(dialog, IDOK), buttons.convert ? TRUE : FALSE);
}

int32_t ConvertDialogInit(HWND dialog, UINT, WPARAM, LPARAM lParam) {
  SetWindowLongPtrA(dialog, DWLP_USER, lParam);
  // Every dialog opens in the direction from GB to the other code.
  CheckDlgButton(dialog, ZK_SOURCE_IS_GB, BST_CHECKED);
  CheckDlgButton(dialog, ZK_TARGET_IS_OTHER, BST_CHECKED);
  ConvertLabelsRecord labels = ConvertLabels(RecordOf(dialog)->mode);
  SetDlgItemTextA(dialog, ZK_SOURCE_IS_OTHER, labels.source);
  SetDlgItemTextA(dialog, ZK_TARGET_IS_OTHER, labels.target);
  // Once the dialog shows, View and Convert follow the empty fields.
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(ZK_TARGET_FIELD, 0), 0);
  return 1;
}

// The two groups move together: GB is always on exactly one side.
void SetDirection(HWND dialog, bool sourceIsGb) {
  CheckDlgButton(dialog, ZK_SOURCE_IS_GB, sourceIsGb ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, ZK_SOURCE_IS_OTHER, sourceIsGb ? BST_UNCHECKED : BST_CHECKED);
  CheckDlgButton(dialog, ZK_TARGET_IS_GB, sourceIsGb ? BST_UNCHECKED : BST_CHECKED);
  CheckDlgButton(dialog, ZK_TARGET_IS_OTHER, sourceIsGb ? BST_CHECKED : BST_UNCHECKED);
}

int32_t OnDirectionButton(HWND dialog, WPARAM wParam, WPARAM, LPARAM) {
  int id = LOWORD(wParam);
  SetDirection(dialog, id == ZK_SOURCE_IS_GB || id == ZK_TARGET_IS_OTHER);
  return 0;
}

int32_t OnBrowse(HWND dialog, WPARAM wParam, WPARAM, LPARAM) {
  char path[PathCapacity];
  if (!AskForFile(dialog, FileDialogOpen, "Browse File", path, sizeof path)) return 0;
  int field = LOWORD(wParam) == ZK_BROWSE_SOURCE ? ZK_SOURCE_FIELD : ZK_TARGET_FIELD;
  SetDlgItemTextW(dialog, field, WideFromUtf8(path).c_str());
  return 0;
}

int32_t OnNameChanged(HWND dialog, WPARAM, WPARAM, LPARAM) {
  UpdateConvertButtons(dialog);
  return 0;
}

int32_t OnConvert(HWND dialog, WPARAM, WPARAM, LPARAM) {
  std::string source = FieldText(dialog, ZK_SOURCE_FIELD);
  std::string target = FieldText(dialog, ZK_TARGET_FIELD);
  bool sourceIsGb = SendDlgItemMessageA(dialog, ZK_SOURCE_IS_GB, BM_GETCHECK, 0, 0) == BST_CHECKED;
  // The dialog stays open whatever the outcome: convert again, view, or exit.
  ConvertNamedFiles(dialog, source.c_str(), target.c_str(), sourceIsGb);
  return 0;
}

int32_t OnView(HWND dialog, WPARAM, WPARAM, LPARAM) {
  std::string target = FieldText(dialog, ZK_TARGET_FIELD);
  if (!CanViewTarget(dialog, target.c_str())) return 0;
  RecordOf(dialog)->viewTarget = target;
  EndDialog(dialog, ZK_VIEW_TARGET);
  return 1;
}

const CommandEntry ConvertCommandRows[] = {
    {ZK_SOURCE_IS_GB, OnDirectionButton},
    {ZK_SOURCE_IS_OTHER, OnDirectionButton},
    {ZK_TARGET_IS_GB, OnDirectionButton},
    {ZK_TARGET_IS_OTHER, OnDirectionButton},
    {ZK_BROWSE_SOURCE, OnBrowse},
    {ZK_BROWSE_TARGET, OnBrowse},
    {ZK_SOURCE_FIELD, OnNameChanged},
    {ZK_TARGET_FIELD, OnNameChanged},
    {ZK_VIEW_TARGET, OnView},
    {IDOK, OnConvert},
    {IDCANCEL, CloseDialog},
};
constexpr CommandTable ConvertCommands = MakeCommandTable(ConvertCommandRows, DefaultNone);

const MessageEntry ConvertMessageRows[] = {{WM_COMMAND, DispatchCommands<ConvertCommands>},
                                           {WM_INITDIALOG, ConvertDialogInit}};
constexpr MessageTable ConvertMessages = MakeMessageTable(ConvertMessageRows, DefaultNone);

INT_PTR CALLBACK ConvertDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByMessage(ConvertMessages, dialog, message, wParam, lParam);
}
}  // namespace

bool RunConvertDialog(HWND owner, ConvertDialogRecord* record) {
  // The conversions the dialog runs read the mode from the converters.
  ConvertMode = record->mode;
  record->viewTarget.clear();
  return DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(ZK_DIALOG_CONVERT), owner, ConvertDialogProc,
                         reinterpret_cast<LPARAM>(record)) == ZK_VIEW_TARGET;
}
