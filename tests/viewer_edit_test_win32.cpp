// The Edit menu of the real frame: Copy onto the clipboard, the system's
// find dialog, Find Next and Go to Line; and the real ZK.exe driven by keys.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which they need.
#include <commdlg.h>
#include <dlgs.h>

#include <string>

#include "base/wide_text_win32.h"
#include "document/document.h"
#include "resources/resource_ids.h"
#include "shell/edit_commands_win32.h"
#include "shell/frame_win32.h"
#include "shell/selection.h"
#include "shell/view_state.h"
#include "tests/viewer_harness_win32.h"

namespace {
// The clipboard's block of `format`, as bytes; none when it has no such.
Bytes ClipboardBytes(UINT format) {
  Bytes bytes;
  if (!OpenClipboard(nullptr)) return bytes;
  if (HANDLE block = GetClipboardData(format)) {
    const uint8_t* at = static_cast<const uint8_t*>(GlobalLock(block));
    if (at != nullptr) bytes.assign(at, at + GlobalSize(block));
    GlobalUnlock(block);
  }
  CloseClipboard();
  return bytes;
}

// The clipboard's Unicode text in UTF-8, up to its terminating zero.
std::string ClipboardText() {
  const Bytes bytes = ClipboardBytes(CF_UNICODETEXT);
  std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  return Utf8FromWide(text.c_str());
}

void EmptyTheClipboard() {
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  CloseClipboard();
}

// A press and a release on display row `row` of the view: that line alone
// is selected (a first press only clears a selection).
void SelectRow(int row) {
  if (HasSelection()) {
    SendMessageA(ViewWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 2));
    SendMessageA(ViewWindow, WM_LBUTTONUP, 0, MAKELPARAM(5, 2));
  }
  const int y = row * (ViewState.clientHeight / (ViewState.visibleRows > 0 ? ViewState.visibleRows : 1)) + 2;
  SendMessageA(ViewWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, y));
  SendMessageA(ViewWindow, WM_LBUTTONUP, 0, MAKELPARAM(5, y));
  Pump();
}

