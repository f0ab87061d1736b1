#include "print/page_setup_win32.h"

#include <cstdio>

#include "base/dispatch_win32.h"
#include "base/instance_win32.h"
#include "base/profile_win32.h"
#include "print/page_layout.h"
#include "resources/resource_ids.h"

namespace {
struct FieldKey {
  int id;
  const char* key;
};

// In the order they are written.
const FieldKey PageSetupFields[] = {
    {ZK_ID_HEAD, "Head"},
    {ZK_ID_FOOT, "Foot"},
    {ZK_ID_TOP_MARGIN, "TopMargin"},
    {ZK_ID_BOTTOM_MARGIN, "BottomMargin"},
    {ZK_ID_LEFT_MARGIN, "LeftMargin"},
    {ZK_ID_RIGHT_MARGIN, "RightMargin"},
};
constexpr size_t TemplateFieldCount = 2;
// 254 characters and the terminator.
constexpr int FieldCapacity = 255;

int32_t PageSetupInit(HWND dialog, UINT, WPARAM, LPARAM) {
  CentreDialog(dialog, GetWindow(dialog, GW_OWNER));
  for (size_t i = 0; i < sizeof PageSetupFields / sizeof PageSetupFields[0]; ++i) {
    const FieldKey& field = PageSetupFields[i];
    char text[FieldCapacity] = "";
    if (i < TemplateFieldCount)
      ReadProfileText(field.key, text, sizeof text);
    else
      std::snprintf(text, sizeof text, "%d", ReadProfileInteger(field.key, DefaultMargin));
    SetDlgItemTextA(dialog, field.id, text);
  }
  return 1;
}

// OK writes every field as typed, unchecked; OK and Cancel both end the
// dialog with 1.
int32_t PageSetupClose(HWND dialog, WPARAM wParam, WPARAM, LPARAM) {
  if (LOWORD(wParam) == IDOK) {
    for (const FieldKey& field : PageSetupFields) {
      char text[FieldCapacity] = "";
      GetDlgItemTextA(dialog, field.id, text, sizeof text);
      WriteProfileText(field.key, text);
    }
  }
  EndDialog(dialog, 1);
  return 1;
}

int32_t ShowPageSetupHelp(HWND dialog, WPARAM, WPARAM, LPARAM) {
  DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(ZK_DIALOG_PAGE_SETUP_HELP), dialog, PlainDialogProc, 0);
  return 0;
}

const CommandEntry PageSetupCommandRows[] = {
    {IDOK, PageSetupClose},
    {IDCANCEL, PageSetupClose},
    {ZK_ID_PAGE_SETUP_HELP, ShowPageSetupHelp},
};
constexpr CommandTable PageSetupCommands = MakeCommandTable(PageSetupCommandRows, DefaultNone);

const MessageEntry PageSetupMessageRows[] = {
    {WM_COMMAND, DispatchCommands<PageSetupCommands>},
    {WM_INITDIALOG, PageSetupInit},
};
constexpr MessageTable PageSetupMessages = MakeMessageTable(PageSetupMessageRows, DefaultNone);

INT_PTR CALLBACK PageSetupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByMessage(PageSetupMessages, dialog, message, wParam, lParam);
}
}  // namespace

void RunPageSetup(HWND owner) {
  DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(ZK_DIALOG_PAGE_SETUP), owner, PageSetupProc, 0);
}
