// Generated sources and tables for the conversion benchmarks. The GB text
// uses only lead bytes 0xB0 to 0xD6, whose rows are fully assigned, so other
// converters accept it too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr size_t SampleSourceSize = 50u << 20;

struct SampleGenerator {
  uint32_t seed;
  uint32_t Next(uint32_t range) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % range;
  }
};

// Lines of 20 to 60 characters ended by CR LF; about one character in four is
// ASCII, the others come from `pairFor`.
template <typename PairFor>
std::vector<uint8_t> MakeSampleText(uint32_t seed, PairFor pairFor) {
  SampleGenerator random{seed};
  std::vector<uint8_t> text;
  text.reserve(SampleSourceSize + 128);
  while (text.size() < SampleSourceSize) {
    uint32_t length = 20 + random.Next(41);
    for (uint32_t i = 0; i < length; ++i) {
      if (random.Next(4) == 0) {
        text.push_back(static_cast<uint8_t>('a' + random.Next(26)));
      } else {
        uint16_t pair = pairFor(random);
        text.push_back(static_cast<uint8_t>(pair >> 8));
        text.push_back(static_cast<uint8_t>(pair & 0xFF));
      }
    }
    text.push_back('\r');
    text.push_back('\n');
  }
  // Cut at a line end, so that no character is split.
  text.resize(SampleSourceSize);
  while (!text.empty() && text.back() != '\n') text.pop_back();
  return text;
}

inline std::vector<uint8_t> MakeGbSample() {
  return MakeSampleText(
      1, [](SampleGenerator& r) { return static_cast<uint16_t>((0xB0 + r.Next(39)) << 8 | (0xA1 + r.Next(94))); });
}

inline std::vector<uint8_t> MakeBig5Sample() {
  return MakeSampleText(2, [](SampleGenerator& r) {
    uint32_t trail = r.Next(157);
    return static_cast<uint16_t>((0xA4 + r.Next(0x56)) << 8 | (trail < 63 ? 0x40 + trail : 0x62 + trail));
  });
}

inline std::vector<uint8_t> MakeSjisSample() {
  return MakeSampleText(3, [](SampleGenerator& r) {
    uint32_t lead = r.Next(40);
    uint32_t trail = 0x40 + r.Next(188);
    return static_cast<uint16_t>((lead < 31 ? 0x81 + lead : 0xE0 + lead - 31) << 8 |
                                 (trail >= 0x7F ? trail + 1 : trail));
  });
}

// A table of `cells` cells, each a pair of bytes 0xA1 to 0xFE.
inline std::vector<uint8_t> MakeSampleTable(size_t cells, uint32_t seed) {
  SampleGenerator random{seed};
  std::vector<uint8_t> table(2 * cells);
  for (size_t c = 0; c < cells; ++c) {
    table[2 * c] = static_cast<uint8_t>(0xA1 + random.Next(94));
    table[2 * c + 1] = static_cast<uint8_t>(0xA1 + random.Next(94));
  }
  return table;
}
