// Resetting the core's process-wide state between tests; separate from the
// other helpers because it drives the headless prompts, which the viewer's
// own tests replace with real message boxes.
#include "shell/font_path.h"
#include "shell/prompts_headless.h"
#include "tests/test_support.h"

void ResetCoreState() {
  ResetSharedState();
  ClearHeadlessPrompts();
  SetHeadlessEcho(false);
  SetHeadlessQuestionHandler(nullptr);
  SetModulePath("");
}
