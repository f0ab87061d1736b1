#include <gtest/gtest.h>

#include <random>

#include "convert/converters.h"
#include "tests/test_support.h"

namespace {
// Everything a converter handed to its sink, chunk by chunk; `failAfter`
// chunks are written whole, every later one is refused.
struct ChunkSink {
  std::vector<Bytes> chunks;
  int failAfter = -1;
  int refused = 0;
  Bytes Joined() const {
    Bytes all;
    for (const Bytes& chunk : chunks) all.insert(all.end(), chunk.begin(), chunk.end());
    return all;
  }
};

size_t TakeChunk(void* handle, const uint8_t* bytes, size_t count) {
  ChunkSink& sink = *static_cast<ChunkSink*>(handle);
  if (sink.failAfter >= 0 && static_cast<int>(sink.chunks.size()) >= sink.failAfter) {
    ++sink.refused;
    return count / 2;
  }
  sink.chunks.emplace_back(bytes, bytes + count);
  return count;
}

// Cell i holds 0x80 | i >> 7 and 0x80 | i & 0x7F, so the output names the
// cell it came from.
Bytes MarkedTable(size_t cells) {
  Bytes table(2 * cells);
  for (size_t i = 0; i < cells; ++i) {
    table[2 * i] = static_cast<uint8_t>(0x80 | (i >> 7));
    table[2 * i + 1] = static_cast<uint8_t>(0x80 | (i & 0x7F));
  }
  return table;
}

Bytes Cell(int index) {
  return Bytes{static_cast<uint8_t>(0x80 | (index >> 7)), static_cast<uint8_t>(0x80 | (index & 0x7F))};
}

enum Direction { GbToBig5, Big5ToGb, GbToSjis, SjisToGb, GbToHz, HzToGb };

int RunDirection(Direction direction, const Bytes& table, const Bytes& source, ChunkSink& sink) {
  ByteSink target{TakeChunk, &sink};
  switch (direction) {
    case GbToBig5:
      return ConvertGbBig5(target, table.data(), table.size(), source.data(), source.size(), 0);
    case Big5ToGb:
      return ConvertGbBig5(target, table.data(), table.size(), source.data(), source.size(), 1);
    case GbToSjis:
      return ConvertGbSjis(target, table.data(), table.size(), source.data(), source.size(), 0);
    case SjisToGb:
      return ConvertGbSjis(target, table.data(), table.size(), source.data(), source.size(), 1);
    case GbToHz:
      return ConvertGbToHz(target, source.data(), source.size());
    case HzToGb:
      return ConvertHzToGb(target, source.data(), source.size());
  }
  return -1;
}

size_t CellsFor(Direction direction) {
  if (direction == Big5ToGb) return Big5TableCells;
  if (direction == SjisToGb) return SjisTableCells;
  return GbTableCells;
}

Bytes Convert(Direction direction, const Bytes& source) {
  ChunkSink sink;
  EXPECT_EQ(RunDirection(direction, MarkedTable(CellsFor(direction)), source, sink), 0);
  return sink.Joined();
}

Bytes Convert(Direction direction, const std::string& source) { return Convert(direction, ToBytes(source)); }


// The table rules one step at a time, straight from their description, with
// the same chunking: the reference the fast converters must match.
struct Reference {
  std::vector<Bytes> chunks;
  Bytes buffer;
  void AfterStep() {
    if (buffer.size() >= ConvertChunkThreshold) {
      chunks.push_back(buffer);
      buffer.clear();
    }
  }
};

std::vector<Bytes> ReferenceChunks(Direction direction, const Bytes& table, const Bytes& source) {
  Reference ref;
  const long cells = static_cast<long>(table.size() / 2);
  size_t i = 0;
  while (i < source.size()) {
    uint8_t b = source[i];
    bool lead =
        direction == SjisToGb ? ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) : (b >= 0xA1 && b <= 0xFE);
    if (!lead) {
      ref.buffer.push_back(b);
      ++i;
      ref.AfterStep();
      continue;
    }
    if (i + 1 == source.size()) break;
    uint8_t t = source[i + 1];
    long index;
    if (direction == Big5ToGb) {
      index = 157L * (b - 0xA1) + (t <= 0x7E ? t - 0x40 : t - 0x62);
    } else if (direction == SjisToGb) {
      index = b >= 0xEC ? 0 : 189L * (b <= 0x9F ? b - 0x81 : b - 0xC1) + (t - 0x40);
    } else {
      index = 94L * (b - 0xA1) + (t - 0xA1);
    }
    if (index >= 0 && index < cells) {
      ref.buffer.push_back(table[2 * index]);
      ref.buffer.push_back(table[2 * index + 1]);
    } else {
      ref.buffer.push_back(b);
      ref.buffer.push_back(t);
    }
    i += 2;
    ref.AfterStep();
  }
  if (!ref.buffer.empty()) ref.chunks.push_back(ref.buffer);
  return ref.chunks;
}
}  // namespace

