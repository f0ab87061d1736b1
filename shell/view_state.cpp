#include "shell/view_state.h"

#include "base/settings_values.h"
#include "document/cells.h"

ViewStateRecord ViewState;

int ViewLineHeight() { return GlyphHeight + DrawnLineSpacing(Settings.lineSpacing); }
