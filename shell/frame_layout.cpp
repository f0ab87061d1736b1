#include "shell/frame_layout.h"

ViewPlacement PlaceView(int clientWidth, int clientHeight, bool toolbarVisible, int toolbarHeight) {
  ViewPlacement place;
  place.y = toolbarVisible ? toolbarHeight + 1 : 0;
  place.width = clientWidth > 0 ? clientWidth : 0;
  place.height = clientHeight - place.y > 0 ? clientHeight - place.y : 0;
  return place;
}

int CentreCoordinate(int ownerStart, int ownerSize, int size, int screenSize) {
  int start = ownerStart + (ownerSize - size) / 2;
  if (start < 0) return 0;
  if (start + size > screenSize) return screenSize - size;
  return start;
}
