#include "print/print_state.h"

PrintStateRecord PrintState;
