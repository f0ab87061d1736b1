// The real frame and view of ZK, driven with window messages under Wine, and
// the real ZK.exe started as a user starts it.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "base/dispatch_win32.h"
#include "base/error_messages.h"
#include "base/memory.h"
#include "base/program_path.h"
#include "base/settings_values.h"
#include "base/wide_text_win32.h"
#include "document/document.h"
#include "document/line_bitmap.h"
#include "resources/resource_ids.h"
#include "shell/frame_win32.h"
#include "shell/open_document_win32.h"
#include "tests/viewer_harness_win32.h"

TEST_F(Viewer, StartsEmptyWithGbCheckedNothingToSaveOrPrintAndATipForEveryButton) {
  ASSERT_TRUE(StartViewer());
  EXPECT_EQ(WindowText(FrameWindow), Title);
  // Without "TabFile" the table items are gone.
  const std::pair<UINT, int> menu[] = {
      {ZK_CMD_SAVE_PART, MF_GRAYED}, {ZK_CMD_PRINT, MF_GRAYED},  {ZK_CMD_SUPPORT_HZ, MF_CHECKED},
      {ZK_CMD_TOOLBAR, MF_CHECKED},  {ZK_CMD_ABOUT, 0},          {ZK_CMD_TABLE_GB, Absent},
      {ZK_CMD_TABLE_BIG5, Absent},   {ZK_CMD_TABLE_SJIS, Absent}};
  for (auto [id, flags] : menu) EXPECT_EQ(MenuFlags(id), flags) << id;
  const std::pair<UINT, int> buttons[] = {{ZK_CMD_OPEN, TBSTATE_ENABLED}, {ZK_CMD_SAVE_PART, 0}, {ZK_CMD_PRINT, 0}};
  for (auto [id, flags] : buttons) EXPECT_EQ(ButtonFlags(id), flags) << id;
  ExpectCodeChecked(ZK_CMD_CODE_GB);
  // Every row blank, to the last column; no scroll bars.
  EXPECT_EQ(GetWindowLongPtrA(ViewWindow, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL), 0);
  RECT client{}, bar{};
  GetClientRect(ViewWindow, &client);
  EXPECT_EQ(Settings.backColour, Navy);
  EXPECT_EQ(OffBackground(0, 0, client.right, client.bottom, 7), 0);
  EXPECT_EQ(OffBackground(client.right - 1, 0, client.right, client.bottom, 7), 0);
  // The view starts one pixel below the toolbar, which it does not overlap.
  GetWindowRect(ToolbarWindow, &bar);
  EXPECT_EQ(ViewTop(), bar.bottom - bar.top + 1);
  // The buttons in their order, each with its command's string as its tip.
  HWND tips = reinterpret_cast<HWND>(SendMessageA(ToolbarWindow, TB_GETTOOLTIPS, 0, 0));
  Strings shown;
  for (int i = 0; i < SendMessageA(ToolbarWindow, TB_BUTTONCOUNT, 0, 0); ++i) {
    TBBUTTON button{};
    SendMessageA(ToolbarWindow, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
    char text[80] = "";
    TTTOOLINFOA tool{sizeof tool, 0, ToolbarWindow, static_cast<UINT_PTR>(button.idCommand), {}, nullptr,
                     text,        0, nullptr};
    SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    if ((button.fsStyle & BTNS_SEP) == 0) shown.push_back(text);
  }
  EXPECT_EQ(shown, (Strings{"Open", "Save", "Print", "Convert file(GB <=> BIG5)", "Convert file(GB <=> HZ)",
                            "Convert file(GB <=> Shift JIS)", "View GB code ", "View BIG5 code", "View Shift JIS code",
                            "View Unicode", "About"}));
  EXPECT_EQ(DialogsShown, Strings{});
}

TEST_F(Viewer, OpeningTitlesTheFrameAFailedOpenKeepsTheDocumentShownAndHzDecodingFollowsItsSwitch) {
  ASSERT_TRUE(StartViewer());
  std::string path = folder.File("story.gb"), missing = folder.File("missing.gb");
  WriteFile(path, ToBytes("ab\r\ncd\r\n"));
  FileAnswer = path;
  Send(WM_COMMAND, ZK_CMD_OPEN);
  EXPECT_EQ(WindowText(FrameWindow), Title + " - " + path);
  EXPECT_EQ(MenuFlags(ZK_CMD_PRINT), 0);
  EXPECT_EQ(ButtonFlags(ZK_CMD_PRINT), TBSTATE_ENABLED);
  EXPECT_EQ(MenuFlags(ZK_CMD_SAVE_PART), MF_GRAYED);

  // A name that cannot be opened, by the Open command and by View: the message, and then the
  // document, its selection and its title as they were.
  SendMessageA(ViewWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(ViewWindow, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  FileAnswer = missing;
  Send(WM_COMMAND, ZK_CMD_OPEN);
  OpenDocument(FrameWindow, Utf8FromPath(folder.path).c_str());
  Pump();
  EXPECT_EQ(WindowText(FrameWindow), Title + " - " + path);
  EXPECT_EQ(MenuFlags(ZK_CMD_PRINT), 0);
  EXPECT_EQ(MenuFlags(ZK_CMD_SAVE_PART), 0);
  EXPECT_TRUE(CellShows(1, 0, 0, Narrow('c')));
  EXPECT_TRUE(CellShowsIn(0, 0, 0, Narrow('a'), ColourPalette[1], ColourPalette[15]));  // still selected
  // An empty file is read: no document to show, and nothing said.
  Open("empty.gb", "");
  EXPECT_EQ(WindowText(FrameWindow), Title);
  EXPECT_EQ(MenuFlags(ZK_CMD_PRINT), MF_GRAYED);
  EXPECT_EQ(ButtonFlags(ZK_CMD_PRINT), 0);
  EXPECT_EQ(DialogsShown, (Strings{"Open File:", "Open File:", "Error: Can not open the file : " + missing,
                                   "Error: Can not open the file : " + Utf8FromPath(folder.path)}));

  // The HZ switch decides how the next open reads escapes.
  Open("poem.hz", "~{!!~}\r\n");
  EXPECT_EQ(::Document.textLength, 4u);  // 0xA1 0xA1 CR LF
  Send(WM_COMMAND, ZK_CMD_SUPPORT_HZ);
  EXPECT_EQ(MenuFlags(ZK_CMD_SUPPORT_HZ), 0);
  EXPECT_EQ(::Document.textLength, 4u);  // the open document stays as it is
  Open("poem.hz", "~{!!~}\r\n");
  EXPECT_EQ(::Document.textLength, 8u);
  EXPECT_TRUE(CellShows(0, 0, 0, Narrow('~')) && CellShows(0, 1, 0, Narrow('{')));  // the escape, drawn plainly
}

TEST_F(Viewer, PixelsAreTheFontsBitsAndEachCodeButtonRedrawsWithItsFontOrEndsWithoutIt) {
  ASSERT_TRUE(StartViewer());
  Open("glyphs.gb", "A\xB0\xA1\r\n");
  // The three cells as each code's button draws them with its font: 0xB0
  // 0xA1 is GB glyph 1410, Big5 glyph 157 * 15 + 63, two Shift JIS kana.
  struct {
    int command, font;
    Glyph cells[3];
  } const codes[] = {{ZK_CMD_CODE_GB, 0, {Narrow('A'), Wide(1410, 0), Wide(1410, 1)}},
                     {ZK_CMD_CODE_BIG5, 1, {Narrow('A'), Wide(2418, 0), Wide(2418, 1)}},
                     {ZK_CMD_CODE_SJIS, 2, {Narrow('A'), Narrow(0xB0), Narrow(0xA1)}}};
  for (const auto& code : codes) {
    Send(WM_COMMAND, static_cast<WPARAM>(code.command), reinterpret_cast<LPARAM>(ToolbarWindow));
    for (int cell = 0; cell < 3; ++cell) EXPECT_TRUE(CellShows(0, cell, code.font, code.cells[cell])) << cell;
    ExpectCodeChecked(code.command);
  }
  // The rest of the line and the rows past the end in the background colour.
  RECT client{};
  GetClientRect(ViewWindow, &client);
  EXPECT_EQ(OffBackground(40, 10, client.right, 11) + OffBackground(0, 30, client.right, 31), 0);
  EXPECT_EQ(OffBackground(0, client.bottom - 1, client.right, client.bottom), 0);
  // A code whose font has gone ends the program, with its message.
  WriteTestFonts(ProgramFolder(), 1);
  SendMessageA(FrameWindow, WM_COMMAND, ZK_CMD_CODE_BIG5, 0);
  EXPECT_FALSE(IsWindow(FrameWindow));
  EXPECT_TRUE(Pump());  // the quit request
  EXPECT_EQ(DialogsShown, Strings{"Error: Can not open the font file: " + ProgramFolder() + "\\ZKFT16.FON"});
}

TEST_F(Viewer, AUnicodeTextShowsInTheUnicodeCodeItsMarkNamesAndTheToolbarStays) {
  ASSERT_TRUE(StartViewer());
  Open("u8.txt", "\xE4\xB8\xAD a\r\n");
  ExpectCodeChecked(ZK_CMD_CODE_UNICODE);
  EXPECT_EQ(CodeType, CodeUtf8);
  Open("u16.txt", std::string("\xFF\xFE\x2D\x4E"
                              "a\0\r\0\n\0",
                              10));
  ExpectCodeChecked(ZK_CMD_CODE_UNICODE);
  EXPECT_EQ(CodeType, CodeUtf16Le);
  // UTF-16's code is no command of its own: the toolbar stays as it was.
  EXPECT_EQ(MenuFlags(ZK_CMD_TOOLBAR), MF_CHECKED);
  EXPECT_TRUE(IsWindowVisible(ToolbarWindow));
  // By hand to GB and back: Unicode is the form the mark names.
  Send(WM_COMMAND, ZK_CMD_CODE_GB, reinterpret_cast<LPARAM>(ToolbarWindow));
  ExpectCodeChecked(ZK_CMD_CODE_GB);
  EXPECT_EQ(::Document.lineCount, 2);  // the line feed's second byte starts a line in GB
  Send(WM_COMMAND, ZK_CMD_CODE_UNICODE);
  ExpectCodeChecked(ZK_CMD_CODE_UNICODE);
  EXPECT_EQ(CodeType, CodeUtf16Le);
  EXPECT_EQ(DialogsShown, Strings{});
}

TEST_F(Viewer, KeysAndScrollMessagesMoveTheViewAndALineStepDrawsOnlyTheNewRow) {
  ASSERT_TRUE(StartViewer());
  Open("hundred.txt", Lines(100));
  // 75 columns and 30 whole rows with a partial one below.
  SizeViewClient(600, 30 * 24 + 12);
  // Typed keys reach the frame, which has the focus, and then the view.
  SetForegroundWindow(FrameWindow);
  ASSERT_TRUE(WaitFor([] { return GetFocus() == FrameWindow; }, 5000));
  Type({VK_NEXT});
  EXPECT_TRUE(WaitFor([] { return RowShowsLine(0, 29); }, 5000));
  Send(WM_KEYDOWN, VK_END);
  EXPECT_TRUE(RowShowsLine(0, 70));
  EXPECT_TRUE(RowShowsLine(29, 99));
  EXPECT_EQ(GetScrollPos(ViewWindow, SB_VERT), 70);
  SendMessageA(ViewWindow, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 42), 0);
  Pump();
  EXPECT_TRUE(RowShowsLine(0, 42));
  // A line step moves the pixels and draws the new row alone.
  EXPECT_EQ(RowsRedrawn([] { Send(WM_KEYDOWN, VK_DOWN); }), std::vector<int>{29});
  for (int row : {0, 28, 29}) EXPECT_TRUE(RowShowsLine(row, 43 + row)) << row;
  EXPECT_EQ(RowsRedrawn([] { Send(WM_KEYDOWN, VK_UP); }), std::vector<int>{0});
  for (int row : {0, 1, 29}) EXPECT_TRUE(RowShowsLine(row, 42 + row)) << row;
  // A paint draws only the rows it was asked for.
  const RECT row{0, 3 * 24, 600, 4 * 24};
  EXPECT_EQ(RowsRedrawn([&] { RedrawWindow(ViewWindow, &row, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }),
            std::vector<int>{3});
  // Ctrl+Right: as far as the bar goes; "Q042 " filled cells 0 to 4.
  Type({VK_CONTROL, VK_RIGHT});
  EXPECT_TRUE(WaitFor([] { return GetScrollPos(ViewWindow, SB_HORZ) == 5; }, 5000));
  EXPECT_TRUE(CellShows(0, 0, 0, Narrow('0')));
}

TEST_F(Viewer, ThreeDroppedFilesNamedInAnyScriptOpenTheFirstAndStartInstancesForTheOthers) {
  ASSERT_TRUE(StartViewer());
  SetModulePath(InstallProgram(folder).c_str());
  std::string names[3] = {folder.File("中文.gb"), folder.File("日本語.jp"), folder.File("한국어 글.txt")};
  std::wstring list;
  for (const std::string& name : names) {
    WriteFile(name, ToBytes("text\r\n"));
    list += WideFromUtf8(name.c_str()) + L'\0';
  }
  HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + (list.size() + 1) * sizeof(wchar_t));
  auto* files = static_cast<DROPFILES*>(GlobalLock(drop));
  files->pFiles = sizeof(DROPFILES);
  files->fWide = TRUE;
  std::memcpy(files + 1, list.data(), list.size() * sizeof(wchar_t));
  GlobalUnlock(drop);
  PostMessageA(FrameWindow, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  Strings titles{Title + " - " + names[0], Title + " - " + names[1], Title + " - " + names[2]};
  std::sort(titles.begin(), titles.end());
  EXPECT_TRUE(WaitFor([&] { return FrameTitles() == titles; }));
  EXPECT_EQ(WindowText(FrameWindow), Title + " - " + names[0]);
  EXPECT_EQ(DialogsShown, Strings{});
}

TEST_F(Viewer, StoredSettingsAreClampedAtTheStartWrittenAtExitAndReadBack) {
  // Out of range, each with the value that is used and written at exit.
  const char* const clamped[][3] = {
      {"TextColor", "20", "15"}, {"BackColor", "-3", "1"}, {"CharsPerLine", "8", "16"}, {"LinePitch", "0", "2"}};
  for (auto& value : clamped) StoreSetting(value[0], value[1]);
  StoreSetting("Country", "7");
  // A rectangle wholly off the screen is not used.
  for (const char* key : {"Left", "Top"}) StoreSetting(key, "-5000");
  for (const char* key : {"Right", "Bottom"}) StoreSetting(key, "-10");
  StoreSetting("TabFile", "1");
  ASSERT_TRUE(StartViewer());
  // "TabFile" keeps the table items; they and the other commands still to
  // come have enabled items.
  for (UINT id : {ZK_CMD_CONVERT_BIG5, ZK_CMD_CONVERT_SJIS, ZK_CMD_CONVERT_HZ, ZK_CMD_PAGE_SETUP, ZK_CMD_LINE_WIDTH,
                  ZK_CMD_COLOUR, ZK_CMD_TABLE_GB, ZK_CMD_TABLE_BIG5, ZK_CMD_TABLE_SJIS}) {
    EXPECT_EQ(MenuFlags(id), 0) << id;
  }
  RECT frame{}, expected{50, 60, 850, 660}, screen{0, 0, 1280, 1024}, seen{};
  GetWindowRect(FrameWindow, &frame);
  EXPECT_TRUE(IntersectRect(&seen, &frame, &screen));
  ExpectCodeChecked(ZK_CMD_CODE_GB);
  // White background, dark blue characters, rows of 18 pixels.
  Open("clamped.gb", "A\r\n");
  EXPECT_EQ(LineBitmap.lineHeight, 18);
  EXPECT_EQ(ViewPixel(300, 100), 0xFFFFFFu);
  EXPECT_TRUE(CellShows(0, 0, 0, Narrow('A')));

  Send(WM_COMMAND, ZK_CMD_TOOLBAR);
  EXPECT_FALSE(IsWindowVisible(ToolbarWindow));
  EXPECT_EQ(ViewTop(), 0);  // the view takes the toolbar's place
  Send(WM_COMMAND, ZK_CMD_SUPPORT_HZ);
  Send(WM_COMMAND, ZK_CMD_CODE_BIG5);
  SetWindowPos(FrameWindow, nullptr, 50, 60, 800, 600, SWP_NOZORDER);
  SendMessageA(FrameWindow, WM_COMMAND, ZK_CMD_EXIT, 0);
  EXPECT_FALSE(IsWindow(FrameWindow));
  EXPECT_TRUE(Pump());  // the quit request
  const std::pair<const char*, const char*> stored[] = {{"Country", "1"}, {"ToolBar", "0"}, {"SupportHZ", "0"},
                                                        {"Left", "50"},   {"Top", "60"},    {"Right", "850"},
                                                        {"Bottom", "660"}};
  for (auto [key, value] : stored) EXPECT_EQ(StoredSetting(key), value) << key;
  for (auto& value : clamped) EXPECT_EQ(StoredSetting(value[0]), value[2]) << value[0];

  StopViewer();
  ASSERT_TRUE(StartViewer());
  GetWindowRect(FrameWindow, &frame);
  EXPECT_TRUE(EqualRect(&frame, &expected));
  EXPECT_FALSE(IsWindowVisible(ToolbarWindow));
  EXPECT_EQ(MenuFlags(ZK_CMD_TOOLBAR) | MenuFlags(ZK_CMD_SUPPORT_HZ), 0);
  ExpectCodeChecked(ZK_CMD_CODE_BIG5);
  // Closed while maximised: the stored rectangle stays.
  ShowWindow(FrameWindow, SW_MAXIMIZE);
  StopViewer();
  EXPECT_EQ(StoredSetting("Right"), "850");
  EXPECT_EQ(DialogsShown, Strings{});
}

TEST_F(Viewer, MinimisingLeavesTheViewAloneAndALineBitmapThatCannotBeMadeClosesIt) {
  ASSERT_TRUE(StartViewer());
  SizeViewClient(500, 400);
  ShowWindow(FrameWindow, SW_MINIMIZE);
  Pump();
  RECT view{}, frame{};
  GetClientRect(ViewWindow, &view);
  EXPECT_EQ(view.right, 500);
  EXPECT_EQ(view.bottom, 400);
  ShowWindow(FrameWindow, SW_RESTORE);
  Pump();
  GetClientRect(FrameWindow, &frame);
  GetWindowRect(ViewWindow, &view);
  EXPECT_EQ(view.right - view.left, frame.right);
  // A line bitmap that cannot be made closes the view, with its message.
  FailAllocationsAfter(0);
  SizeViewClient(300, 200);
  FailAllocationsAfter(-1);
  EXPECT_FALSE(IsWindow(ViewWindow));
  EXPECT_TRUE(IsWindow(FrameWindow));
  EXPECT_EQ(DialogsShown, Strings{"Error: Can not alloc memory!"});
}

TEST(Resources, TheOpenFilterAndEveryErrorTextAreStringsAndTheKeysAreTheUsualOnes) {
  char text[300] = "";
  HINSTANCE self = GetModuleHandleA(nullptr);
  EXPECT_EQ(LoadStringA(self, ZK_STRING_FILTER, text, sizeof text), 251);
  EXPECT_EQ(std::string(text).substr(0, 15), "All Files(*.*)|");
  for (int id = FirstErrorId; id <= LastErrorId; ++id) {
    LoadStringA(self, static_cast<UINT>(id), text, sizeof text);
    EXPECT_STREQ(text, ErrorMessageText(id)) << id;
  }
  // Ctrl+Q, Ctrl+C, Ctrl+F, F3 and Ctrl+G.
  ACCEL keys[8] = {};
  ASSERT_EQ(CopyAcceleratorTableA(LoadAcceleratorsA(self, "ZK"), keys, 8), 5);
  const std::tuple<WORD, WORD, BYTE> expected[] = {{'Q', ZK_CMD_EXIT, FCONTROL},
                                                   {'C', ZK_CMD_COPY, FCONTROL},
                                                   {'F', ZK_CMD_FIND, FCONTROL},
                                                   {VK_F3, ZK_CMD_FIND_NEXT, 0},
                                                   {'G', ZK_CMD_GOTO_LINE, FCONTROL}};
  for (size_t k = 0; k < 5; ++k)
    EXPECT_EQ(std::make_tuple(keys[k].key, keys[k].cmd, static_cast<BYTE>(keys[k].fVirt & (FVIRTKEY | FCONTROL))),
              std::make_tuple(std::get<0>(expected[k]), std::get<1>(expected[k]),
                              static_cast<BYTE>(FVIRTKEY | std::get<2>(expected[k]))))
        << k;
}

TEST(DispatchTables, UnlistedMessagesReachTheChosenDefaultAndCommandsMatchOnTheirId) {
  HWND window = CreateWindowExA(0, "STATIC", "abcde", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  const MessageEntry rows[] = {{WM_USER, nullptr}};
  // The window's own answer by the window default, none by a dialog's.
  EXPECT_EQ(DispatchByMessage(MakeMessageTable(rows, DefaultWindow), window, WM_GETTEXTLENGTH, 0, 0), 5);
  EXPECT_EQ(DispatchByMessage(MakeMessageTable(rows, DefaultNone), window, WM_GETTEXTLENGTH, 0, 0), 0);
  // A notification code in the high word still finds its id's row, and is handed on.
  const CommandEntry commands[] = {
      {ZK_CMD_CONVERT_BIG5, [](HWND, WPARAM, WPARAM code, LPARAM) { return static_cast<int32_t>(code); }}};
  EXPECT_EQ(
      DispatchByCommand(MakeCommandTable(commands, DefaultNone), window, MAKEWPARAM(ZK_CMD_CONVERT_BIG5, 0x300), 0),
      0x300);
  DestroyWindow(window);
}

TEST_F(Viewer, TheRealProgramEndsWithAMessageWithoutItsFontAndOpensQuotedNamesHereAndInANewInstance) {
  std::string program = InstallProgram(folder), first = folder.File("中文 名.gb"), second = folder.File("日本語.jp");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  auto start = [&](const std::string& line) {
    std::wstring wide = WideFromUtf8(line.c_str());
    return CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
  };
  WriteTestFonts(folder.path.string(), 1);
  StoreSetting("Country", "1");
  ASSERT_TRUE(start("\"" + program + "\""));
  ASSERT_TRUE(WaitFor([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 30000));
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(DialogsShown, Strings{"Error: Can not open the font file: " + folder.File("ZKFT16.FON")});
  EXPECT_EQ(StoredSetting("ToolBar"), "1");  // the frame's end still wrote the settings

  ForgetSettings();
  for (HANDLE handle : {process.hProcess, process.hThread}) CloseHandle(handle);
  for (const std::string& name : {first, second}) WriteFile(name, ToBytes(name));
  WriteTestFonts(folder.path.string());
  ASSERT_TRUE(start("\"" + program + "\" \"" + first + "\" " + second));
  ASSERT_TRUE(WaitFor([&] { return FrameTitles() == Strings{Title + " - " + first, Title + " - " + second}; }));
  // Typed keys go to the window that has the focus: its process ends.
  HWND here = FindWindowW(L"ZK", WideFromUtf8((Title + " - " + first).c_str()).c_str());
  SetForegroundWindow(here);
  WaitFor([&] { return GetForegroundWindow() == here; }, 5000);
  Type({VK_CONTROL, 'Q'});
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
  EXPECT_EQ(StoredSetting("CharsPerLine"), "80");
  EXPECT_NE(StoredSetting("Right"), "");
  for (HANDLE handle : {process.hProcess, process.hThread}) CloseHandle(handle);
}
