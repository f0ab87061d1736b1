// Driving the real frame and view of ZK in this process, and the real
// ZK.exe in others, with window messages; watching the message boxes they
// show; reading what a user would see.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "tests/test_support.h"

// The three fonts the tests write: marked glyphs, each file different so
// that a picture tells which font drew it.
Bytes TestFont(int code);
extern const char* const TestFontNames[3];

// The folder of this test program, where the frame looks for its fonts.
std::string ProgramFolder();
std::string RealProgramPath();  // build/windows/bin/ZK.exe

// Writes the three test fonts into `folder` (all but `skip`, -1 for none).
void WriteTestFonts(const std::string& folder, int skip = -1);

// Removes the settings file; sets one key.
void ForgetSettings();
void StoreSetting(const char* key, const char* value);
std::string StoredSetting(const char* key);  // "" when missing

// Handles messages until the queue is empty; true when a quit was seen.
bool Pump();

struct ShownBox {
  std::string caption;
  std::string text;
};

// Closes every message box that appears in process `processId` (0: this
// one) with OK, noting its caption and text.
struct BoxWatcher {
  explicit BoxWatcher(DWORD processId = 0);
  ~BoxWatcher();
  std::vector<ShownBox> Boxes();
  // The open dialog ("Open File") is answered with this path and OK, or
  // cancelled while no path is set.
  void AnswerOpenWith(const std::string& path);
  struct State;
  State* state;
};

// Starts the frame as the program's start-up does; false when it fails.
bool StartViewer();
// Destroys the frame (the settings are written) and forgets the classes.
void StopViewer();

// Sizes the frame so that the view's client area is width x height.
void SizeViewClient(int width, int height);

// What the screen shows at a point of the view's client area.
COLORREF ViewPixel(int x, int y);

// Saves the frame as build/windows/screenshots/NAME.bmp.
void SaveScreenshot(HWND window, const std::string& name);

// The top-level frames of class "ZK" in other processes.
std::vector<HWND> OtherFrames();
std::string WindowText(HWND window);

// Waits until `predicate` holds, pumping this thread's messages; false on
// time-out.
template <typename Predicate>
bool WaitFor(Predicate predicate, DWORD milliseconds = 20000) {
  DWORD start = GetTickCount();
  while (!predicate()) {
    if (GetTickCount() - start > milliseconds) return false;
    Pump();
    Sleep(20);
  }
  return true;
}

// Ends the process owning `window` by closing its frame; true when it ended.
bool CloseOtherFrame(HWND window);
