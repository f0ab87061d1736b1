// The real frame and view of ZK, driven with window messages under Wine, and
// the real ZK.exe started as a user starts it.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "document/document.h"
#include "document/line_bitmap.h"
#include "document/open_document_win32.h"
#include "shell/dispatch_win32.h"
#include "shell/error_messages.h"
#include "shell/font_path.h"
#include "shell/frame_win32.h"
#include "shell/memory.h"
#include "shell/settings_file_win32.h"
#include "shell/settings_values.h"
#include "shell/text_view_win32.h"
#include "shell/view_state.h"
#include "tests/viewer_harness_win32.h"

namespace {
const std::string Title = "Larkspan for Windows(32) Ver.2.5";

enum Commands {
  Open = 10000,
  SavePart = 10001,
  Print = 10004,
  Exit = 10006,
  About = 10007,
  CodeGbCommand = 10010,
  CodeBig5Command = 10011,
  CodeSjisCommand = 10012,
  Toolbar = 10014,
  SupportHz = 10017,
  TableGb = 10018,
  TableBig5 = 10019,
  TableSjis = 10020,
};

class Viewer : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetSettings();
    WriteTestFonts(ProgramFolder());
    watcher = std::make_unique<BoxWatcher>();
  }
  void TearDown() override {
    StopViewer();
    watcher.reset();
    ForgetSettings();
  }

  std::string Document(const std::string& name, const std::string& text) {
    std::string path = folder.File(name);
    WriteFile(path, ToBytes(text));
    return path;
  }

  ScratchFolder folder;
  std::unique_ptr<BoxWatcher> watcher;
};

UINT MenuState(UINT id) { return GetMenuState(FrameMenu, id, MF_BYCOMMAND); }
bool MenuChecked(UINT id) { return (MenuState(id) & MF_CHECKED) != 0; }
bool MenuGrayed(UINT id) { return (MenuState(id) & MF_GRAYED) != 0; }
bool MenuPresent(UINT id) { return MenuState(id) != static_cast<UINT>(-1); }
bool ButtonEnabled(UINT id) { return SendMessageA(ToolbarWindow, TB_ISBUTTONENABLED, id, 0) != 0; }
bool ButtonChecked(UINT id) { return SendMessageA(ToolbarWindow, TB_ISBUTTONCHECKED, id, 0) != 0; }
std::string FrameTitle() { return WindowText(FrameWindow); }

void Command(UINT id) {
  SendMessageA(FrameWindow, WM_COMMAND, id, 0);
  Pump();
}

void Key(UINT key, bool control = false) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = control ? 0x80 : 0;
  SetKeyboardState(keys);
  SendMessageA(FrameWindow, WM_KEYDOWN, key, 0);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  Pump();
}

// The 16 rows of a single-byte glyph, or one half of a double-byte one.
Bytes NarrowGlyph(int code, uint8_t c) {
  Bytes font = TestFont(code);
  return Bytes(font.begin() + 16 * c, font.begin() + 16 * c + 16);
}

Bytes WideHalf(int code, int glyph, int half) {
  Bytes font = TestFont(code);
  Bytes rows;
  for (int k = 0; k < 16; ++k) rows.push_back(font[4096 + 32 * glyph + 2 * k + half]);
  return rows;
}

// Counts the pixels of cell `cell` in screen row `row` that differ from
// the glyph rows in the text colour on the background colour.
int CellMismatches(int row, int cell, const Bytes& glyph) {
  int top = row * LineBitmap.lineHeight + (LineBitmap.lineHeight - 16) / 2;
  int wrong = 0;
  for (int k = 0; k < 16; ++k) {
    for (int bit = 0; bit < 8; ++bit) {
      bool ink = ((glyph[k] >> (7 - bit)) & 1) != 0;
      COLORREF expected = ink ? Settings.textColour : Settings.backColour;
      if (ViewPixel(8 * cell + bit, top + k) != expected) ++wrong;
    }
  }
  return wrong;
}

// A document of `count` lines; line i begins with letter 'A' + i % 26 and
// its number, then the digits 0 to 9 repeated to 60 cells.
std::string Lines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    char head[16];
    std::snprintf(head, sizeof head, "%c%03d ", 'A' + i % 26, i);
    text += head;
    for (int c = 0; c < 60; ++c) text += static_cast<char>('0' + c % 10);
    text += "\r\n";
  }
  return text;
}

// Paints the whole view in a colour no row uses, runs `action`, and lists
// the rows that were drawn again.
std::vector<int> RowsRedrawn(const std::function<void()>& action) {
  const COLORREF marker = 0x00FF00;
  RECT client{};
  GetClientRect(ViewWindow, &client);
  HDC dc = GetDC(ViewWindow);
  HBRUSH brush = CreateSolidBrush(marker);
  FillRect(dc, &client, brush);
  DeleteObject(brush);
  ReleaseDC(ViewWindow, dc);
  action();
  std::vector<int> rows;
  for (int row = 0; (row + 1) * LineBitmap.lineHeight <= client.bottom; ++row) {
    if (ViewPixel(client.right - 1, row * LineBitmap.lineHeight) != marker) rows.push_back(row);
  }
  return rows;
}

