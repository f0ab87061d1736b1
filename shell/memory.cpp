#include "shell/memory.h"

namespace {
int allowedAllocations = -1;
}

bool AllowAllocation() {
  if (allowedAllocations < 0) return true;
  if (allowedAllocations == 0) return false;
  --allowedAllocations;
  return true;
}

void FailAllocationsAfter(int successes) { allowedAllocations = successes; }
