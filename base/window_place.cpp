#include "base/window_place.h"

int CentreCoordinate(int ownerStart, int ownerSize, int size, int screenSize) {
  int start = ownerStart + (ownerSize - size) / 2;
  if (start < 0) return 0;
  if (start + size > screenSize) return screenSize - size;
  return start;
}
