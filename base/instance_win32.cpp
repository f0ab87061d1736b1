#include "base/instance_win32.h"

HINSTANCE AppInstance = nullptr;
