// Driving the real frame and view of ZK in this process, and the real ZK.exe
// in others; answering the dialogs they show; reading what a user sees.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/test_support.h"

using Strings = std::vector<std::string>;
extern const std::string Title;      // the bare title of the frame
constexpr COLORREF Navy = 0x800000;  // colour 1, the background at the start
constexpr int Absent = 0x100;        // a menu item that is not there

Bytes TestFont(int code);  // marked glyphs; each code's differ, so a picture tells which font drew it
void WriteTestFonts(const std::string& folder, int skip = -1);  // all three but `skip`
std::string ProgramFolder();                                    // where the frame in this process finds its fonts
// Copies the real ZK.exe and the test fonts into `folder`; the copy's path.
std::string InstallProgram(const ScratchFolder& folder);
// Starts the zk tool built beside ZK.exe with `arguments`: its process, or
// null. WaitForTool waits for it and closes it: its exit code, or -1 when it
// did not start or end. RunTool does both.
HANDLE StartTool(const std::string& arguments);
int WaitForTool(HANDLE process);
int RunTool(const std::string& arguments);

void ForgetSettings();
void StoreSetting(const char* key, const char* value);
std::string StoredSetting(const char* key);  // "" when missing

bool Pump();  // handles this thread's messages; true when a quit was seen
bool WaitFor(const std::function<bool()>& done, DWORD milliseconds = 20000);  // pumping; false on time-out

// While this thread handles messages (in any dialog's loop too), every
// dialog on the screen is noted in DialogsShown as "caption: text" and
// answered: a message box with OK (a question with Yes); a file dialog
// ("Open File", "Save a part to a file", "Browse File") with FileAnswer and
// OK, or Cancel while that is empty; a dialog given a script with that
// script, run once on it (it must close the dialog itself).
void WatchDialogs();  // starts that, and forgets what was seen and the scripts
extern Strings DialogsShown;
extern std::string FileAnswer;
void AnswerDialogWith(const std::string& caption, const std::function<void(HWND)>& script);

bool StartViewer();  // as the program's start-up does; false when it fails
void StopViewer();   // destroys the frame (the settings are written), forgets the classes
void SizeViewClient(int width, int height);
COLORREF ViewPixel(int x, int y);

std::string WindowText(HWND window);  // in UTF-8, whatever script it is in
Strings FrameTitles();                // of every frame of ZK on the screen, sorted
void CloseFrames();                   // every frame of ZK, and waits until they are gone

// Saves a window as build/windows/screenshots/NAME.bmp, for a person to look at.
void SaveScreenshot(HWND window, const std::string& name);

// The frame of this process, from a fresh settings file and test fonts.
class Viewer : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Writes a document into the scratch folder and opens it in the frame.
  std::string Open(const std::string& name, const std::string& text);
  ScratchFolder folder;
};

int MenuFlags(UINT id);                                     // MF_CHECKED and MF_GRAYED of a menu item, or Absent
int ButtonFlags(UINT id);                                   // TBSTATE_ENABLED and TBSTATE_CHECKED of a button
void ExpectCodeChecked(int checked);                        // that code alone, in the menu and on the toolbar
int ViewTop();                                              // the view's top edge in the frame's client area
void Send(UINT message, WPARAM wParam, LPARAM lParam = 0);  // to the frame, then pumps
void Type(std::initializer_list<BYTE> keys);                // all pressed in order, then let go

// Where a glyph's 16 rows lie in a font: single-byte c, or one half of wide
// glyph g.
struct Glyph {
  size_t at, step;
};
Glyph Narrow(size_t c);
Glyph Wide(size_t g, size_t half);

// Cell `cell` of screen row `row` shows `glyph` of font `code`, ink in
// `ink` on `paper` (the text colour on the background colour by default).
bool CellShows(int row, int cell, int code, Glyph glyph);
bool CellShowsIn(int row, int cell, int code, Glyph glyph, COLORREF ink, COLORREF paper);

// Samples of a rectangle of the view, every `step` pixels, not in the
// background colour.
int OffBackground(int left, int top, int right, int bottom, int step = 5);

// Line i: letter 'A' + i % 26, i in three digits, a blank, the ten digits.
std::string Lines(int count);
// The letter and the last digit tell a line from the other 99.
bool RowShowsLine(int row, int line);
// Marks the view's last pixel column in a colour no row uses, runs `action`,
// and lists the rows that were drawn again.
std::vector<int> RowsRedrawn(const std::function<void()>& action);
