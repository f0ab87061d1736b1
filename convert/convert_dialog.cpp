#include "convert/convert_dialog.h"

#include <cstring>

#include "base/error_messages.h"
#include "convert/convert_file.h"

ConvertLabelsRecord ConvertLabels(int mode) {
  if (mode == ConvertModeSjis) return {"&Shift JIS Code", "Shift &JIS Code"};
  if (mode == ConvertModeHz) return {"&HZ Code", "H&Z Code"};
  return {"&Big5 Code", "Big&5 Code"};
}

ConvertButtonsRecord ConvertButtons(const char* source, const char* target) {
  bool hasSource = source != nullptr && source[0] != '\0';
  bool hasTarget = target != nullptr && target[0] != '\0';
  return ConvertButtonsRecord{hasTarget, hasSource && hasTarget};
}

bool ConvertNamedFiles(WindowRef owner, const char* source, const char* target, bool sourceIsGb) {
  // The names as typed; the same file under two names is caught by the
  // conversion itself.
  if (std::strcmp(source, target) == 0) {
    ShowErrorBox(owner, ErrorSameFileName, nullptr, StyleStop);
    return false;
  }
  return ConvertFile(owner, source, target, sourceIsGb ? 0 : 1);
}

bool CanViewTarget(WindowRef owner, const char* target) {
  if (target != nullptr && target[0] != '\0') return true;
  ShowErrorBox(owner, ErrorTargetNameNull, nullptr, StyleStop);
  return false;
}
