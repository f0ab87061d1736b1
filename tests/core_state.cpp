// Resetting the core's process-wide state between tests; separate from the
// other helpers because it drives the headless prompts, which the viewer's
// own tests replace with real message boxes.
#include "document/document.h"
#include "document/glyph_font.h"
#include "document/line_bitmap.h"
#include "shell/font_path.h"
#include "shell/memory.h"
#include "shell/prompts_headless.h"
#include "shell/selection.h"
#include "shell/settings_values.h"
#include "shell/view_state.h"
#include "tests/test_support.h"

void ResetCoreState() {
  ClearDocument();
  Document.fileName[0] = '\0';
  CodeType = CodeGb;
  Settings = SettingsRecord{};
  ViewState = ViewStateRecord{};
  ClearSelection();
  GlyphFont.bytes.reset();
  GlyphFont.size = 0;
  LineBitmap.bits.reset();
  LineBitmap.bytesPerRow = 0;
  LineBitmap.lineHeight = 0;
  FailAllocationsAfter(-1);
  ClearHeadlessPrompts();
  SetHeadlessEcho(false);
  SetHeadlessQuestionHandler(nullptr);
  SetModulePath("");
}