std::string Copy(const std::string& from, const std::string& to) {
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
  return to;
}
}  // namespace

TEST_F(Viewer, StartsEmptyWithGbCheckedAndNothingToSaveOrPrint) {
  ASSERT_TRUE(StartViewer());
  SaveScreenshot(FrameWindow, "viewer-empty");
  EXPECT_EQ(FrameTitle(), Title);
  EXPECT_TRUE(MenuGrayed(SavePart));
  EXPECT_TRUE(MenuGrayed(Print));
  EXPECT_FALSE(ButtonEnabled(SavePart));
  EXPECT_FALSE(ButtonEnabled(Print));
  EXPECT_TRUE(ButtonEnabled(Open));
  EXPECT_TRUE(MenuChecked(CodeGbCommand));
  EXPECT_FALSE(MenuChecked(CodeBig5Command));
  EXPECT_TRUE(ButtonChecked(CodeGbCommand));
  EXPECT_TRUE(MenuChecked(SupportHz));
  EXPECT_TRUE(MenuChecked(Toolbar));
  // Without "TabFile" the Option menu ends with "&About...".
  EXPECT_TRUE(MenuPresent(About));
  EXPECT_FALSE(MenuPresent(TableGb));
  EXPECT_FALSE(MenuPresent(TableBig5));
  EXPECT_FALSE(MenuPresent(TableSjis));
  // Every row blank, no scroll bars.
  LONG_PTR style = GetWindowLongPtrA(ViewWindow, GWL_STYLE);
  EXPECT_EQ(style & (WS_VSCROLL | WS_HSCROLL), 0);
  RECT client{};
  GetClientRect(ViewWindow, &client);
  for (int y = 0; y < client.bottom; y += 7) {
    ASSERT_EQ(ViewPixel(3, y), 0x800000u) << y;
    ASSERT_EQ(ViewPixel(client.right - 1, y), 0x800000u) << y;
  }
  // The view starts one pixel below the toolbar, which it does not overlap.
  RECT bar{};
  GetWindowRect(ToolbarWindow, &bar);
  POINT origin{0, 0};
  MapWindowPoints(ViewWindow, FrameWindow, &origin, 1);
  EXPECT_EQ(origin.y, bar.bottom - bar.top + 1);
  EXPECT_TRUE(watcher->Boxes().empty());
}

TEST_F(Viewer, CommandsStillToComeHaveTheirItemsAndDoNothingYet) {
  StoreSetting("TabFile", "1");
  ASSERT_TRUE(StartViewer());
  std::string path = Document("quiet.gb", "quiet\r\n");
  OpenDocument(FrameWindow, path.c_str());
  Pump();
  for (UINT id : {10002u, 10003u, 10016u, 10008u, 10009u, 10018u, 10019u, 10020u}) {
    EXPECT_TRUE(MenuPresent(id)) << id;
    EXPECT_FALSE(MenuGrayed(id)) << id;
    Command(id);
    EXPECT_TRUE(IsWindow(FrameWindow)) << id;
  }
  Command(About);
  EXPECT_EQ(FrameTitle(), Title + " - " + path);
  EXPECT_EQ(::Document.lineCount, 1);
  EXPECT_TRUE(watcher->Boxes().empty());
}

TEST_F(Viewer, TabFileKeepsTheTableItems) {
  StoreSetting("TabFile", "1");
  ASSERT_TRUE(StartViewer());
  EXPECT_TRUE(MenuPresent(TableGb));
  EXPECT_TRUE(MenuPresent(TableBig5));
  EXPECT_TRUE(MenuPresent(TableSjis));
}

TEST_F(Viewer, OpeningTitlesTheFrameAndAFailedOpenLeavesTheBareTitle) {
  ASSERT_TRUE(StartViewer());
  std::string path = Document("story.gb", "ab\r\ncd\r\n");
  OpenDocument(FrameWindow, path.c_str());
  Pump();
  EXPECT_EQ(FrameTitle(), Title + " - " + path);
  EXPECT_STREQ(::Document.fileName, "story.gb");
  EXPECT_EQ(::Document.lineCount, 2);
  EXPECT_FALSE(MenuGrayed(Print));
  EXPECT_TRUE(ButtonEnabled(Print));
  EXPECT_TRUE(MenuGrayed(SavePart));

  std::string missing = folder.File("missing.gb");
  OpenDocument(FrameWindow, missing.c_str());
  Pump();
  EXPECT_EQ(FrameTitle(), Title);
  EXPECT_EQ(::Document.lineCount, 0);
  EXPECT_TRUE(MenuGrayed(Print));
  EXPECT_FALSE(ButtonEnabled(Print));
  auto boxes = watcher->Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].text, "Can not open the file : " + missing);
  // An empty file is no document either, and says nothing.
  std::string empty = Document("empty.gb", "");
  OpenDocument(FrameWindow, empty.c_str());
  Pump();
  EXPECT_EQ(FrameTitle(), Title);
  EXPECT_EQ(watcher->Boxes().size(), 1u);
}

