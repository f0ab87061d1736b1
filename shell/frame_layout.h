// Where the frame puts its children, and where a dialog goes over its owner.
#pragma once

struct ViewPlacement {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// The view fills the frame's client area below the toolbar, one pixel of
// the frame's background between them.
ViewPlacement PlaceView(int clientWidth, int clientHeight, bool toolbarVisible, int toolbarHeight);

// One axis of centring a window of `size` over an owner at `ownerStart` of
// `ownerSize`, kept on a screen of `screenSize`: never left of 0, and moved
// back when it would run past the screen's end (a window larger than the
// screen then starts below 0).
int CentreCoordinate(int ownerStart, int ownerSize, int size, int screenSize);
