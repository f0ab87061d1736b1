// The frame's windows, menu and background, and how the toolbar and the view
// are placed in it.
#pragma once

#include <windows.h>

#include <cstddef>

constexpr size_t AppNameCapacity = 32;
constexpr size_t TitleTextCapacity = 64;

extern char AppName[AppNameCapacity];      // string 1: frame class, menu and accelerator
extern char TitleText[TitleTextCapacity];  // string 2: the bare title
extern HWND FrameWindow;
extern HWND ViewWindow;
extern HWND ToolbarWindow;
extern HMENU FrameMenu;
extern HBRUSH FrameBrush;  // the background colour, for the frame and the view

// Places the view below the toolbar; tolerates a missing toolbar or view.
void LayoutFrame(HWND frame);

// Shows or hides the toolbar as the settings say, and places the view.
void ApplyToolbarVisibility();

// Makes Settings.backColour the background of the frame and the view.
void ApplyFrameBackground();
