#include <gtest/gtest.h>

#include <random>

#include "convert/converters.h"
#include "tests/test_support.h"

namespace {
// What a converter handed to its sink, chunk by chunk and all together;
// once `failAfter` chunks are taken, every later one is refused.
struct ChunkSink {
  std::vector<Bytes> chunks;
  Bytes all;
  int failAfter = -1;
  int refused = 0;
};

size_t TakeChunk(void* handle, const uint8_t* bytes, size_t count) {
  ChunkSink& sink = *static_cast<ChunkSink*>(handle);
  if (sink.failAfter >= 0 && static_cast<int>(sink.chunks.size()) >= sink.failAfter) {
    ++sink.refused;
    return count / 2;
  }
  sink.chunks.emplace_back(bytes, bytes + count);
  sink.all.insert(sink.all.end(), bytes, bytes + count);
  return count;
}

// Cell i of a marked table holds 0x80 | i >> 7 and 0x80 | i & 0x7F, so
// the output names the cell it came from.
template <typename... Indices>
std::string Cells(Indices... indices) {
  std::string cells;
  for (size_t i : {static_cast<size_t>(indices)...})
    cells += {static_cast<char>(0x80 | (i >> 7)), static_cast<char>(0x80 | (i & 0x7F))};
  return cells;
}

Bytes MarkedTable(size_t cells) {
  Bytes table;
  for (size_t i = 0; i < cells; ++i) table.insert(table.end(), {uint8_t(0x80 | (i >> 7)), uint8_t(0x80 | (i & 0x7F))});
  return table;
}

enum Direction { GbToBig5, Big5ToGb, GbToSjis, SjisToGb, GbToHz, HzToGb };
const Direction AllDirections[] = {GbToBig5, Big5ToGb, GbToSjis, SjisToGb, GbToHz, HzToGb};

int RunDirection(Direction direction, const Bytes& table, const Bytes& source, ChunkSink& sink) {
  ByteSink target{TakeChunk, &sink};
  if (direction == GbToHz) return ConvertGbToHz(target, source.data(), source.size());
  if (direction == HzToGb) return ConvertHzToGb(target, source.data(), source.size());
  auto convert = direction == GbToBig5 || direction == Big5ToGb ? ConvertGbBig5 : ConvertGbSjis;
  return convert(target, table.data(), table.size(), source.data(), source.size(),
                 direction == Big5ToGb || direction == SjisToGb);
}

size_t CellsFor(Direction direction) {
  return direction == Big5ToGb ? Big5TableCells : direction == SjisToGb ? SjisTableCells : GbTableCells;
}

Bytes Convert(Direction direction, const Bytes& source, const Bytes& table) {
  ChunkSink sink;
  EXPECT_EQ(RunDirection(direction, table, source, sink), 0);
  return sink.all;
}

// The table rules one step at a time, straight from their description, with
// the same chunking: the reference the fast converters must match.
std::vector<Bytes> ReferenceChunks(Direction direction, const Bytes& table, const Bytes& source) {
  std::vector<Bytes> chunks;
  Bytes buffer;
  const long cells = static_cast<long>(table.size() / 2);
  for (size_t i = 0; i < source.size();) {
    uint8_t b = source[i];
    bool lead = direction == SjisToGb ? (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) : b >= 0xA1 && b <= 0xFE;
    if (!lead) {
      buffer.push_back(b);
      ++i;
    } else {
      if (i + 1 == source.size()) break;
      uint8_t t = source[i + 1];
      long index = 94L * (b - 0xA1) + (t - 0xA1);
      if (direction == Big5ToGb) index = 157L * (b - 0xA1) + (t <= 0x7E ? t - 0x40 : t - 0x62);
      if (direction == SjisToGb) index = b >= 0xEC ? 0 : 189L * (b <= 0x9F ? b - 0x81 : b - 0xC1) + (t - 0x40);
      bool inTable = index >= 0 && index < cells;
      buffer.push_back(inTable ? table[2 * index] : b);
      buffer.push_back(inTable ? table[2 * index + 1] : t);
      i += 2;
    }
    if (buffer.size() >= ConvertChunkThreshold) chunks.push_back(std::exchange(buffer, {}));
  }
  if (!buffer.empty()) chunks.push_back(buffer);
  return chunks;
}
}  // namespace