// Types `text` as characters, whatever script, into the window with the focus.
void TypeText(const std::wstring& text) {
  for (wchar_t c : text) {
    INPUT keys[2] = {};
    for (INPUT& key : keys) {
      key.type = INPUT_KEYBOARD;
      key.ki.wScan = static_cast<WORD>(c);
      key.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    keys[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
  }
}

// Asks the open find dialog for `text`, as typed, in one direction.
void FindWithDialog(const std::string& text, bool down, bool matchCase = false) {
  HWND dialog = FindDialogWindow();
  ASSERT_NE(dialog, nullptr);
  SetDlgItemTextW(dialog, edt1, WideFromUtf8(text.c_str()).c_str());
  CheckRadioButton(dialog, rad1, rad2, down ? rad2 : rad1);
  CheckDlgButton(dialog, chx2, matchCase ? BST_CHECKED : BST_UNCHECKED);
  SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  Pump();
}

int SelectedLine() { return HasSelection() ? Selection.anchor : -1; }
}  // namespace

TEST_F(Viewer, EditItemsActOnlyWhenTheyCanAndCopyPutsUnicodeAndTheTextsOwnBytesOnTheClipboard) {
  ASSERT_TRUE(StartViewer());
  const std::pair<UINT, int> empty[] = {
      {ZK_CMD_COPY, MF_GRAYED}, {ZK_CMD_FIND, MF_GRAYED}, {ZK_CMD_FIND_NEXT, MF_GRAYED}, {ZK_CMD_GOTO_LINE, MF_GRAYED}};
  for (auto [id, flags] : empty) EXPECT_EQ(MenuFlags(id), flags) << id;
  // Two lines of GB, the second with a line feed alone; a Big5 character.
  Open("copy.gb", "ab\xB1\xB1\xBE\xA9\r\ncd\n");
  for (UINT id : {ZK_CMD_FIND, ZK_CMD_FIND_NEXT, ZK_CMD_GOTO_LINE}) EXPECT_EQ(MenuFlags(id), 0) << id;
  EXPECT_EQ(MenuFlags(ZK_CMD_COPY), MF_GRAYED);
  EmptyTheClipboard();
  Send(WM_COMMAND, ZK_CMD_COPY);  // nothing selected: nothing copied
  EXPECT_EQ(ClipboardBytes(CF_UNICODETEXT), Bytes{});
  SelectRow(1);
  EXPECT_EQ(MenuFlags(ZK_CMD_COPY), 0);
  Send(WM_COMMAND, ZK_CMD_COPY);
  EXPECT_EQ(ClipboardText(), "cd\r\n");  // a line end is CR LF for other programs
  EXPECT_EQ(ClipboardBytes(CF_TEXT), ToBytes(std::string("cd\n\0", 4)));
  SelectRow(0);
  Send(WM_COMMAND, ZK_CMD_COPY);
  EXPECT_EQ(ClipboardText(), "ab北京\r\n");
  EXPECT_EQ(ClipboardBytes(CF_TEXT), ToBytes(std::string("ab\xB1\xB1\xBE\xA9\r\n\0", 9)));
  const Bytes locale = ClipboardBytes(CF_LOCALE);
  ASSERT_EQ(locale.size(), sizeof(LCID));
  EXPECT_EQ(PRIMARYLANGID(LANGIDFROMLCID(*reinterpret_cast<const LCID*>(locale.data()))), LANG_CHINESE);
  // A UTF-16 text: its characters alone, without the mark that opens it.
  Open("copy.u16", std::string("\xFF\xFE\x2D\x4E"
                               "a\0\r\0\n\0",
                               10));
  SelectRow(0);
  Send(WM_COMMAND, ZK_CMD_COPY);
  EXPECT_EQ(ClipboardText(), "中a\r\n");
  EXPECT_EQ(DialogsShown, Strings{});
}

TEST_F(Viewer, FindSelectsTheNextLineHoldingTheTextAsksAtTheEndAndFindNextRepeatsIt) {
  ASSERT_TRUE(StartViewer());
  // Lines 0 to 9; 北京 on lines 2 and 7, "Zk" on line 5; Big5's 0xA4 0x40
  // on line 8, whose "@" is no character of its own.
  std::string text;
  for (int line = 0; line < 10; ++line) {
    text += line == 2 || line == 7 ? "\xB1\xB1\xBE\xA9\r\n" : line == 5 ? "Zk\r\n" : line == 8 ? "\xA4@\r\n" : "x\r\n";
  }
  Open("find.gb", text);
  Send(WM_COMMAND, ZK_CMD_CODE_GB);       // so short a text might be Big5 too
  AnswerDialogWith("Find", [](HWND) {});  // driven by the test itself
  Send(WM_COMMAND, ZK_CMD_FIND);
  ASSERT_NE(FindDialogWindow(), nullptr);
  // Seen by the watcher before any box it brings up.
  ASSERT_TRUE(WaitFor([] { return !DialogsShown.empty(); }, 5000));
  FindWithDialog("北京", true);
  EXPECT_EQ(SelectedLine(), 2);
  EXPECT_EQ(MenuFlags(ZK_CMD_COPY), 0);
  Send(WM_COMMAND, ZK_CMD_FIND_NEXT);
  EXPECT_EQ(SelectedLine(), 7);
  // Past the last: asked, and on Yes from the top.
  Send(WM_COMMAND, ZK_CMD_FIND_NEXT);
  EXPECT_EQ(SelectedLine(), 2);
  EXPECT_EQ(DialogsShown, (Strings{"Find:", "Message: The end of the text is reached. Go on from the top?"}));
  // Backwards from line 2: the question, then line 7.
  FindWithDialog("北京", false);
  EXPECT_EQ(SelectedLine(), 7);
  // Either case unless asked; the case asked for finds nothing else.
  FindWithDialog("zK", true);
  EXPECT_EQ(SelectedLine(), 5);
  FindWithDialog("zK", true, true);
  EXPECT_EQ(SelectedLine(), 5);
  // A character GB lacks, and a second byte, are found nowhere.
  DialogsShown.clear();
  FindWithDialog("😀", true);
  FindWithDialog("@", true);
  EXPECT_EQ(DialogsShown,
            (Strings{"Message: Cannot find \"😀\"", "Message: The end of the text is reached. Go on from the top?",
                     "Message: Cannot find \"@\""}));
  // Closed, the dialog is gone; Find Next goes on with the last text.
  SendMessageA(GetDlgItem(FindDialogWindow(), IDCANCEL), BM_CLICK, 0, 0);
  Pump();
  EXPECT_EQ(FindDialogWindow(), nullptr);
}

TEST_F(Viewer, GoToLineShowsTheLineFirstKeepingTheNumberWithinTheLines) {
  ASSERT_TRUE(StartViewer());
  Open("hundred.txt", Lines(100));
  const struct {
    const char* typed;
    int firstLine;
  } rows[] = {{"40", 39}, {"0", 0}, {"99999", 99}, {" 7 lines", 6}};
  for (const auto& row : rows) {
    std::string range;
    AnswerDialogWith("Go to Line", [&](HWND dialog) {
      range = WindowText(GetDlgItem(dialog, ZK_GOTO_LINE_RANGE));
      SetDlgItemTextA(dialog, ZK_GOTO_LINE_FIELD, row.typed);
      SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    Send(WM_COMMAND, ZK_CMD_GOTO_LINE);
    EXPECT_EQ(range, "&Line number (1 - 100):");
    EXPECT_EQ(ViewState.firstLine, row.firstLine) << row.typed;
  }
  // Cancel leaves the view where it was.
  AnswerDialogWith("Go to Line", [](HWND dialog) {
    SetDlgItemTextA(dialog, ZK_GOTO_LINE_FIELD, "1");
    SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  });
  Send(WM_COMMAND, ZK_CMD_GOTO_LINE);
  EXPECT_EQ(ViewState.firstLine, 6);
}

TEST_F(Viewer, TheRealProgramFindsATypedChineseWordByItsKeysAndCopiesTheLineFound) {
  std::string program = InstallProgram(folder), path = folder.File("news.gb");
  // Lines "北京 1" to "北京 4" among others.
  std::string text;
  for (int k = 1; k <= 4; ++k) text += "x\r\n\xB1\xB1\xBE\xA9 " + std::to_string(k) + "\r\n";
  WriteFile(path, ToBytes(text));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring line = WideFromUtf8(("\"" + program + "\" \"" + path + "\"").c_str());
  ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  ASSERT_TRUE(WaitFor([&] { return FrameTitles() == Strings{Title + " - " + path}; }));
  HWND frame = FindWindowExA(nullptr, nullptr, "ZK", nullptr);
  SetForegroundWindow(frame);
  WaitFor([&] { return GetForegroundWindow() == frame; }, 5000);
  AnswerDialogWith("Find", [](HWND) {});  // the other program's: typed into below
  Type({VK_CONTROL, 'F'});
  HWND find = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (find = FindWindowA("#32770", "Find")) != nullptr && IsWindowVisible(find); }));
  TypeText(L"北京");
  // The first Return after a dialog opens may be lost here: the line found
  // is the first or the second.
  Type({VK_RETURN});
  Type({VK_RETURN});
  Pump();
  Type({VK_ESCAPE});
  WaitFor([&] { return !IsWindowVisible(find); }, 5000);
  EmptyTheClipboard();
  Type({VK_CONTROL, 'C'});
  std::string first;
  ASSERT_TRUE(WaitFor([&] { return !(first = ClipboardText()).empty(); }, 5000));
  EXPECT_TRUE(first == "北京 1\r\n" || first == "北京 2\r\n") << first;
  // F3 finds the next one.
  Type({VK_F3});
  EmptyTheClipboard();
  Type({VK_CONTROL, 'C'});
  std::string next;
  ASSERT_TRUE(WaitFor([&] { return !(next = ClipboardText()).empty(); }, 5000));
  EXPECT_EQ(next, "北京 " + std::to_string(first[7] - '0' + 1) + "\r\n");
  Type({VK_CONTROL, 'Q'});
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
  for (HANDLE handle : {process.hProcess, process.hThread}) CloseHandle(handle);
}
