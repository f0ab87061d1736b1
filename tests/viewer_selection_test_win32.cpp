// Selecting lines in the real view with mouse messages, and saving them.
#include <gtest/gtest.h>

#include <windows.h>

#include "base/settings_values.h"
#include "resources/resource_ids.h"
#include "shell/frame_win32.h"
#include "shell/view_state.h"
#include "tests/viewer_harness_win32.h"

namespace {
constexpr int Row = 24;

void Mouse(UINT message, int y) {
  SendMessageA(ViewWindow, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
               MAKELPARAM(20, static_cast<WORD>(static_cast<int16_t>(y))));
  Pump();
}

// Row `row` shows line `line` with the two colours swapped, across the whole
// row, its spacing included.
bool RowInverted(int row, int line) {
  return CellShowsIn(row, 0, 0, Narrow('A' + line % 26), Settings.backColour, Settings.textColour) &&
         ViewPixel(300, row * Row) == Settings.textColour && ViewPixel(300, row * Row + Row - 1) == Settings.textColour;
}

// Puts the pointer `below` pixels under the view's bottom edge.
void PointerBelowView(int below) {
  RECT client{};
  GetClientRect(ViewWindow, &client);
  POINT point{20, client.bottom + below};
  ClientToScreen(ViewWindow, &point);
  SetCursorPos(point.x, point.y);
}

bool SaveCommandEnabled() { return MenuFlags(ZK_CMD_SAVE_PART) == 0 && ButtonFlags(ZK_CMD_SAVE_PART) != 0; }
}  // namespace

TEST_F(Viewer, DraggingSelectsWholeLinesScrollsOutsideTheViewAndSavesTheirBytes) {
  ASSERT_TRUE(StartViewer());
  std::string text = Lines(100);
  Open("hundred.txt", text);
  SizeViewClient(600, 30 * Row + 12);  // 30 whole rows and a partial one
  EXPECT_FALSE(SaveCommandEnabled());

  Mouse(WM_LBUTTONDOWN, 5 * Row + 3);
  Mouse(WM_MOUSEMOVE, 8 * Row + 20);
  for (int row = 4; row <= 9; ++row) EXPECT_EQ(RowInverted(row, row), row >= 5 && row <= 8) << row;
  SaveScreenshot(FrameWindow, "selection-rows-5-to-8");
  // Above the view at the top nothing scrolls; below it the view follows.
  Mouse(WM_MOUSEMOVE, -10);
  EXPECT_TRUE(RowInverted(0, 0) && RowInverted(5, 5));
  Mouse(WM_MOUSEMOVE, 30 * Row + 20);
  EXPECT_TRUE(RowShowsLine(0, 1) && RowInverted(4, 5) && RowInverted(29, 30));
  // Held below, the timer scrolls a line every 100 ms on its own...
  PointerBelowView(30);
  EXPECT_TRUE(WaitFor([] { return ViewState.firstLine >= 4; }, 3000));
  // ... one line a step, until the last line shows in the last whole row.
  for (int step = 0; step < 100; ++step) SendMessageA(ViewWindow, WM_TIMER, 0, 0);
  Pump();
  EXPECT_EQ(ViewState.firstLine, 70);
  for (int row : {0, 29}) EXPECT_TRUE(RowInverted(row, 70 + row)) << row;
  EXPECT_EQ(ViewPixel(300, 30 * Row + 5), Settings.backColour);  // the row past the end is never inverted
  Mouse(WM_LBUTTONUP, 30 * Row + 20);
  EXPECT_TRUE(SaveCommandEnabled());
  // The drag is over: the timer no longer scrolls, the view may move.
  Send(WM_KEYDOWN, VK_HOME);
  Sleep(300);
  Pump();
  EXPECT_EQ(ViewState.firstLine, 0);
  EXPECT_TRUE(RowInverted(5, 5));

  FileAnswer = folder.File("part.txt");
  Send(WM_COMMAND, ZK_CMD_SAVE_PART);
  EXPECT_EQ(ReadFile(FileAnswer), ToBytes(text.substr(5 * 17)));  // lines 5 to 99, 17 bytes each
  EXPECT_TRUE(RowInverted(5, 5) && SaveCommandEnabled());         // saving keeps the selection

  // A press with a selection only clears it; the next starts anew, upwards.
  Mouse(WM_LBUTTONDOWN, 12 * Row);
  Mouse(WM_LBUTTONUP, 12 * Row);
  EXPECT_FALSE(RowInverted(5, 5) || RowInverted(12, 12));
  EXPECT_FALSE(SaveCommandEnabled());
  Mouse(WM_LBUTTONDOWN, 10 * Row + 1);
  Mouse(WM_MOUSEMOVE, 4 * Row + 1);
  Mouse(WM_LBUTTONUP, 4 * Row + 1);
  Send(WM_COMMAND, ZK_CMD_SAVE_PART);  // over the part saved before, on Yes
  EXPECT_EQ(ReadFile(FileAnswer), ToBytes(text.substr(4 * 17, 7 * 17)));
  // The open document, under its own name or another, is refused and stays whole.
  for (const char* name : {"hundred.txt", "sub\\..\\.\\hundred.txt"}) {
    FileAnswer = folder.File(name);
    Send(WM_COMMAND, ZK_CMD_SAVE_PART);
  }
  EXPECT_EQ(ReadFile(folder.File("hundred.txt")), ToBytes(text));
  const std::string same = "Error: The target file name is same as source file name, cann't convert!";
  EXPECT_EQ(DialogsShown, (Strings{"Save a part to a file:", "Save a part to a file:",
                                   "Message: File " + folder.File("part.txt") + " is existed, Overwrite it ?",
                                   "Save a part to a file:", same, "Save a part to a file:", same}));
}

TEST_F(Viewer, APieceOfAWrappedLineSavesWithoutALineEndAndANewFileClearsTheSelection) {
  ASSERT_TRUE(StartViewer());
  std::string line(200, 'x');
  for (size_t k = 0; k < line.size(); k += 7) line[k] = static_cast<char>('a' + k % 26);
  Open("long.txt", line + "\r\n");
  Mouse(WM_LBUTTONDOWN, 1 * Row + 2);
  Mouse(WM_LBUTTONUP, 1 * Row + 2);
  FileAnswer = folder.File("piece.txt");
  Send(WM_COMMAND, ZK_CMD_SAVE_PART);
  EXPECT_EQ(ReadFile(FileAnswer), ToBytes(line.substr(80, 80)));
  Open("other.txt", "other\r\n");
  EXPECT_FALSE(SaveCommandEnabled());
}

TEST_F(Viewer, ADragEndsWhenAnotherWindowTakesTheMouse) {
  ASSERT_TRUE(StartViewer());
  Open("hundred.txt", Lines(100));
  SizeViewClient(600, 30 * Row + 12);
  Mouse(WM_LBUTTONDOWN, 2 * Row);
  HWND other =
      CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  SetCapture(other);
  Pump();
  // No release came, yet the drag is over: the menu knows of the selection,
  // moves change nothing, and the pointer below the view scrolls nothing.
  EXPECT_TRUE(SaveCommandEnabled());
  Mouse(WM_MOUSEMOVE, 9 * Row);
  EXPECT_TRUE(RowInverted(2, 2));
  EXPECT_FALSE(RowInverted(3, 3));
  PointerBelowView(30);
  Sleep(350);
  Pump();
  EXPECT_EQ(ViewState.firstLine, 0);
  ReleaseCapture();
  DestroyWindow(other);
}
