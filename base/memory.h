// Owned, zero-filled buffers whose allocation may fail. Large buffers are
// released and replaced whole; a failure is reported by the caller.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>

struct FreeBlock {
  void operator()(void* block) const { std::free(block); }
};
template <typename T>
using Block = std::unique_ptr<T[], FreeBlock>;

// Asks the allocator whether the next allocation may go ahead; false when a
// test has arranged for it to fail.
bool AllowAllocation();

// Tests: the next `successes` allocations succeed, every later one fails.
// A negative count lets every allocation through again.
void FailAllocationsAfter(int successes);

// A zero-filled array of `count` elements (at least one is allocated, so an
// empty buffer is still a valid one), or null on failure or overflow.
template <typename T>
Block<T> AllocateZeroed(size_t count) {
  if (count == 0) count = 1;
  if (count > static_cast<size_t>(-1) / sizeof(T) || !AllowAllocation()) return nullptr;
  return Block<T>(static_cast<T*>(std::calloc(count, sizeof(T))));
}

// Readies a large block that is about to be filled whole: where the system
// allows, asks for large pages, which spares most of the faults of first
// touching it; then writes a 0 to every page. A read into pages never
// touched can cost two faults a page where the system checks the buffer
// before it reads.
void PrepareToFill(uint8_t* block, size_t length);

// Grows `block` to `count` elements, keeping its contents; the new tail is
// not cleared. On failure the block stays as it was and false is returned.
template <typename T>
bool GrowBlock(Block<T>& block, size_t count) {
  if (count == 0 || count > static_cast<size_t>(-1) / sizeof(T) || !AllowAllocation()) return false;
  void* grown = std::realloc(block.get(), count * sizeof(T));
  if (grown == nullptr) return false;
  block.release();
  block.reset(static_cast<T*>(grown));
  return true;
}
