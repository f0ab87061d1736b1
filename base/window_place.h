// Where a dialog goes over its owner.
#pragma once

// One axis of centring a window of `size` over an owner at `ownerStart` of
// `ownerSize`, kept on a screen of `screenSize`: never left of 0, and moved
// back when it would run past the screen's end (a window larger than the
// screen then starts below 0).
int CentreCoordinate(int ownerStart, int ownerSize, int size, int screenSize);
