#include "shell/save_part.h"

#include "base/error_messages.h"
#include "base/file_io.h"
#include "base/overwrite_question.h"
#include "document/document.h"
#include "shell/selection.h"

bool WriteSelectedLines(WindowRef owner, const char* path) {
  // The open document under any name: writing a part over it would lose the rest.
  FileIdentity target;
  if (Document.fromFile && IdentifyFile(path, &target) && target == Document.source) {
    ShowErrorBox(owner, ErrorSameFileName, nullptr, StyleStop);
    return false;
  }
  if (!ConfirmOverwrite(owner, path)) return false;
  ReplacementRecord file;
  if (!StartReplacement(path, &file)) {
    ShowErrorBox(owner, ErrorCreateFile, path, StyleStop);
    return false;
  }
  // Display lines are consecutive stretches of the text: the part is one run
  // of bytes, with the text's own line ends where they fall.
  TextRange range = SelectedText(Selection);
  // A part of a UTF-16 text opens alone only with the byte-order mark in front.
  const uint8_t* part = Document.text.get() + range.start;
  const size_t length = range.end - range.start;
  const uint8_t marks[2][2] = {{0xFF, 0xFE}, {0xFE, 0xFF}};
  const bool marked = IsUtf16Code(CodeType) && CodeOfByteOrderMark(part, length) != CodeType;
  if ((marked && !WriteReplacement(&file, marks[CodeType == CodeUtf16Be], 2)) ||
      !WriteReplacement(&file, part, length)) {
    AbandonReplacement(&file);
    ShowErrorBox(owner, ErrorWriteFile, path, StyleStop);
    return false;
  }
  if (!FinishReplacement(&file)) {
    ShowErrorBox(owner, ErrorWriteFile, path, StyleStop);
    return false;
  }
  return true;
}
