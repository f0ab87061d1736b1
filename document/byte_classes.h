// Control bytes, and texts scanned in blocks of 64 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr bool IsControlByte(uint8_t b) { return b <= 0x1F; }

// Texts are scanned 64 bytes at a time, bit k of a mask standing for byte k.
constexpr size_t BlockBytes = 64;
constexpr uint64_t EvenBits = 0x5555555555555555ull;
constexpr uint64_t OddBits = ~EvenBits;

// Which of the bytes marked in `leads` begin a two-byte character, when the
// block's first byte is the second byte of one begun before it if `carry`
// is 1. A run of such bytes begins with a first byte (the byte before it is
// a single byte or a second byte), and within the run first and second
// bytes alternate; a first byte at bit 63 takes its second from the next
// block.
constexpr uint64_t FirstBytesOfBlock(uint64_t leads, uint64_t carry) {
  leads &= ~carry;
  const uint64_t runStarts = leads & ~(leads << 1);
  // Adding a run's first bit clears the whole run: what is cleared is the
  // runs that begin on an even bit.
  const uint64_t evenRuns = leads & ~(leads + (runStarts & EvenBits));
  const uint64_t oddRuns = leads & ~evenRuns;
  return (evenRuns & EvenBits) | (oddRuns & OddBits);
}
