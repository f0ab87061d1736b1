// The frame window: start-up, the menu, accelerator and toolbar, the
// placement of the text view, command routing and the orderly end.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr size_t AppNameCapacity = 32;
constexpr size_t TitleTextCapacity = 64;
constexpr size_t TooltipCapacity = 64;

extern HINSTANCE AppInstance;
extern char AppName[AppNameCapacity];      // string 1: frame class, menu and accelerator
extern char TitleText[TitleTextCapacity];  // string 2: the bare title
extern HWND FrameWindow;
extern HWND ViewWindow;
extern HWND ToolbarWindow;
extern HMENU FrameMenu;
extern HBRUSH FrameBrush;  // the background colour, for the frame and the view
extern char TooltipText[TooltipCapacity];

LRESULT CALLBACK FrameWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Declares the classes and creates and shows the frame; false when any of it
// fails (nothing is shown then).
bool InitApplication(HINSTANCE instance, int showCommand);

// Brings the menu checks and grays and the toolbar buttons up to date.
void UpdateCommandState(HWND frame);

// Places the view below the toolbar; tolerates a missing toolbar or view.
void LayoutFrame(HWND frame);

void ApplyToolbarVisibility();
bool CreateToolbar(HWND frame);
HWND CreateViewWindow(HWND frame);

// Opens the first name of the command line here and hands each further one
// to a new instance.
void OpenCommandLine(const char* text);

// Starts another copy of the program with `path` as its one file name.
void StartInstanceWithFile(const char* path);

// Fills ModulePath from the running program file.
void RefreshModulePath();
