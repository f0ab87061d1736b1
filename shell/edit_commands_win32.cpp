#include "shell/edit_commands_win32.h"

#include <commdlg.h>
#include <dlgs.h>

#include <cstring>
#include <string>

#include "dialogs/option_dialogs_win32.h"
#include "document/document.h"
#include "document/text_search.h"
#include "document/unicode_text.h"
#include "shell/commands_win32.h"
#include "shell/find_text.h"
#include "shell/frame_windows_win32.h"
#include "shell/selection.h"
#include "shell/view_state.h"

namespace {
constexpr size_t FindTextCapacity = 256;

// The find dialog's record lives as long as the dialog.
wchar_t FindWhat[FindTextCapacity] = L"";
FINDREPLACEW FindRequest{};
HWND FindDialog = nullptr;
UINT FindMessage = 0;

// The locale whose code page reads a legacy code's bytes.
LCID LocaleOfCode(int code) {
  if (code == CodeBig5) return MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL), SORT_DEFAULT);
  if (code == CodeShiftJis) return MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT);
  return MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT);
}

// A clipboard block holding `bytes` and a terminating zero of `zero` bytes.
bool PutOnClipboard(UINT format, const void* bytes, size_t size, size_t zero) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size + zero);
  if (block == nullptr) return false;
  void* at = GlobalLock(block);
  if (at == nullptr) {
    GlobalFree(block);
    return false;
  }
  std::memcpy(at, bytes, size);
  GlobalUnlock(block);
  if (SetClipboardData(format, block) != nullptr) return true;
  GlobalFree(block);
  return false;
}

void ShowFound(HWND frame, int line) {
  if (line < 0) return;
  ShowFoundLine(line);
  InvalidateRect(ViewWindow, nullptr, FALSE);
  UpdateCommandState(frame);
}
}  // namespace

int32_t OnCopy(HWND frame, WPARAM, WPARAM, LPARAM) {
  if (!HasSelection()) return 0;
  const TextRange range = SelectedText(Selection);
  const uint8_t* bytes = Document.text.get() + range.start;
  const size_t size = range.end - range.start;
  const std::u16string text = TextAsUtf16(CodeType, bytes, size);
  if (!OpenClipboard(frame)) return 0;
  EmptyClipboard();
  // Unicode text for every program; a legacy text's own bytes too, with
  // the locale whose code page reads them.
  PutOnClipboard(CF_UNICODETEXT, text.data(), 2 * text.size(), 2);
  if (!IsUnicodeCode(CodeType)) {
    PutOnClipboard(CF_TEXT, bytes, size, 1);
    const LCID locale = LocaleOfCode(CodeType);
    PutOnClipboard(CF_LOCALE, &locale, sizeof locale, 0);
  }
  CloseClipboard();
  return 0;
}

int32_t OnFind(HWND frame, WPARAM, WPARAM, LPARAM) {
  if (FindDialog != nullptr) {
    SetFocus(FindDialog);
    return 0;
  }
  if (FindMessage == 0) FindMessage = RegisterWindowMessageW(FINDMSGSTRINGW);
  FindRequest = FINDREPLACEW{};
  FindRequest.lStructSize = sizeof FindRequest;
  FindRequest.hwndOwner = frame;
  FindRequest.Flags = FR_HIDEWHOLEWORD | (LastFind.forward ? FR_DOWN : 0) | (LastFind.matchCase ? FR_MATCHCASE : 0);
  FindRequest.lpstrFindWhat = FindWhat;
  FindRequest.wFindWhatLen = FindTextCapacity;
  FindDialog = FindTextW(&FindRequest);
  return 0;
}

int32_t OnFindNext(HWND frame, WPARAM wParam, WPARAM code, LPARAM lParam) {
  if (LastFind.text.empty()) return OnFind(frame, wParam, code, lParam);
  ShowFound(frame, FindNextLine(frame, LastFind));
  return 0;
}

int32_t OnGoToLine(HWND frame, WPARAM, WPARAM, LPARAM) {
  GoToLineRecord record{ViewState.firstLine + 1, Document.lineCount};
  if (Document.lineCount <= 0 || !RunGoToLineDialog(frame, &record)) return 0;
  ViewState.firstLine = record.line - 1;
  InvalidateRect(ViewWindow, nullptr, FALSE);
  return 0;
}

HWND FindDialogWindow() { return FindDialog; }

bool IsFindMessage(UINT message) { return FindMessage != 0 && message == FindMessage; }

LRESULT OnFindMessage(HWND frame, LPARAM lParam) {
  const FINDREPLACEW* request = reinterpret_cast<const FINDREPLACEW*>(lParam);
  if ((request->Flags & FR_DIALOGTERM) != 0) {
    FindDialog = nullptr;
    return 0;
  }
  if ((request->Flags & FR_FINDNEXT) == 0) return 0;
  // The dialog's own field holds what was typed in UTF-16; the record's copy
  // has passed through the code page on some systems, losing what it lacks.
  wchar_t field[FindTextCapacity] = L"";
  const wchar_t* what = GetDlgItemTextW(FindDialog, edt1, field, FindTextCapacity) > 0 ? field : request->lpstrFindWhat;
  const std::u16string typed(reinterpret_cast<const char16_t*>(what));
  LastFind.text = CodePointsOfUtf16(typed.data(), typed.size());
  LastFind.matchCase = (request->Flags & FR_MATCHCASE) != 0;
  LastFind.forward = (request->Flags & FR_DOWN) != 0;
  // The questions and notices stand over the dialog the user is in.
  ShowFound(frame, FindNextLine(FindDialog != nullptr ? FindDialog : frame, LastFind));
  return 0;
}
