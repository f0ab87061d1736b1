// The frame window: start-up, the menu, accelerator and toolbar, the
// placement of the text view and the orderly end.
#pragma once

#include <windows.h>

#include <cstddef>

#include "base/instance_win32.h"

constexpr size_t AppNameCapacity = 32;
constexpr size_t TitleTextCapacity = 64;
constexpr size_t TooltipCapacity = 64;

extern char AppName[AppNameCapacity];      // string 1: frame class, menu and accelerator
extern char TitleText[TitleTextCapacity];  // string 2: the bare title
extern HWND FrameWindow;
extern HWND ViewWindow;
extern HWND ToolbarWindow;
extern HMENU FrameMenu;
extern HBRUSH FrameBrush;  // the background colour, for the frame and the view

// Declares the classes and creates and shows the frame; false when any of it
// fails (nothing is shown then).
bool InitApplication(HINSTANCE instance, int showCommand);

// Places the view below the toolbar; tolerates a missing toolbar or view.
void LayoutFrame(HWND frame);

// Shows or hides the toolbar as the settings say, and places the view.
void ApplyToolbarVisibility();

// Makes Settings.backColour the background of the frame and the view.
void ApplyFrameBackground();

// Opens the first name of the command line here and hands each further one
// to a new instance.
void OpenCommandLine(const char* text);

// Starts another copy of the program with `path` as its one file name.
void StartInstanceWithFile(const char* path);
