#include "convert/convert_dialog.h"

#include <cstring>

#include "base/error_messages.h"
#include "convert/convert_file.h"

ConvertLabelsRecord ConvertLabels(int mode) {
  switch (mode) {
    case ConvertModeSjis:
      return {"&Shift JIS Code", "Shift &JIS Code", "&GB Code", "G&B Code"};
    case ConvertModeHz:
      return {"&HZ Code", "H&Z Code", "&GB Code", "G&B Code"};
    case ConvertModeGbUtf8:
      return {"&UTF-8", "UTF-&8", "&GB Code", "G&B Code"};
    case ConvertModeBig5Utf8:
      return {"&UTF-8", "UTF-&8", "&Big5 Code", "Big&5 Code"};
    case ConvertModeSjisUtf8:
      return {"&UTF-8", "UTF-&8", "&Shift JIS Code", "Shift &JIS Code"};
    case ConvertModeHzUtf8:
      return {"&UTF-8", "UTF-&8", "&HZ Code", "H&Z Code"};
    default:
      return {"&Big5 Code", "Big&5 Code", "&GB Code", "G&B Code"};
  }
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
