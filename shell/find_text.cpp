#include "shell/find_text.h"

#include <algorithm>
#include <string>

#include "document/document.h"
#include "document/text_search.h"
#include "document/unicode_forms.h"
#include "shell/selection.h"
#include "shell/view_state.h"

FindRecord LastFind;

namespace {
void SayNotFound(WindowRef owner, const FindRecord& find) {
  std::string text = "Cannot find \"";
  for (char32_t c : find.text) {
    uint8_t bytes[4];
    text.append(reinterpret_cast<const char*>(bytes), AppendUtf8(c, bytes));
  }
  ShowNotice(owner, (text + "\"").c_str(), "Message");
}
}  // namespace

int FindNextLine(WindowRef owner, const FindRecord& find) {
  SearchPattern pattern;
  // A character the code lacks stands in no line of the text.
  if (Document.lineCount <= 0 ||
      !MakeSearchPattern(CodeType, find.text.data(), find.text.size(), find.matchCase, &pattern)) {
    SayNotFound(owner, find);
    return -1;
  }
  const int count = Document.lineCount;
  int from;
  if (HasSelection())
    from = find.forward ? std::max(Selection.anchor, Selection.end) + 1 : std::min(Selection.anchor, Selection.end);
  else
    from = find.forward ? ViewState.firstLine : ViewState.firstLine + ViewState.visibleRows;
  from = std::clamp(from, 0, count);
  int line = FindInDocument(pattern, from, find.forward);
  const int otherEnd = find.forward ? 0 : count;
  if (line < 0 && from != otherEnd) {
    const char* question = find.forward ? "The end of the text is reached. Go on from the top?"
                                        : "The top of the text is reached. Go on from the end?";
    if (!AskYesNo(owner, question, "Message")) return -1;
    line = FindInDocument(pattern, otherEnd, find.forward);
  }
  if (line < 0) SayNotFound(owner, find);
  return line;
}

void ShowFoundLine(int line) {
  Selection = SelectionRecord{line, line, 0};
  const bool shown = line >= ViewState.firstLine && line < ViewState.firstLine + ViewState.visibleRows;
  if (!shown) ViewState.firstLine = std::max(0, line - ViewState.visibleRows / 2);
}
