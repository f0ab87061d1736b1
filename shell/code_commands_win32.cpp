#include "shell/code_commands_win32.h"

#include "document/document.h"
#include "document/document_lines.h"
#include "document/glyph_font.h"
#include "resources/resource_ids.h"
#include "shell/selection.h"
#include "shell/view_state.h"

int CodeCommandId(int code) { return IsUnicodeCode(code) ? ZK_CMD_CODE_UNICODE : ZK_CMD_CODE_GB + code; }

bool SelectCode(HWND frame, int code) {
  int previous = CodeType;
  bool hadFont = GlyphFont.bytes != nullptr;
  CodeType = code;
  if (!LoadCodeFont(frame)) {
    // The settings written as the program ends keep a code whose font
    // loaded, or GB: storing the failing one would end every later start
    // the same way.
    CodeType = hadFont && previous != code ? previous : CodeGb;
    DestroyWindow(frame);
    return false;
  }
  // Another code pairs the bytes its own way: the lines are broken anew,
  // the text at the top of the view staying there.
  if (code != previous && Document.lineCount > 0) {
    const int top = ViewState.firstLine < Document.lineCount ? ViewState.firstLine : 0;
    const uint32_t offset = Document.LineIndex[static_cast<size_t>(top)];
    SwitchDocumentCode(frame, code);
    ViewState.firstLine = LineHolding(offset);
    ClearSelection();
  }
  InvalidateRect(frame, nullptr, TRUE);
  return true;
}
