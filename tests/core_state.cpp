// The one fixture of the core suites: every test starts from the state the
// process has at start-up, and leaves it so however it ends, a failed
// assertion included. Separate from the other helpers because it drives the
// headless prompts, which the viewer's own tests replace with real message
// boxes.
#include <gtest/gtest.h>

#include "base/memory.h"
#include "base/prompts_headless.h"
#include "tests/test_support.h"

void ResetCoreState() {
  ResetSharedState();
  ClearHeadlessPrompts();
  SetHeadlessEcho(false);
  SetHeadlessQuestionHandler(nullptr);
}

int FailEachAllocation(const std::function<void()>& prepare, const std::function<bool()>& operation,
                       const std::function<void(int allowed)>& afterFailure) {
  constexpr int Limit = 64;
  for (int allowed = 0; allowed < Limit; ++allowed) {
    prepare();
    ClearHeadlessPrompts();
    FailAllocationsAfter(allowed);
    bool done = operation();
    FailAllocationsAfter(-1);
    if (done) return allowed;
    afterFailure(allowed);
  }
  ADD_FAILURE() << "the operation never succeeded";
  return Limit;
}

namespace {
struct ResetAroundEveryTest : ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { ResetCoreState(); }
  void OnTestEnd(const ::testing::TestInfo&) override { ResetCoreState(); }
};

[[maybe_unused]] const bool registered = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new ResetAroundEveryTest);
  return true;
}();
}  // namespace