TEST(Converters, ConvertEachCharacterAsItsCodeLaysItOut) {
  // Single bytes of GB and Big5, and of Shift JIS: half-width katakana and
  // the bytes around its lead ranges.
  const std::string gbSingles("a\r\n\0\x1A\x7E\x7F\x80\x9F\xA0\xFF", 11),
      sjisSingles("a\x80\xA0\xA1\xB1\xDF\xFD\xFE\xFF\r\n");
  const std::string gbRows = "\xA1\xA1\xA1\xFE\xA2\xA1\xB0\xA1\xFE\xFE", text = "a\xB0\xA1\xEC@";
  Bytes noTable, zeroFirst(2 * GbTableCells, 0x55);
  zeroFirst[0] = zeroFirst[1] = 0;
  // 100 cells and half of one more: cell 100 is incomplete and not used.
  Bytes shortTable = MarkedTable(101);
  shortTable.pop_back();
  const struct {
    Direction direction;
    std::string source;
    std::string expected;
    const Bytes* table = nullptr;  // a whole marked table
  } cases[] = {
      // GB rows hold 94 cells; Big5 trails skip 0x7F..0xA0 (a trail there
      // falls on the cells around it); Shift JIS rows jump from 0x9F to 0xE0,
      // and leads past 0xEB take the first cell. Then bytes that are no lead,
      // unchanged; a trail taken whatever it is (a line feed, a lead byte);
      // an index before the first cell or past the last, which writes the
      // source bytes; and a lead byte at the end, which is dropped.
      {GbToBig5, gbRows + gbSingles + "\xB0\nx\xA1\x41z\xFE\xFF" + "a\xB0",
       Cells(0, 93, 94, 1410, 8835) + gbSingles + Cells(1410 + '\n' - 0xA1) + "x\xA1\x41z\xFE\xFF" + "a"},
      {GbToSjis, gbRows + gbSingles + "\xFE\xFF\xB0\xB0\xB0",
       Cells(0, 93, 94, 1410, 8835) + gbSingles + "\xFE\xFF" + Cells(1425)},
      {Big5ToGb, "\xA1@\xA1~\xA1\xA1\xA4@\xFE\xFE\xA4\x80" + gbSingles + "\xA1 \xFE\xFF" + "a\xA4",
       Cells(0, 62, 63, 471, 14757, 471 + 0x80 - 0x62) + gbSingles + "\xA1 \xFE\xFF" + "a"},
      {SjisToGb,
       "\x81@\x81\x7F\x9F\xFC\xE0@\xEB\xFC\xEC@a\xFC\xFC" + sjisSingles + std::string("\x81\0\xEB\xFF", 4) + "a\x81",
       Cells(0, 63, 5859 - 1, 5859, 8126, 0) + "a" + Cells(0) + sjisSingles + std::string("\x81\0\xEB\xFF", 4) + "a"},
      // A table short or empty serves what it holds; a cell is written as
      // it stands, even when zero.
      {GbToBig5, "\xA2\xA6\xA2\xA7\xB0\xA1", Cells(99) + "\xA2\xA7\xB0\xA1", &shortTable},
      {GbToBig5, text, text, &noTable},
      {SjisToGb, text, text, &noTable},
      {GbToBig5, "a\xA1\xA1\x62\xA1\xA2", std::string("a\0\0b\x55\x55", 6), &zeroFirst},
      // To HZ: a tilde is doubled; GB characters share one escape pair until
      // a single byte; the trail byte is not tested, only its top bit
      // cleared; a lead byte at the end is dropped and opens no GB mode.
      {GbToHz, "~a~~\xB0\xA1\xC4\xE3x\xB0\xFE.\xB0\xA1\xB0\xA1~\r\n\xB0\n\xB0\xA1\xB0",
       "~~a~~~~~{0!Dc~}x~{0~~}.~{0!0!~}~~\r\n~{0\n0!"},
      {GbToHz, "a\xB0", "a"},
      // From HZ: in GB mode bytes go in pairs whose top bit is set, across
      // line ends too; a tilde escape is tested first where a pair starts; a
      // lone tilde stands for nothing; an unfinished end is dropped.
      {HzToGb, "~{0!Dc~}x~{0~~}.~{0!\r\n~}a~~b~xc~\r\n~~{d~{0!~~~}~{~x0!!~}",
       "\xB0\xA1\xC4\xE3x\xB0\xFE.\xB0\xA1\x8D\x8A" + std::string("a~bxc\r\n~{d\xB0\xA1~\xF8\xB0\xA1\xA1")},
      {HzToGb, "ab~", "ab"},
      {HzToGb, "~{0!0", "\xB0\xA1"},
  };
  for (const auto& c : cases) {
    Bytes table = c.table ? *c.table : MarkedTable(CellsFor(c.direction));
    EXPECT_EQ(Convert(c.direction, ToBytes(c.source), table), ToBytes(c.expected)) << "row " << &c - cases;
  }
}

