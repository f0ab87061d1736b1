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
  if (!WriteReplacement(&file, Document.text.get() + range.start, range.end - range.start)) {
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
