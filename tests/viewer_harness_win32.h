// Driving the real frame and view of ZK in this process, and the real ZK.exe
// in others; answering the dialogs they show; reading what a user sees.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/test_support.h"

Bytes TestFont(int code);  // marked glyphs; each code's differ, so a picture tells which font drew it
void WriteTestFonts(const std::string& folder, int skip = -1);  // all three but `skip`
std::string ProgramFolder();                                    // where the frame in this process finds its fonts
// Copies the real ZK.exe and the test fonts into `folder`; the copy's path.
std::string InstallProgram(const ScratchFolder& folder);

void ForgetSettings();
void StoreSetting(const char* key, const char* value);
std::string StoredSetting(const char* key);  // "" when missing

bool Pump();  // handles this thread's messages; true when a quit was seen
bool WaitFor(const std::function<bool()>& done, DWORD milliseconds = 20000);  // pumping; false on time-out

// While this thread handles messages, every dialog on the screen is noted in
// DialogsShown as "caption: text" and answered: a message box with OK, "Open
// File" with OpenAnswer and OK, or Cancel while that is empty.
void WatchDialogs();  // starts that, and forgets what was seen
extern std::vector<std::string> DialogsShown;
extern std::string OpenAnswer;

bool StartViewer();  // as the program's start-up does; false when it fails
void StopViewer();   // destroys the frame (the settings are written), forgets the classes
void SizeViewClient(int width, int height);
COLORREF ViewPixel(int x, int y);

std::string WindowText(HWND window);
std::vector<std::string> FrameTitles();  // of every frame of ZK on the screen, sorted
void CloseFrames();                      // every frame of ZK, and waits until they are gone