TEST_F(Viewer, TheOpenCommandOpensWhatTheDialogChose) {
  ASSERT_TRUE(StartViewer());
  std::string path = Document("chosen.gb", "chosen\r\n");
  watcher->AnswerOpenWith(path);
  Command(Open);
  EXPECT_EQ(FrameTitle(), Title + " - " + path);
  auto boxes = watcher->Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Open File");
}

TEST_F(Viewer, PixelsAreTheFontsBitsAndACodeSwitchRedrawsWithTheOtherFont) {
  ASSERT_TRUE(StartViewer());
  // "A", GB 0xB0 0xA1 (glyph 1410), then a line end.
  std::string path = Document("glyphs.gb", "A\xB0\xA1\r\n");
  OpenDocument(FrameWindow, path.c_str());
  Pump();
  ASSERT_EQ(CodeType, CodeGb);
  SaveScreenshot(FrameWindow, "viewer-gb-glyphs");
  EXPECT_EQ(CellMismatches(0, 0, NarrowGlyph(0, 'A')), 0);
  EXPECT_EQ(CellMismatches(0, 1, WideHalf(0, 1410, 0)), 0);
  EXPECT_EQ(CellMismatches(0, 2, WideHalf(0, 1410, 1)), 0);
  // Rows past the end, and the rest of the line, in the background colour.
  RECT client{};
  GetClientRect(ViewWindow, &client);
  for (int x = 0; x < client.right; x += 5) {
    ASSERT_EQ(ViewPixel(x, 30), 0x800000u) << x;
    ASSERT_EQ(ViewPixel(x, client.bottom - 1), 0x800000u) << x;
  }
  for (int x = 40; x < client.right; x += 5) ASSERT_EQ(ViewPixel(x, 10), 0x800000u) << x;

  // The Big5 button: the same line drawn with the Big5 font, 0xB0 0xA1
  // being Big5 glyph 157 * 15 + 63.
  SendMessageA(FrameWindow, WM_COMMAND, CodeBig5Command, reinterpret_cast<LPARAM>(ToolbarWindow));
  Pump();
  SaveScreenshot(FrameWindow, "viewer-big5-switch");
  EXPECT_EQ(CodeType, CodeBig5);
  EXPECT_EQ(CellMismatches(0, 0, NarrowGlyph(1, 'A')), 0);
  EXPECT_EQ(CellMismatches(0, 1, WideHalf(1, 2418, 0)), 0);
  EXPECT_EQ(CellMismatches(0, 2, WideHalf(1, 2418, 1)), 0);
  EXPECT_TRUE(MenuChecked(CodeBig5Command));
  EXPECT_FALSE(MenuChecked(CodeGbCommand));
  EXPECT_TRUE(ButtonChecked(CodeBig5Command));
  EXPECT_FALSE(ButtonChecked(CodeGbCommand));
  // Shift JIS pairs 0xB0 as a single byte (a half-width kana).
  Command(CodeSjisCommand);
  EXPECT_EQ(CellMismatches(0, 1, NarrowGlyph(2, 0xB0)), 0);
  EXPECT_EQ(CellMismatches(0, 2, NarrowGlyph(2, 0xA1)), 0);
  EXPECT_TRUE(ButtonChecked(CodeSjisCommand));
  EXPECT_FALSE(ButtonChecked(CodeBig5Command));
}