TEST(TableConverters, GbCharactersReadTheirCellRowByRow) {
  for (Direction direction : {GbToBig5, GbToSjis}) {
    EXPECT_EQ(Convert(direction, Bytes{0xA1, 0xA1}), Cell(0));
    EXPECT_EQ(Convert(direction, Bytes{0xA1, 0xFE}), Cell(93));
    EXPECT_EQ(Convert(direction, Bytes{0xA2, 0xA1}), Cell(94));
    EXPECT_EQ(Convert(direction, Bytes{0xB0, 0xA1}), Cell(1410));
    EXPECT_EQ(Convert(direction, Bytes{0xFE, 0xFE}), Cell(8835));
  }
}

TEST(TableConverters, Big5TrailsSkipTheGapBetween7EAndA1) {
  EXPECT_EQ(Convert(Big5ToGb, Bytes{0xA1, 0x40}), Cell(0));
  EXPECT_EQ(Convert(Big5ToGb, Bytes{0xA1, 0x7E}), Cell(62));
  EXPECT_EQ(Convert(Big5ToGb, Bytes{0xA1, 0xA1}), Cell(63));
  EXPECT_EQ(Convert(Big5ToGb, Bytes{0xA4, 0x40}), Cell(471));
  EXPECT_EQ(Convert(Big5ToGb, Bytes{0xFE, 0xFE}), Cell(14757));
  // The gap's trail bytes are not tested: they fall on the cells around them.
  EXPECT_EQ(Convert(Big5ToGb, Bytes{0xA4, 0x80}), Cell(471 + 0x80 - 0x62));
}

TEST(TableConverters, ShiftJisRowsJumpFrom9FToE0AndLeadsPastEBTakeTheFirstCell) {
  EXPECT_EQ(Convert(SjisToGb, Bytes{0x81, 0x40}), Cell(0));
  EXPECT_EQ(Convert(SjisToGb, Bytes{0x81, 0x7F}), Cell(63));
  EXPECT_EQ(Convert(SjisToGb, Bytes{0x9F, 0xFC}), Cell(30 * 189 + 188));
  EXPECT_EQ(Convert(SjisToGb, Bytes{0xE0, 0x40}), Cell(5859));
  EXPECT_EQ(Convert(SjisToGb, Bytes{0xEB, 0xFC}), Cell(8126));
  EXPECT_EQ(Convert(SjisToGb, Bytes{0xEC, 0x40, 'a', 0xFC, 0xFC, 'b'}),
            Join({Cell(0), ToBytes("a"), Cell(0), ToBytes("b")}));
}

TEST(TableConverters, BytesThatAreNoLeadPassUnchanged) {
  Bytes gbSingles{'a', '\r', '\n', 0x00, 0x1A, 0x7E, 0x7F, 0x80, 0x9F, 0xA0, 0xFF};
  for (Direction direction : {GbToBig5, Big5ToGb, GbToSjis}) EXPECT_EQ(Convert(direction, gbSingles), gbSingles);
  // Half-width katakana and the bytes around the Shift JIS lead ranges.
  Bytes sjisSingles{'a', 0x80, 0xA0, 0xA1, 0xB1, 0xDF, 0xFD, 0xFE, 0xFF, '\r', '\n'};
  EXPECT_EQ(Convert(SjisToGb, sjisSingles), sjisSingles);
}

TEST(TableConverters, TheTrailByteIsTakenWhateverItIs) {
  // A line feed after a lead byte is its partner: row 0xB0's index minus 0x97.
  EXPECT_EQ(Convert(GbToBig5, Bytes{0xB0, '\n', 'x'}), Join({Cell(94 * 15 + '\n' - 0xA1), ToBytes("x")}));
  // Two lead bytes in a row are one character.
  EXPECT_EQ(Convert(GbToSjis, Bytes{0xB0, 0xB0, 0xB0}), Cell(94 * 15 + 15));
}

