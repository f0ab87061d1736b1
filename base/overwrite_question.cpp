#include "base/overwrite_question.h"

#include "base/error_messages.h"
#include "base/file_io.h"

void FormatOverwritePrompt(char* out, size_t outSize, const char* targetPath) {
  // The question keeps its ending; the name gives way when space runs out.
  FillTextHole(out, outSize, "File %s is existed, Overwrite it ?", targetPath);
}

bool ConfirmOverwrite(WindowRef owner, const char* targetPath) {
  if (!PathExists(targetPath)) return true;
  char question[OverwritePromptCapacity];
  FormatOverwritePrompt(question, sizeof question, targetPath);
  return AskYesNo(owner, question, "Message");
}
