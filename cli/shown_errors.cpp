#include "cli/commands.h"
#include "shell/prompts_headless.h"

bool AnyErrorShown() {
  for (const HeadlessPrompt& prompt : HeadlessPrompts()) {
    if (prompt.kind == "error") return true;
  }
  return false;
}
