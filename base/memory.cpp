#include "base/memory.h"

#include <cstdint>
#include <system_error>
#include <thread>

#ifdef __linux__
#include <sys/mman.h>
#endif

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

void PrepareToFill(uint8_t* block, size_t length) {
  constexpr size_t PageSize = 4096;
#ifdef __linux__
  constexpr uintptr_t PageMask = PageSize - 1;
  uintptr_t first = (reinterpret_cast<uintptr_t>(block) + PageMask) & ~PageMask;
  uintptr_t last = (reinterpret_cast<uintptr_t>(block) + length) & ~PageMask;
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
  // The block is zero-filled already: the writes change nothing but where
  // the pages come from. Each fault costs about a microsecond where pages
  // are small, so a second thread takes the back half.
  auto touch = [](uint8_t* from, size_t count) {
    volatile uint8_t* bytes = from;
    for (size_t k = 0; k < count; k += PageSize) bytes[k] = 0;
  };
  size_t half = (length / 2) & ~(PageSize - 1);
  std::thread back;
  try {
    back = std::thread(touch, block + half, length - half);
  } catch (const std::system_error&) {
    half = length;
  }
  touch(block, half);
  if (back.joinable()) back.join();
}