TEST_F(Viewer, KeysAndScrollRequestsMoveByTheWorkedNumbers) {
  ASSERT_TRUE(StartViewer());
  std::string path = Document("hundred.txt", Lines(100));
  OpenDocument(FrameWindow, path.c_str());
  Pump();
  ASSERT_EQ(::Document.lineCount, 100);
  // 75 columns and 30 whole rows with a partial one below.
  SizeViewClient(600, 30 * 24 + 12);
  ASSERT_EQ(ViewState.visibleColumns, 75);
  ASSERT_EQ(ViewState.visibleRows, 30);
  LONG_PTR style = GetWindowLongPtrA(ViewWindow, GWL_STYLE);
  EXPECT_NE(style & WS_VSCROLL, 0);
  EXPECT_NE(style & WS_HSCROLL, 0);
  int low = 0, high = 0;
  GetScrollRange(ViewWindow, SB_HORZ, &low, &high);
  EXPECT_EQ(high, 5);
  GetScrollRange(ViewWindow, SB_VERT, &low, &high);
  EXPECT_EQ(high, 70);

  Key(VK_END);
  EXPECT_EQ(ViewState.firstLine, 70);
  EXPECT_EQ(GetScrollPos(ViewWindow, SB_VERT), 70);
  EXPECT_EQ(CellMismatches(0, 0, NarrowGlyph(0, 'A' + 70 % 26)), 0);
  EXPECT_EQ(CellMismatches(29, 0, NarrowGlyph(0, 'A' + 99 % 26)), 0);
  for (int x = 0; x < 600; x += 9) ASSERT_EQ(ViewPixel(x, 30 * 24 + 6), 0x800000u) << x;
  SaveScreenshot(FrameWindow, "viewer-end");
  Key(VK_DOWN);
  EXPECT_EQ(ViewState.firstLine, 70);
  Key(VK_HOME);
  EXPECT_EQ(ViewState.firstLine, 0);
  Key(VK_UP);
  EXPECT_EQ(ViewState.firstLine, 0);
  Key(VK_NEXT);
  EXPECT_EQ(ViewState.firstLine, 29);
  EXPECT_EQ(CellMismatches(0, 0, NarrowGlyph(0, 'A' + 29 % 26)), 0);
  Key(VK_PRIOR);
  EXPECT_EQ(ViewState.firstLine, 0);
  SendMessageA(ViewWindow, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 42), 0);
  Pump();
  EXPECT_EQ(ViewState.firstLine, 42);
  EXPECT_EQ(CellMismatches(0, 0, NarrowGlyph(0, 'A' + 42 % 26)), 0);

  // Ctrl+Right: 74 capped at 5; the first cell shown is then column 5.
  Key(VK_RIGHT, true);
  EXPECT_EQ(ViewState.firstColumn, 5);
  EXPECT_EQ(GetScrollPos(ViewWindow, SB_HORZ), 5);
  EXPECT_EQ(CellMismatches(0, 0, NarrowGlyph(0, '0')), 0);  // "Q042 " takes cells 0 to 4
  Key(VK_RIGHT);
  EXPECT_EQ(ViewState.firstColumn, 5);
  Key(VK_LEFT);
  EXPECT_EQ(ViewState.firstColumn, 4);
  Key(VK_LEFT, true);
  EXPECT_EQ(ViewState.firstColumn, 0);
}

TEST_F(Viewer, TypedKeysReachTheViewThroughTheFrame) {
  ASSERT_TRUE(StartViewer());
  std::string path = Document("typed.txt", Lines(100));
  OpenDocument(FrameWindow, path.c_str());
  Pump();
  SizeViewClient(600, 30 * 24 + 12);
  SetForegroundWindow(FrameWindow);
  ASSERT_TRUE(WaitFor([] { return GetFocus() == FrameWindow; }, 5000));
  INPUT keys[2] = {};
  for (INPUT& key : keys) key.type = INPUT_KEYBOARD;
  keys[0].ki.wVk = VK_NEXT;
  keys[1].ki.wVk = VK_NEXT;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
  EXPECT_TRUE(WaitFor([] { return ViewState.firstLine == 29; }, 5000));
  keys[0].ki.wVk = keys[1].ki.wVk = VK_END;
  SendInput(2, keys, sizeof(INPUT));
  EXPECT_TRUE(WaitFor([] { return ViewState.firstLine == 70; }, 5000));
}

TEST_F(Viewer, ALineStepScrollsPixelsAndDrawsOneRowAndPaintsOnlyWhatIsInvalid) {
  ASSERT_TRUE(StartViewer());
  std::string path = Document("steps.txt", Lines(100));
  OpenDocument(FrameWindow, path.c_str());
  Pump();
  SizeViewClient(640, 30 * 24);
  ASSERT_EQ(ViewState.visibleRows, 30);
  Key(VK_DOWN);
  EXPECT_EQ(ViewState.firstLine, 1);
  // The moved pixels show the right lines, the new bottom row too.
  EXPECT_EQ(CellMismatches(0, 0, NarrowGlyph(0, 'B')), 0);
  EXPECT_EQ(CellMismatches(28, 0, NarrowGlyph(0, 'A' + 29 % 26)), 0);
  EXPECT_EQ(CellMismatches(29, 0, NarrowGlyph(0, 'A' + 30 % 26)), 0);
  Key(VK_UP);
  EXPECT_EQ(CellMismatches(0, 0, NarrowGlyph(0, 'A')), 0);
  EXPECT_EQ(CellMismatches(1, 0, NarrowGlyph(0, 'B')), 0);
  // Over a view painted in a colour no row uses, only redrawn rows change.
  EXPECT_EQ(RowsRedrawn([] { Key(VK_DOWN); }), std::vector<int>{29});
  EXPECT_EQ(RowsRedrawn([] { Key(VK_UP); }), std::vector<int>{0});
  EXPECT_EQ(RowsRedrawn([] {
              RECT row{0, 3 * 24, 640, 4 * 24};
              InvalidateRect(ViewWindow, &row, FALSE);
              UpdateWindow(ViewWindow);
            }),
            std::vector<int>{3});
}

