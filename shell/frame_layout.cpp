#include "shell/frame_layout.h"

ViewPlacement PlaceView(int clientWidth, int clientHeight, bool toolbarVisible, int toolbarHeight) {
  ViewPlacement place;
  place.y = toolbarVisible ? toolbarHeight + 1 : 0;
  place.width = clientWidth > 0 ? clientWidth : 0;
  place.height = clientHeight - place.y > 0 ? clientHeight - place.y : 0;
  return place;
}
