// Selecting whole display lines by pressing, dragging and holding the
// button outside the view, and the bytes a selection saves.
#include <gtest/gtest.h>

#include <string>

#include "document/document.h"
#include "document/line_index.h"
#include "shell/prompts_headless.h"
#include "shell/save_part.h"
#include "shell/selection.h"
#include "shell/settings_values.h"
#include "tests/test_support.h"

namespace {
constexpr int Row = 24;  // the default line height

// A document of `lines` display lines "Lnn" CR LF.
std::string Lines(int lines) {
  std::string text;
  for (int k = 0; k < lines; ++k) {
    text += 'L';
    text += std::to_string(k);
    text += "\r\n";
  }
  return text;
}

void Open(const std::string& text) {
  ASSERT_TRUE(PutDocumentText(nullptr, reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  ASSERT_TRUE(BuildLineIndex(nullptr, static_cast<uint32_t>(text.size())));
}

SelectionRecord Selected(int anchor, int end, int dragging = 0) { return SelectionRecord{anchor, end, dragging}; }

void ExpectStep(const SelectionStep& step, int firstLine, int anchor, int end, int dragging) {
  EXPECT_EQ(step.firstLine, firstLine);
  EXPECT_EQ(step.selection.anchor, anchor);
  EXPECT_EQ(step.selection.end, end);
  EXPECT_EQ(step.selection.dragging, dragging);
}
}  // namespace

TEST(Selection, APressStartsOnALineOrOnlyClearsASelection) {
  Open(Lines(10));
  ASSERT_EQ(Document.lineCount, 10);
  const struct {
    int firstLine;
    SelectionRecord before;
    int y;
    int lineCount;
    int anchor, end, dragging;
    bool repaint;
  } cases[] = {
      {0, Selected(-1, -1), 3 * Row + 5, 10, 3, 3, 1, true},
      {4, Selected(-1, -1), Row - 1, 10, 4, 4, 1, true},
      {0, Selected(-1, -1), 10 * Row, 10, 10, 10, 1, true},   // the row just below the last line
      {0, Selected(-1, -1), 11 * Row, 10, -1, -1, 0, false},  // further below: nothing
      {0, Selected(-1, -1), -3, 10, -1, -1, 0, false},
      {0, Selected(2, 6), 3 * Row, 10, -1, -1, 0, true},    // a selection is only cleared
      {0, Selected(-1, -1), 3 * Row, 0, -1, -1, 0, false},  // no document
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.y);
    SelectionStep step = PressAt(c.firstLine, c.before, c.y, c.lineCount);
    ExpectStep(step, c.firstLine, c.anchor, c.end, c.dragging);
    EXPECT_EQ(step.repaint, c.repaint);
  }
}

TEST(Selection, DraggingFollowsThePointerAndScrollsALineOutsideTheView) {
  // 100 lines in a view of 30 whole rows and a partial one (740 pixels).
  const int rows = 30, height = 740, lines = 100;
  const struct {
    int firstLine;
    int y;
    int newFirst, end;
  } moves[] = {
      {0, 12 * Row + 3, 0, 12},
      {0, 0, 0, 0},
      {20, 5 * Row, 20, 25},
      {0, height + 1, 1, 31},
      {0, height, 0, 30},          // the partial row is still inside
      {70, height + 40, 70, 100},  // at the end the view stays, the end reaches lineCount
      {5, -1, 4, 4},
      {0, -200, 0, 0},
  };
  for (const auto& m : moves) {
    SCOPED_TRACE(m.y);
    SelectionStep step = DragTo(m.firstLine, rows, Selected(10, 10, 1), m.y, height, lines);
    ExpectStep(step, m.newFirst, 10, m.end, 1);
    EXPECT_TRUE(step.repaint);
  }
  // A document shorter than the view: the end may run past it.
  ExpectStep(DragTo(0, rows, Selected(2, 2, 1), 20 * Row, height, 5), 0, 2, 20, 1);
}

TEST(Selection, TheTimerScrollsFromTheLastWholeRowUntilTheEnd) {
  Open(Lines(100));
  const int rows = 30;
  // Held on the partly visible row, then below: one line a step to the end.
  SelectionStep step{0, Selected(3, 3, 1), false};
  for (int tick = 0; tick < 80; ++tick) step = StepTimer(step.firstLine, rows, step.selection, 30 * Row + 2, 100);
  ExpectStep(step, 70, 3, 100, 1);
  // Over a whole row nothing happens; above the view it scrolls back.
  SelectionStep still = StepTimer(40, rows, Selected(3, 50, 1), 10 * Row, 100);
  ExpectStep(still, 40, 3, 50, 1);
  EXPECT_FALSE(still.repaint);
  ExpectStep(StepTimer(40, rows, Selected(3, 50, 1), -5, 100), 39, 3, 39, 1);
  ExpectStep(StepTimer(0, rows, Selected(3, 50, 1), -5, 100), 0, 3, 0, 1);

  // The saved part is the document from line 3 to the last, line ends kept.
  TextRange range = SelectedText(step.selection);
  std::string text = Lines(100);
  EXPECT_EQ(std::string(text.begin() + range.start, text.begin() + range.end), text.substr(text.find("L3\r")));
}

TEST(Selection, ASavedPartIsExactlyTheBytesOfItsLines) {
  ScratchFolder folder;
  // One long text line broken into display lines of 16 cells, then more.
  std::string text = std::string(40, 'a') + "\r\n" + Lines(3);
  Settings.charsPerLine = 16;
  Open(text);
  ASSERT_EQ(Document.lineCount, 6);  // 16, 16, 8 + CR LF, then three lines
  const struct {
    SelectionRecord selection;
    std::string bytes;
  } cases[] = {
      {Selected(1, 1), std::string(16, 'a')},             // a piece of a long line: no line end added
      {Selected(4, 0), text.substr(0, text.find("L2"))},  // dragged upwards: document order
      {Selected(5, 9), "L2\r\n"},                         // past the end adds nothing
      {Selected(6, 6), ""},                               // the row below the last line alone
  };
  for (const auto& c : cases) {
    Selection = c.selection;
    std::string path = folder.File("part.txt");
    ASSERT_TRUE(WriteSelectedLines(nullptr, path.c_str()));
    EXPECT_EQ(ReadFile(path), ToBytes(c.bytes));
    EXPECT_EQ(Selection.anchor, c.selection.anchor);  // the save leaves the selection alone
  }
  // A folder that cannot be written: message 9 with the path, nothing made.
  std::string nowhere = folder.File("missing/part.txt");
  EXPECT_FALSE(WriteSelectedLines(nullptr, nowhere.c_str()));
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].text, "Can not create the file : " + nowhere);
#ifndef _WIN32
  // A write that fails: message 10, the file of that name as it was.
  ClearHeadlessPrompts();
  Selection = Selected(0, 6);
  EXPECT_FALSE(WriteSelectedLines(nullptr, "/dev/full"));
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].text, "Can not write the file: /dev/full");
#endif
}
