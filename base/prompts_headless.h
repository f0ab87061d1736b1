// Control of the headless prompts, for the CLI and the tests.
#pragma once

#include <string>
#include <vector>

struct HeadlessPrompt {
  std::string kind;  // "error", "question" or "notice"
  int id = 0;        // the error id; 0 for the other kinds
  int style = 0;
  std::string caption;
  std::string text;
};

// Everything shown since the last clear, oldest first.
const std::vector<HeadlessPrompt>& HeadlessPrompts();
void ClearHeadlessPrompts();

// When on, error texts are also written to standard error.
void SetHeadlessEcho(bool on);

// Answers AskYesNo; without one every question is answered No, which never
// destroys anything.
using HeadlessQuestionHandler = bool (*)(const char* text);
void SetHeadlessQuestionHandler(HeadlessQuestionHandler handler);
