#include "base/prompts_headless.h"
#include "cli/commands.h"

bool AnyErrorShown() {
  for (const HeadlessPrompt& prompt : HeadlessPrompts()) {
    if (prompt.kind == "error") return true;
  }
  return false;
}
