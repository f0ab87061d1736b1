#include "shell/command_state.h"

#include "base/settings_values.h"
#include "document/document.h"
#include "shell/selection.h"

bool ConditionHolds(int condition) {
  switch (condition) {
    case ConditionAlways:
      return true;
    case ConditionSelection:
      return HasSelection();
    case ConditionLines:
      return Document.lineCount != 0;
    case ConditionCodeGb:
      return CodeType == CodeGb;
    case ConditionCodeBig5:
      return CodeType == CodeBig5;
    case ConditionCodeSjis:
      return CodeType == CodeShiftJis;
    case ConditionCodeUnicode:
      return IsUnicodeCode(CodeType);
    case ConditionHzSupport:
      return Settings.supportHZ != 0;
    case ConditionToolbar:
      return Settings.showToolbar != 0;
    default:
      return false;
  }
}

void ToggleSetting(int* value) { *value = *value != 0 ? 0 : 1; }