TEST_F(Viewer, ThreeDroppedFilesOpenTheFirstAndStartInstancesForTheOthers) {
  ASSERT_TRUE(StartViewer());
  std::string program = Copy(RealProgramPath(), folder.File("ZK.exe"));
  WriteTestFonts(folder.path.string());
  SetModulePath(program.c_str());
  std::string names[3] = {Document("one.gb", "one\r\n"), Document("two.gb", "two\r\n"),
                          Document("three.gb", "three\r\n")};
  size_t bytes = sizeof(DROPFILES) + 1;
  for (const std::string& name : names) bytes += name.size() + 1;
  HGLOBAL drop = GlobalAlloc(GHND, bytes);
  auto* files = static_cast<DROPFILES*>(GlobalLock(drop));
  files->pFiles = sizeof(DROPFILES);
  char* at = reinterpret_cast<char*>(files) + sizeof(DROPFILES);
  for (const std::string& name : names) {
    std::memcpy(at, name.c_str(), name.size() + 1);
    at += name.size() + 1;
  }
  GlobalUnlock(drop);
  PostMessageA(FrameWindow, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  EXPECT_TRUE(WaitFor([&] { return FrameTitle() == Title + " - " + names[0]; }));
  std::vector<HWND> started;
  bool both = WaitFor([&] {
    started = OtherFrames();
    int titled = 0;
    for (HWND frame : started) {
      std::string text = WindowText(frame);
      if (text == Title + " - " + names[1] || text == Title + " - " + names[2]) ++titled;
    }
    return titled == 2;
  });
  EXPECT_TRUE(both);
  EXPECT_EQ(started.size(), 2u);
  for (HWND frame : started) EXPECT_TRUE(CloseOtherFrame(frame));
  EXPECT_TRUE(watcher->Boxes().empty());
}

TEST_F(Viewer, SettingsAreWrittenAtExitAndReadBackAtTheNextStart) {
  ASSERT_TRUE(StartViewer());
  Command(Toolbar);
  EXPECT_FALSE(IsWindowVisible(ToolbarWindow));
  EXPECT_FALSE(MenuChecked(Toolbar));
  RECT view{};
  GetWindowRect(ViewWindow, &view);
  POINT origin{view.left, view.top};
  ScreenToClient(FrameWindow, &origin);
  EXPECT_EQ(origin.y, 0);
  Command(SupportHz);
  EXPECT_FALSE(MenuChecked(SupportHz));
  Command(CodeBig5Command);
  SetWindowPos(FrameWindow, nullptr, 50, 60, 800, 600, SWP_NOZORDER);
  Pump();
  StopViewer();

  EXPECT_EQ(StoredSetting("CharsPerLine"), "80");
  EXPECT_EQ(StoredSetting("LinePitch"), "8");
  EXPECT_EQ(StoredSetting("TextColor"), "1");
  EXPECT_EQ(StoredSetting("BackColor"), "15");
  EXPECT_EQ(StoredSetting("Country"), "1");
  EXPECT_EQ(StoredSetting("ToolBar"), "0");
  EXPECT_EQ(StoredSetting("SupportHZ"), "0");
  EXPECT_EQ(StoredSetting("Left"), "50");
  EXPECT_EQ(StoredSetting("Top"), "60");
  EXPECT_EQ(StoredSetting("Right"), "850");
  EXPECT_EQ(StoredSetting("Bottom"), "660");

  ASSERT_TRUE(StartViewer());
  RECT frame{};
  GetWindowRect(FrameWindow, &frame);
  EXPECT_EQ(frame.left, 50);
  EXPECT_EQ(frame.top, 60);
  EXPECT_EQ(frame.right, 850);
  EXPECT_EQ(frame.bottom, 660);
  EXPECT_FALSE(IsWindowVisible(ToolbarWindow));
  EXPECT_FALSE(MenuChecked(Toolbar));
  EXPECT_FALSE(MenuChecked(SupportHz));
  EXPECT_TRUE(MenuChecked(CodeBig5Command));
  EXPECT_TRUE(ButtonChecked(CodeBig5Command));
  // Closed while maximised: the stored rectangle stays.
  ShowWindow(FrameWindow, SW_MAXIMIZE);
  Pump();
  StopViewer();
  EXPECT_EQ(StoredSetting("Left"), "50");
  EXPECT_EQ(StoredSetting("Right"), "850");
}

TEST_F(Viewer, StoredValuesOutOfRangeAreClampedAtTheStart) {
  StoreSetting("TextColor", "20");
  StoreSetting("BackColor", "-3");
  StoreSetting("CharsPerLine", "8");
  StoreSetting("LinePitch", "0");
  StoreSetting("Country", "7");
  StoreSetting("Left", "100");
  StoreSetting("Top", "100");
  StoreSetting("Right", "50");
  StoreSetting("Bottom", "400");
  ASSERT_TRUE(StartViewer());
  EXPECT_TRUE(watcher->Boxes().empty());
  EXPECT_EQ(Settings.backIndex, 15);
  EXPECT_EQ(Settings.textIndex, 1);
  EXPECT_EQ(Settings.charsPerLine, 16);
  EXPECT_EQ(Settings.lineSpacing, 2);
  EXPECT_EQ(CodeType, CodeGb);
  EXPECT_TRUE(MenuChecked(CodeGbCommand));
  RECT frame{};
  GetWindowRect(FrameWindow, &frame);
  EXPECT_GT(frame.right - frame.left, 0);
  EXPECT_NE(frame.right, 50);
  // White background, dark blue characters, rows of 18 pixels.
  std::string path = Document("clamped.gb", "A\r\n");
  OpenDocument(FrameWindow, path.c_str());
  Pump();
  EXPECT_EQ(LineBitmap.lineHeight, 18);
  EXPECT_EQ(ViewPixel(300, 100), 0xFFFFFFu);
  EXPECT_EQ(CellMismatches(0, 0, NarrowGlyph(0, 'A')), 0);
  SaveScreenshot(FrameWindow, "viewer-clamped-settings");
  StopViewer();
  EXPECT_EQ(StoredSetting("TextColor"), "15");
  EXPECT_EQ(StoredSetting("CharsPerLine"), "16");
  EXPECT_EQ(StoredSetting("Country"), "0");
  EXPECT_NE(StoredSetting("Right"), "50");
}

TEST_F(Viewer, AMissingFontEndsTheProgramWithItsMessage) {
  WriteTestFonts(ProgramFolder(), 2);
  StoreSetting("Country", "2");
  EXPECT_FALSE(StartViewer());
  auto boxes = watcher->Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].text, "Can not open the font file: " + ProgramFolder() + "\\ZKJP16.FON");
  // The destruction still wrote the settings.
  EXPECT_EQ(StoredSetting("Country"), "2");
  EXPECT_EQ(StoredSetting("ToolBar"), "1");

  // Chosen from the menu later, the same message and the end.
  StopViewer();
  WriteTestFonts(ProgramFolder());
  ForgetSettings();
  ASSERT_TRUE(StartViewer());
  WriteTestFonts(ProgramFolder(), 2);
  SendMessageA(FrameWindow, WM_COMMAND, CodeSjisCommand, 0);
  EXPECT_FALSE(IsWindow(FrameWindow));
  EXPECT_TRUE(Pump());  // the quit request
  ASSERT_EQ(watcher->Boxes().size(), 2u);
  EXPECT_EQ(watcher->Boxes()[1].text, boxes[0].text);
  WriteTestFonts(ProgramFolder());
}

