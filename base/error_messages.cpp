#include "base/error_messages.h"

#include <cstring>

namespace {
const char* const ErrorTexts[LastErrorId - FirstErrorId + 1] = {
    "Can not open the font file: %s",
    "Can not alloc memory!",
    "Can not read font file!",
    "Can not open the file : %s",
    "Can not read file : %s",
    "Can not create the file : %s",
    "Can not write the file: %s",
    "The target file name is same as source file name, cann't convert!",
    "Target file name is null, cann't view!",
    "Cann't open the convert table file: %s\nCopy the file to ZK directory please.",
    "Cann't read the convert table file: %s",
    "Cann't open the convert source file: %s",
    "Cann't read the convert source file: %s",
    "Cann't create the convert target file: %s",
    "Cann't write the convert target file: %s",
    "Get printer DC failed!",
    ("The print driver can not support StrecthBlt function then can not print out.\n"
     "Please version up the print driver!"),
    "Margin is too big, please setup it once again!",
    "Cann't create print abort dialog box!\ncontinue to print!",
    "Print can not started!",
};

// Appends up to `length` bytes of `text` to out[used..], never past outSize - 1.
size_t AppendBounded(char* out, size_t outSize, size_t used, const char* text, size_t length) {
  size_t room = outSize - 1 - used;
  size_t take = length < room ? length : room;
  std::memcpy(out + used, text, take);
  return used + take;
}
}  // namespace

const char* ErrorMessageText(int id) {
  if (id < FirstErrorId || id > LastErrorId) return "";
  return ErrorTexts[id - FirstErrorId];
}

void FillTextHole(char* out, size_t outSize, const char* text, const char* argument) {
  if (out == nullptr || outSize == 0) return;
  const char* hole = std::strstr(text, "%s");
  size_t used = 0;
  if (hole == nullptr) {
    used = AppendBounded(out, outSize, used, text, std::strlen(text));
  } else {
    size_t prefix = static_cast<size_t>(hole - text);
    size_t tail = std::strlen(hole + 2);
    used = AppendBounded(out, outSize, used, text, prefix);
    if (argument != nullptr) {
      // A path too long for the box is cut, keeping the rest of the message.
      size_t room = outSize - 1 - used;
      size_t argumentRoom = room > tail ? room - tail : 0;
      size_t length = std::strlen(argument);
      used = AppendBounded(out, outSize, used, argument, length < argumentRoom ? length : argumentRoom);
    }
    used = AppendBounded(out, outSize, used, hole + 2, tail);
  }
  out[used] = '\0';
}

void FormatErrorText(char* out, size_t outSize, int id, const char* argument) {
  FillTextHole(out, outSize, ErrorMessageText(id), argument);
}
