// The running program's own file, as Windows names it.
#pragma once

// Fills ModulePath from the running program file; empties it when the
// path cannot be had whole.
void RefreshModulePath();