TEST_F(Viewer, MinimisingLeavesTheViewAloneAndRestoringLaysItOutAgain) {
  ASSERT_TRUE(StartViewer());
  SizeViewClient(500, 400);
  RECT before{};
  GetClientRect(ViewWindow, &before);
  ShowWindow(FrameWindow, SW_MINIMIZE);
  Pump();
  RECT minimised{};
  GetClientRect(ViewWindow, &minimised);
  EXPECT_EQ(minimised.right, before.right);
  EXPECT_EQ(minimised.bottom, before.bottom);
  ShowWindow(FrameWindow, SW_RESTORE);
  Pump();
  RECT frame{};
  GetClientRect(FrameWindow, &frame);
  RECT restored{};
  GetWindowRect(ViewWindow, &restored);
  EXPECT_EQ(restored.right - restored.left, frame.right);
  EXPECT_EQ(ViewState.clientWidth, 500);
}

TEST_F(Viewer, HzDecodingFollowsItsSwitchFromTheNextOpen) {
  ASSERT_TRUE(StartViewer());
  std::string path = Document("poem.hz", "~{!!~}\r\n");
  OpenDocument(FrameWindow, path.c_str());
  Pump();
  EXPECT_EQ(::Document.textLength, 4u);  // 0xA1 0xA1 CR LF
  Command(SupportHz);
  EXPECT_FALSE(MenuChecked(SupportHz));
  EXPECT_EQ(::Document.textLength, 4u);  // the open document stays as it is
  OpenDocument(FrameWindow, path.c_str());
  Pump();
  EXPECT_EQ(::Document.textLength, 8u);
  EXPECT_EQ(CellMismatches(0, 0, NarrowGlyph(0, '~')), 0);  // the escape, drawn plainly
  EXPECT_EQ(CellMismatches(0, 1, NarrowGlyph(0, '{')), 0);
  Command(SupportHz);
  EXPECT_TRUE(MenuChecked(SupportHz));
  EXPECT_EQ(Settings.supportHZ, 1);
}

TEST_F(Viewer, ALineBitmapThatCannotBeMadeClosesTheViewWithItsMessage) {
  ASSERT_TRUE(StartViewer());
  FailAllocationsAfter(0);
  SizeViewClient(300, 200);
  FailAllocationsAfter(-1);
  EXPECT_FALSE(IsWindow(ViewWindow));
  EXPECT_TRUE(IsWindow(FrameWindow));
  auto boxes = watcher->Boxes();
  ASSERT_GE(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].text, "Can not alloc memory!");
}

