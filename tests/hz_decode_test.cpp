#include <gtest/gtest.h>

#include "document/hz_decode.h"
#include "tests/test_support.h"

namespace {
Bytes Decode(const Bytes& in) {
  Bytes out(in.size() + 1, 0xCC);
  size_t n = DecodeHzBytes(in.data(), in.size(), out.data());
  EXPECT_LE(n, in.size());
  out.resize(n);
  return out;
}
}  // namespace

TEST(HzDecode, EscapesSwitchModeAndVanish) {
  EXPECT_EQ(Decode(ToBytes("~{!!~}")), (Bytes{0xA1, 0xA1}));
  EXPECT_EQ(Decode(ToBytes("a~{0!~}b")), (Bytes{'a', 0xB0, 0xA1, 'b'}));
}

TEST(HzDecode, TildeBeforeALineEndVanishesAndEndsGbMode) {
  EXPECT_EQ(Decode(ToBytes("a~\r\n")), ToBytes("a\r\n"));
  EXPECT_EQ(Decode(ToBytes("~{!!~\n!!")), (Bytes{0xA1, 0xA1, '\n', '!', '!'}));
}

TEST(HzDecode, DoubleTildeIsOneTildeAndTakesTheMode) {
  EXPECT_EQ(Decode(Bytes{0x7E, 0x7E, 0x7B}), (Bytes{0x7E, 0x7B}));
  EXPECT_EQ(Decode(ToBytes("~{~~~}")), (Bytes{0xFE}));
}

TEST(HzDecode, OtherTildesAndATrailingTildeAreCopied) {
  EXPECT_EQ(Decode(ToBytes("x~y")), ToBytes("x~y"));
  EXPECT_EQ(Decode(ToBytes("x~")), ToBytes("x~"));
  EXPECT_EQ(Decode(ToBytes("~")), ToBytes("~"));
}

TEST(HzDecode, GbModeSetsBitSevenOnEveryByteAndCrossesLineEnds) {
  EXPECT_EQ(Decode(ToBytes("~{!!\r\n")), (Bytes{0xA1, 0xA1, 0x8D, 0x8A}));
  EXPECT_EQ(Decode(ToBytes("~{ a")), (Bytes{0xA0, 0xE1}));
  // "~{" then "~" as the last byte: copied with bit 7.
  EXPECT_EQ(Decode(ToBytes("~{~")), (Bytes{0xFE}));
}

TEST(HzDecode, InGbModeEscapesStandOnlyWhereAPairStarts) {
  // GB 0xB0 0xFE followed by ASCII, as the HZ writer puts it: the pair's
  // second byte is a tilde, and the "~}" after it still ends GB mode.
  EXPECT_EQ(Decode(ToBytes("~{1!0~~}.\r\n")), (Bytes{0xB1, 0xA1, 0xB0, 0xFE, '.', '\r', '\n'}));
  EXPECT_EQ(Decode(ToBytes("~{0~0!~}")), (Bytes{0xB0, 0xFE, 0xB0, 0xA1}));
  // A line end at a pair's start is a pair like any other.
  EXPECT_EQ(Decode(ToBytes("~{!!\r\n~}x")), (Bytes{0xA1, 0xA1, 0x8D, 0x8A, 'x'}));
}

TEST(HzDecode, EmptyInputGivesNothing) { EXPECT_TRUE(Decode(Bytes{}).empty()); }
