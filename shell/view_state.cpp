#include "shell/view_state.h"

ViewStateRecord ViewState;