TEST_F(Viewer, ToolbarTooltipsAreTheStringsOfTheButtonsCommands) {
  ASSERT_TRUE(StartViewer());
  HWND tips = reinterpret_cast<HWND>(SendMessageA(ToolbarWindow, TB_GETTOOLTIPS, 0, 0));
  ASSERT_NE(tips, nullptr);
  const std::pair<UINT, const char*> expected[] = {
      {Open, "Open"},
      {SavePart, "Save"},
      {Print, "Print"},
      {10002, "Convert file(GB <=> BIG5)"},
      {10016, "Convert file(GB <=> HZ)"},
      {10003, "Convert file(GB <=> Shift JIS)"},
      {CodeGbCommand, "View GB code "},
      {CodeBig5Command, "View BIG5 code"},
      {CodeSjisCommand, "View Shift JIS code"},
      {About, "About"},
  };
  for (const auto& [id, text] : expected) {
    char shown[80] = "";
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = ToolbarWindow;
    tool.uId = id;
    tool.lpszText = shown;
    SendMessageA(tips, TTM_GETTEXTA, sizeof shown, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(shown, text) << id;
  }
}

TEST_F(Viewer, TheStringTableHoldsTheTitleFilterAndEveryErrorText) {
  char text[300] = "";
  HINSTANCE self = GetModuleHandleA(nullptr);
  LoadStringA(self, 1, text, sizeof text);
  EXPECT_STREQ(text, "ZK");
  LoadStringA(self, 2, text, sizeof text);
  EXPECT_EQ(text, Title);
  EXPECT_EQ(LoadStringA(self, 3, text, sizeof text), 251);
  EXPECT_EQ(std::string(text).substr(0, 15), "All Files(*.*)|");
  for (int id = FirstErrorId; id <= LastErrorId; ++id) {
    LoadStringA(self, id, text, sizeof text);
    EXPECT_STREQ(text, ErrorMessageText(id)) << id;
  }
  // Ctrl+Q is the one accelerator: Exit.
  HACCEL table = LoadAcceleratorsA(self, "ZK");
  ASSERT_NE(table, nullptr);
  ACCEL keys[4] = {};
  ASSERT_EQ(CopyAcceleratorTableA(table, keys, 4), 1);
  EXPECT_EQ(keys[0].key, 'Q');
  EXPECT_EQ(keys[0].cmd, Exit);
  EXPECT_EQ(keys[0].fVirt & (FVIRTKEY | FCONTROL), FVIRTKEY | FCONTROL);
}

TEST_F(Viewer, ExitDestroysTheFrameAndSavesAsClosingDoes) {
  ASSERT_TRUE(StartViewer());
  Command(CodeBig5Command);
  SendMessageA(FrameWindow, WM_COMMAND, Exit, 0);
  EXPECT_FALSE(IsWindow(FrameWindow));
  EXPECT_TRUE(Pump());
  EXPECT_EQ(StoredSetting("Country"), "1");
}

namespace {
int32_t Echo(HWND, WPARAM wParam, WPARAM code, LPARAM) { return static_cast<int32_t>(((wParam & 0xFFFF) << 8) | code); }
int32_t Answer(HWND, UINT message, WPARAM, LPARAM) { return static_cast<int32_t>(message) + 1000; }
}  // namespace

TEST(DispatchTables, RowsWinAndEverythingElseReachesTheDefault) {
  HWND window = CreateWindowExA(0, "STATIC", "abcde", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  const MessageEntry rows[] = {{WM_USER + 1, Answer}};
  MessageTable table = MakeMessageTable(rows, DefaultWindow);
  EXPECT_EQ(DispatchByMessage(table, window, WM_USER + 1, 0, 0), WM_USER + 1 + 1000);
  EXPECT_EQ(DispatchByMessage(table, window, WM_GETTEXTLENGTH, 0, 0), 5);
  MessageTable empty{0, rows, DefaultWindow};
  EXPECT_EQ(DispatchByMessage(empty, window, WM_USER + 1, 0, 0), 0);  // DefWindowProc's answer
  EXPECT_EQ(DispatchByMessage(empty, window, WM_GETTEXTLENGTH, 0, 0), 5);
  MessageTable strange{1, rows, 9};
  EXPECT_EQ(DispatchByMessage(strange, window, WM_GETTEXTLENGTH, 0, 0), 0);
  MessageTable dialog{1, rows, DefaultNone};
  EXPECT_EQ(DispatchByMessage(dialog, window, WM_GETTEXTLENGTH, 0, 0), 0);
  // A notification code in the high word still finds its id's row.
  const CommandEntry commands[] = {{10002, Echo}};
  CommandTable commandTable = MakeCommandTable(commands, DefaultWindow);
  EXPECT_EQ(DispatchByCommand(commandTable, window, MAKEWPARAM(10002, 0x300), 0), (10002 << 8) | 0x300);
  EXPECT_EQ(DispatchByCommand(commandTable, window, MAKEWPARAM(10003, 0), 0), 0);
  DestroyWindow(window);
}

TEST(DispatchTables, DialogsCentreOverTheirOwnerWithinTheScreen) {
  HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, -300, 100, 200, 200, nullptr, nullptr, nullptr, nullptr);
  HWND dialog = CreateWindowExA(0, "STATIC", "", WS_POPUP, 500, 500, 300, 100, owner, nullptr, nullptr, nullptr);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(CentreOnOwnerInit(dialog, WM_INITDIALOG, 0, 0), 1);
  RECT placed{};
  GetWindowRect(dialog, &placed);
  EXPECT_EQ(placed.left, 0);  // the owner lies partly off the left edge
  EXPECT_EQ(placed.top, 150);
  EXPECT_EQ(placed.right - placed.left, 300);
  DestroyWindow(dialog);
  DestroyWindow(owner);
}

// The real program, started as a user starts it.
class RealProgram : public ::testing::Test {
 protected:
  void SetUp() override { ForgetSettings(); }
  void TearDown() override {
    for (HWND frame : OtherFrames()) CloseOtherFrame(frame);
    ForgetSettings();
  }
  PROCESS_INFORMATION Start(const std::string& commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    EXPECT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    return process;
  }
  ScratchFolder folder;
};

TEST_F(RealProgram, QuotedNamesOnTheCommandLineOpenHereAndInANewInstance) {
  std::string program = Copy(RealProgramPath(), folder.File("ZK.exe"));
  WriteTestFonts(folder.path.string());
  std::string first = folder.File("a b.gb");
  std::string second = folder.File("c.gb");
  WriteFile(first, ToBytes("first\r\n"));
  WriteFile(second, ToBytes("second\r\n"));
  PROCESS_INFORMATION process = Start("\"" + program + "\" \"" + first + "\" " + second);
  std::vector<std::string> titles;
  bool both = WaitFor([&] {
    titles.clear();
    for (HWND frame : OtherFrames()) titles.push_back(WindowText(frame));
    return titles.size() == 2 && !titles[0].empty() && !titles[1].empty() && titles[0] != Title && titles[1] != Title;
  });
  ASSERT_TRUE(both);
  std::sort(titles.begin(), titles.end());
  EXPECT_EQ(titles[0], Title + " - " + first);
  EXPECT_EQ(titles[1], Title + " - " + second);
  for (HWND frame : OtherFrames()) EXPECT_TRUE(CloseOtherFrame(frame));
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  // The one that ended last wrote the settings.
  EXPECT_EQ(StoredSetting("CharsPerLine"), "80");
}

TEST_F(RealProgram, AMissingFontShowsItsMessageAndTheProgramEnds) {
  std::string program = Copy(RealProgramPath(), folder.File("ZK.exe"));
  WriteTestFonts(folder.path.string(), 1);
  StoreSetting("Country", "1");
  PROCESS_INFORMATION process = Start("\"" + program + "\"");
  BoxWatcher boxes(process.dwProcessId);
  ASSERT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  auto shown = boxes.Boxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Error");
  EXPECT_EQ(shown[0].text, "Can not open the font file: " + folder.File("ZKFT16.FON"));
  EXPECT_EQ(StoredSetting("Country"), "1");
}

TEST_F(RealProgram, CtrlQEndsTheProgramAndSavesItsSettings) {
  std::string program = Copy(RealProgramPath(), folder.File("ZK.exe"));
  WriteTestFonts(folder.path.string());
  PROCESS_INFORMATION process = Start("\"" + program + "\"");
  HWND frame = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    std::vector<HWND> frames = OtherFrames();
    frame = frames.empty() ? nullptr : frames[0];
    return frame != nullptr && IsWindowVisible(frame);
  }));
  // Typed keys go to the window that has the focus.
  SetForegroundWindow(frame);
  WaitFor([&] { return GetForegroundWindow() == frame; }, 5000);
  INPUT keys[4] = {};
  for (INPUT& key : keys) key.type = INPUT_KEYBOARD;
  keys[0].ki.wVk = VK_CONTROL;
  keys[1].ki.wVk = 'Q';
  keys[2].ki.wVk = 'Q';
  keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
  keys[3].ki.wVk = VK_CONTROL;
  keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, keys, sizeof(INPUT));
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  EXPECT_EQ(StoredSetting("CharsPerLine"), "80");
  EXPECT_NE(StoredSetting("Right"), "");
}

namespace {
struct FontsBesideTheTests : ::testing::Environment {
  void SetUp() override { WriteTestFonts(ProgramFolder()); }
};
[[maybe_unused]] ::testing::Environment* const fonts = ::testing::AddGlobalTestEnvironment(new FontsBesideTheTests);
}  // namespace
