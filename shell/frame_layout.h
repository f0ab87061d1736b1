// Where the frame puts its children.
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
