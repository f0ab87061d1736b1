// When a command of the frame may be used and when it shows a check: the
// conditions the command table names, each read from the process's records.
#pragma once

#include <cstdint>

enum CommandConditions : uint8_t {
  ConditionAlways,
  ConditionNever,
  ConditionSelection,  // some lines are selected
  ConditionLines,      // the document has display lines
  ConditionCodeGb,
  ConditionCodeBig5,
  ConditionCodeSjis,
  ConditionCodeUnicode,  // UTF-8 or UTF-16
  ConditionHzSupport,    // HZ is decoded on the next open
  ConditionToolbar,      // the toolbar is shown
};

// Whether `condition` holds now.
bool ConditionHolds(int condition);

// A setting a command turns on and off: any stored non-zero value counts
// as on, and a toggle always flips it.
void ToggleSetting(int* value);