TEST(TableConverters, CellsAreWrittenAsTheyStandEvenWhenZero) {
  Bytes table(2 * GbTableCells, 0x55);
  table[0] = 0;
  table[1] = 0;
  ChunkSink sink;
  EXPECT_EQ(RunDirection(GbToBig5, table, Bytes{'a', 0xA1, 0xA1, 'b', 0xA1, 0xA2}, sink), 0);
  EXPECT_EQ(sink.Joined(), (Bytes{'a', 0, 0, 'b', 0x55, 0x55}));
}

TEST(TableConverterHazards, ALeadByteAtTheEndIsDropped) {
  EXPECT_EQ(Convert(GbToBig5, Bytes{'a', 0xB0}), ToBytes("a"));
  EXPECT_EQ(Convert(Big5ToGb, Bytes{'a', 0xA4}), ToBytes("a"));
  EXPECT_EQ(Convert(GbToSjis, Bytes{0xB0, 0xA1, 0xB0}), Cell(1410));
  EXPECT_EQ(Convert(SjisToGb, Bytes{'a', 0x81}), ToBytes("a"));
  EXPECT_EQ(Convert(SjisToGb, Bytes{0xFC}), Bytes{});
}

TEST(TableConverterHazards, AnIndexOutsideTheTableWritesTheSourceBytes) {
  // First row, trail below its range: a negative index.
  EXPECT_EQ(Convert(GbToBig5, Bytes{0xA1, 0x41, 'z'}), (Bytes{0xA1, 0x41, 'z'}));
  EXPECT_EQ(Convert(Big5ToGb, Bytes{0xA1, 0x20}), (Bytes{0xA1, 0x20}));
  EXPECT_EQ(Convert(SjisToGb, Bytes{0x81, 0x00}), (Bytes{0x81, 0x00}));
  // Last row, trail above its range: past the last cell.
  EXPECT_EQ(Convert(GbToSjis, Bytes{0xFE, 0xFF}), (Bytes{0xFE, 0xFF}));
  EXPECT_EQ(Convert(Big5ToGb, Bytes{0xFE, 0xFF}), (Bytes{0xFE, 0xFF}));
  EXPECT_EQ(Convert(SjisToGb, Bytes{0xEB, 0xFF}), (Bytes{0xEB, 0xFF}));
}

TEST(TableConverterHazards, AShortTableServesWhatItHolds) {
  // 100 cells and half of one more: cell 100 is incomplete and not used.
  Bytes table = MarkedTable(101);
  table.pop_back();
  ChunkSink sink;
  EXPECT_EQ(RunDirection(GbToBig5, table, Bytes{0xA2, 0xA6, 0xA2, 0xA7, 0xB0, 0xA1}, sink), 0);
  EXPECT_EQ(sink.Joined(), Join({Cell(99), Bytes{0xA2, 0xA7, 0xB0, 0xA1}}));
  for (Direction direction : {GbToBig5, SjisToGb}) {
    ChunkSink empty;
    EXPECT_EQ(RunDirection(direction, Bytes{}, Bytes{'a', 0xB0, 0xA1, 0xEC, 0x40}, empty), 0);
    EXPECT_EQ(empty.Joined(), (Bytes{'a', 0xB0, 0xA1, 0xEC, 0x40}));
  }
}

TEST(TableConverters, MatchTheRulesOnRandomTextOfEveryLength) {
  // Lengths around the 64-byte blocks and many chunks; lead bytes dense and
  // sparse; runs of lead bytes of every parity; full and short tables.
  std::mt19937 random(20240601);
  for (Direction direction : {GbToBig5, Big5ToGb, GbToSjis, SjisToGb}) {
    for (int round = 0; round < 160; ++round) {
      size_t length = round < 130 ? static_cast<size_t>(round) : 2000 + random() % 150000;
      int leadShare = static_cast<int>(random() % 100);
      Bytes source(length);
      for (uint8_t& b : source) {
        b = static_cast<int>(random() % 100) < leadShare ? static_cast<uint8_t>(0x81 + random() % 0x7C)
                                                         : static_cast<uint8_t>(random() % 256);
      }
      size_t cells = round % 7 == 3 ? random() % CellsFor(direction) : CellsFor(direction);
      Bytes table = MarkedTable(cells);
      ChunkSink sink;
      ASSERT_EQ(RunDirection(direction, table, source, sink), 0);
      ASSERT_EQ(sink.chunks, ReferenceChunks(direction, table, source))
          << "direction " << direction << ", length " << length << ", round " << round;
    }
  }
}