TEST(Converters, MatchTheRulesOnRandomTextOfEveryLength) {
  // Lengths around the 64-byte blocks and many chunks; lead bytes dense and
  // sparse; runs of lead bytes of every parity; full and short tables.
  std::mt19937 random(20240601);
  for (Direction direction : {GbToBig5, Big5ToGb, GbToSjis, SjisToGb}) {
    for (int round = 0; round < 160; ++round) {
      size_t length = round < 130 ? static_cast<size_t>(round) : 2000 + random() % 150000;
      auto leadShare = random() % 100;
      Bytes source(length);
      for (uint8_t& b : source)
        b = static_cast<uint8_t>(random() % 100 < leadShare ? 0x81 + random() % 0x7C : random());
      Bytes table = MarkedTable(round % 7 == 3 ? random() % CellsFor(direction) : CellsFor(direction));
      ChunkSink sink;
      ASSERT_EQ(RunDirection(direction, table, source, sink), 0);
      ASSERT_EQ(sink.chunks, ReferenceChunks(direction, table, source))
          << "direction " << direction << ", length " << length << ", round " << round;
    }
  }
}

TEST(Converters, WriteChunksNearTheThresholdAndStopAtTheFirstRefused) {
  // 700 lines of ten GB characters and a tilde or an x; in HZ, the lines
  // converted one by one.
  Bytes gb, hz, ascii;
  for (int line = 0; line < 700; ++line) {
    Bytes text;
    for (int k = 0; k < 10; ++k) text.insert(text.end(), {uint8_t(0xB0 + k), uint8_t(0xA1 + line % 94)});
    text.insert(text.end(), {uint8_t(line % 3 ? 'x' : '~'), '\r', '\n'});
    Bytes converted = Convert(GbToHz, text, {});
    gb.insert(gb.end(), text.begin(), text.end());
    hz.insert(hz.end(), converted.begin(), converted.end());
  }
  for (int k = 0; k < 5000; ++k) ascii.push_back(static_cast<uint8_t>(k % 3 == 0 ? '\n' : 0x20 + k % 94));
  for (Direction direction : AllDirections) {
    SCOPED_TRACE(direction);
    const Bytes& input = direction == HzToGb ? hz : gb;
    Bytes table = MarkedTable(CellsFor(direction));
    ChunkSink whole, failing, last, empty;
    ASSERT_EQ(RunDirection(direction, table, input, whole), 0);
    ASSERT_GT(whole.chunks.size(), 5u);
    for (size_t c = 0; c + 1 < whole.chunks.size(); ++c) {
      EXPECT_GE(whole.chunks[c].size(), ConvertChunkThreshold);
      EXPECT_LE(whole.chunks[c].size(), ConvertChunkThreshold + 3);
    }
    EXPECT_LT(whole.chunks.back().size(), ConvertChunkThreshold);
    if (direction == GbToHz || direction == HzToGb)
      EXPECT_EQ(whole.all, direction == GbToHz ? hz : gb);
    else
      EXPECT_EQ(whole.chunks, ReferenceChunks(direction, table, input));

    failing.failAfter = 3;
    EXPECT_EQ(RunDirection(direction, table, input, failing), 1);
    EXPECT_EQ(failing.refused, 1);
    EXPECT_EQ(failing.chunks, std::vector<Bytes>(whole.chunks.begin(), whole.chunks.begin() + 3));
    // A refused last (short) chunk is a failure too; an empty source writes
    // nothing; text without a tilde or a byte above 0x7F is copied.
    last.failAfter = 0;
    EXPECT_EQ(RunDirection(direction, table, ToBytes("ab"), last), 1);
    EXPECT_EQ(RunDirection(direction, table, Bytes{}, empty), 0);
    EXPECT_TRUE(empty.chunks.empty());
    EXPECT_EQ(Convert(direction, ascii, table), ascii);
  }
}
