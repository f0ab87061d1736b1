#include "shell/process_state.h"

#include "base/memory.h"
#include "base/program_path.h"
#include "base/settings_values.h"
#include "convert/converters.h"
#include "document/document.h"
#include "document/glyph_font.h"
#include "document/line_bitmap.h"
#include "document/unicode_tables.h"
#include "print/print_state.h"
#include "shell/selection.h"
#include "shell/view_state.h"

void ResetProcessState() {
  Document = DocumentRecord{};
  CodeType = CodeGb;
  Settings = SettingsRecord{};
  ViewState = ViewStateRecord{};
  ClearSelection();
  GlyphFont = GlyphFontRecord{};
  ForgetUnicodeTables();
  LineBitmap = LineBitmapRecord{};
  ConvertMode = ConvertModeBig5;
  ConvertOutputBuffer.count = 0;
  PrintState = PrintStateRecord{};
  SetModulePath("");
  SetDataFolder("");
  FailAllocationsAfter(-1);
}