TEST(ConvertChunks, OutputCrossingTheThresholdManyTimesEqualsOneWrite) {
  Bytes source;
  Bytes hz;
  for (int line = 0; line < 700; ++line) {
    hz.push_back('~');
    hz.push_back('{');
    for (int k = 0; k < 10; ++k) {
      source.push_back(static_cast<uint8_t>(0xB0 + k));
      source.push_back(static_cast<uint8_t>(0xA1 + line % 94));
      hz.push_back(static_cast<uint8_t>(0x30 + k));
      hz.push_back(static_cast<uint8_t>(0x21 + line % 94));
    }
    hz.push_back('~');
    hz.push_back('}');
    source.push_back(line % 3 == 0 ? '~' : 'x');
    if (line % 3 == 0) hz.push_back('~');
    hz.push_back(line % 3 == 0 ? '~' : 'x');
    for (Bytes* text : {&source, &hz}) {
      text->push_back('\r');
      text->push_back('\n');
    }
  }
  for (Direction direction : {GbToBig5, GbToSjis, GbToHz, HzToGb}) {
    ChunkSink sink;
    const Bytes& input = direction == HzToGb ? hz : source;
    ASSERT_EQ(RunDirection(direction, MarkedTable(GbTableCells), input, sink), 0);
    ASSERT_GT(sink.chunks.size(), 5u);
    for (size_t c = 0; c + 1 < sink.chunks.size(); ++c) {
      EXPECT_GE(sink.chunks[c].size(), ConvertChunkThreshold);
      EXPECT_LE(sink.chunks[c].size(), ConvertChunkThreshold + 3);
    }
    EXPECT_LT(sink.chunks.back().size(), ConvertChunkThreshold);
    if (direction == GbToHz) {
      EXPECT_EQ(sink.Joined(), hz);
    } else if (direction == HzToGb) {
      EXPECT_EQ(sink.Joined(), source);
    } else {
      Bytes whole;
      for (const Bytes& chunk : ReferenceChunks(direction, MarkedTable(GbTableCells), source))
        whole.insert(whole.end(), chunk.begin(), chunk.end());
      EXPECT_EQ(sink.Joined(), whole);
    }
  }
}

TEST(ConvertChunks, ASinkThatFailsStopsTheConverterAtOnce) {
  Bytes source;
  for (int k = 0; k < 20000; ++k) source.push_back(static_cast<uint8_t>(k % 5 == 0 ? '~' : 0xB0 + k % 7));
  Bytes hz;
  {
    ChunkSink sink;
    RunDirection(GbToHz, Bytes{}, source, sink);
    hz = sink.Joined();
  }
  for (Direction direction : {GbToBig5, Big5ToGb, GbToSjis, SjisToGb, GbToHz, HzToGb}) {
    const Bytes& input = direction == HzToGb ? hz : source;
    ChunkSink whole;
    ASSERT_EQ(RunDirection(direction, MarkedTable(CellsFor(direction)), input, whole), 0);
    ASSERT_GT(whole.chunks.size(), 4u);
    ChunkSink failing;
    failing.failAfter = 3;
    EXPECT_EQ(RunDirection(direction, MarkedTable(CellsFor(direction)), input, failing), 1) << direction;
    EXPECT_EQ(failing.refused, 1) << direction;
    ASSERT_EQ(failing.chunks.size(), 3u);
    EXPECT_TRUE(std::equal(failing.chunks.begin(), failing.chunks.end(), whole.chunks.begin()));
  }
  // A failed last (short) chunk is a failure too.
  ChunkSink last;
  last.failAfter = 0;
  EXPECT_EQ(RunDirection(GbToBig5, MarkedTable(GbTableCells), ToBytes("ab"), last), 1);
}

