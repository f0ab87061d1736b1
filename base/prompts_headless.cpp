#include "base/prompts_headless.h"

#include <cstdio>

#include "base/error_messages.h"
#include "base/prompts.h"

namespace {
std::vector<HeadlessPrompt> shownPrompts;
bool echoErrors = false;
HeadlessQuestionHandler questionHandler = nullptr;
}  // namespace

const std::vector<HeadlessPrompt>& HeadlessPrompts() { return shownPrompts; }

void ClearHeadlessPrompts() { shownPrompts.clear(); }

void SetHeadlessEcho(bool on) { echoErrors = on; }

void SetHeadlessQuestionHandler(HeadlessQuestionHandler handler) { questionHandler = handler; }

void ShowErrorBox(WindowRef, int id, const char* argument, int style) {
  char text[ErrorTextCapacity];
  FormatErrorText(text, sizeof text, id, argument);
  shownPrompts.push_back({"error", id, style, "Error", text});
  if (echoErrors) std::fprintf(stderr, "%s\n", text);
}

bool AskYesNo(WindowRef, const char* text, const char* caption) {
  shownPrompts.push_back({"question", 0, 0, caption ? caption : "", text ? text : ""});
  return questionHandler != nullptr && questionHandler(text ? text : "");
}

void ShowNotice(WindowRef, const char* text, const char* caption) {
  shownPrompts.push_back({"notice", 0, 0, caption ? caption : "", text ? text : ""});
}
