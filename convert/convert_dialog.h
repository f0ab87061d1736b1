// What the Convert dialog decides, apart from its windows: its labels in
// each mode, which of its buttons may be pressed, and what its Convert and
// View buttons do with the two names.
#pragma once

#include "base/prompts.h"

// The labels of the "other code" radio buttons of the source and the target
// groups in ConvertMode `mode`.
struct ConvertLabelsRecord {
  const char* source;
  const char* target;
};
ConvertLabelsRecord ConvertLabels(int mode);

// View needs a target name; Convert needs both names.
struct ConvertButtonsRecord {
  bool view = false;
  bool convert = false;
};
ConvertButtonsRecord ConvertButtons(const char* source, const char* target);

// The Convert button: the same name twice is refused with message 11, any
// other pair is converted (GB to the other code when `sourceIsGb`), with the
// conversion's own messages. True when the conversion completed.
bool ConvertNamedFiles(WindowRef owner, const char* source, const char* target, bool sourceIsGb);

// The View button: an empty target name is refused with message 12.
bool CanViewTarget(WindowRef owner, const char* target);