TEST(ConvertChunks, AnEmptySourceWritesNothing) {
  for (Direction direction : {GbToBig5, Big5ToGb, GbToSjis, SjisToGb, GbToHz, HzToGb}) {
    ChunkSink sink;
    EXPECT_EQ(RunDirection(direction, MarkedTable(CellsFor(direction)), Bytes{}, sink), 0);
    EXPECT_TRUE(sink.chunks.empty());
  }
}

TEST(ConvertDirections, PureAsciiWithoutTildeIsCopiedInAllSix) {
  Bytes text;
  for (int k = 0; k < 5000; ++k) {
    uint8_t b = static_cast<uint8_t>(k % 3 == 0 ? '\n' : 0x20 + k % 94);
    text.push_back(b == '~' ? 'x' : b);
  }
  for (Direction direction : {GbToBig5, Big5ToGb, GbToSjis, SjisToGb, GbToHz, HzToGb})
    EXPECT_EQ(Convert(direction, text), text) << direction;
}

TEST(HzWriter, GbCharactersShareOneEscapePairUntilASingleByte) {
  EXPECT_EQ(Convert(GbToHz, Bytes{0xB0, 0xA1, '\r', '\n'}), ToBytes("~{0!~}\r\n"));
  EXPECT_EQ(Convert(GbToHz, Bytes{'a', 0xB0, 0xA1, 0xC4, 0xE3, 'b'}), ToBytes("a~{0!Dc~}b"));
  EXPECT_EQ(Convert(GbToHz, Bytes{0xB0, 0xA1, 0xC4, 0xE3}), ToBytes("~{0!Dc"));
  EXPECT_EQ(Convert(GbToHz, "~a~~"), ToBytes("~~a~~~~"));
  EXPECT_EQ(Convert(GbToHz, Bytes{0xB0, 0xA1, '~'}), ToBytes("~{0!~}~~"));
  // The trail byte is not tested; only its top bit is cleared.
  EXPECT_EQ(Convert(GbToHz, Bytes{0xB0, 0x0A}), (Bytes{'~', '{', 0x30, 0x0A}));
}

TEST(HzWriter, ALeadByteAtTheEndIsDroppedWithoutOpeningGbMode) {
  EXPECT_EQ(Convert(GbToHz, Bytes{'a', 0xB0}), ToBytes("a"));
  EXPECT_EQ(Convert(GbToHz, Bytes{0xB0, 0xA1, 0xB0}), ToBytes("~{0!"));
}

TEST(HzReader, EscapesSwitchModeAndTildesStandForThemselvesOrNothing) {
  EXPECT_EQ(Convert(HzToGb, "~{0!~}\r\n"), (Bytes{0xB0, 0xA1, '\r', '\n'}));
  EXPECT_EQ(Convert(HzToGb, "a~~b"), ToBytes("a~b"));
  EXPECT_EQ(Convert(HzToGb, "a~xb~\r\n"), ToBytes("axb\r\n"));
  EXPECT_EQ(Convert(HzToGb, "~~{ab"), ToBytes("~{ab"));
  // Inside GB mode the tilde test still comes first.
  EXPECT_EQ(Convert(HzToGb, "~{0!~~~}"), (Bytes{0xB0, 0xA1, '~'}));
  EXPECT_EQ(Convert(HzToGb, "~{~x0!!"), (Bytes{0xF8, 0xB0, 0xA1, 0xA1}));
}

TEST(HzReader, GbModeSetsTheTopBitOfEveryPairAcrossLineEnds) {
  EXPECT_EQ(Convert(HzToGb, "~{0!\r\n~}"), (Bytes{0xB0, 0xA1, 0x8D, 0x8A}));
  Bytes gb{0xB0, 0xA1, 0xC4, 0xE3, 'x', 0xB0, 0xA1};
  EXPECT_EQ(Convert(HzToGb, Convert(GbToHz, gb)), gb);
}

TEST(HzReader, AnUnfinishedEndIsDropped) {
  EXPECT_EQ(Convert(HzToGb, "ab~"), ToBytes("ab"));
  EXPECT_EQ(Convert(HzToGb, "~"), Bytes{});
  EXPECT_EQ(Convert(HzToGb, "~{0!0"), (Bytes{0xB0, 0xA1}));
  EXPECT_EQ(Convert(HzToGb, "~{0"), Bytes{});
}
