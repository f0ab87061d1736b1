// The converters, on whole sources and in pieces; whole conversions of
// files; and the files a user keeps, never lost: one file under two names is
// known as one, and a file is replaced only once its new bytes are whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>

#include "base/file_io.h"
#include "base/overwrite_question.h"
#include "base/prompts_headless.h"
#include "convert/convert_file.h"
#include "convert/loss_report.h"
#include "convert/transcode.h"
#include "document/document.h"
#include "document/document_lines.h"
#include "tests/reference_rules.h"
#include "tests/test_support.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {
// What a converter handed to its sink, chunk by chunk and all together;
// once `failAfter` chunks are taken, every later one is refused.
struct ChunkSink {
  explicit ChunkSink(int refuseFrom = -1) : failAfter(refuseFrom) {}
  std::vector<Bytes> chunks;
  Bytes all;
  int failAfter, refused = 0;
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
  for (size_t i : {static_cast<size_t>(indices)...}) cells += {char(0x80 | (i >> 7)), char(0x80 | (i & 0x7F))};
  return cells;
}

Bytes MarkedTable(size_t cells) {
  std::string table;
  for (size_t i = 0; i < cells; ++i) table += Cells(i);
  return ToBytes(table);
}

enum Direction { GbToBig5, Big5ToGb, GbToSjis, SjisToGb, GbToHz, HzToGb };
const Direction AllDirections[] = {GbToBig5, Big5ToGb, GbToSjis, SjisToGb, GbToHz, HzToGb};

int ModeOf(Direction direction) {
  return direction == GbToBig5 || direction == Big5ToGb   ? ConvertModeBig5
         : direction == GbToSjis || direction == SjisToGb ? ConvertModeSjis
                                                          : ConvertModeHz;
}
int ToGbOf(Direction direction) { return direction == Big5ToGb || direction == SjisToGb || direction == HzToGb; }

int RunDirection(Direction direction, const Bytes& table, const Bytes& source, ChunkSink& sink,
                 SourcePiece* piece = nullptr, const Bytes* extension = nullptr) {
  ByteSink target{TakeChunk, &sink};
  if (direction == GbToHz) return ConvertGbToHz(target, source.data(), source.size(), piece);
  if (direction == HzToGb) return ConvertHzToGb(target, source.data(), source.size(), piece);
  ConvertTables tables{
      table.data(), table.size(), extension ? extension->data() : nullptr, extension ? extension->size() : 0, {}};
  FillReplacement(ModeOf(direction), ToGbOf(direction), &tables);
  auto convert = ModeOf(direction) == ConvertModeBig5 ? ConvertGbBig5 : ConvertGbSjis;
  return convert(target, tables, source.data(), source.size(), ToGbOf(direction), piece);
}

size_t CellsFor(Direction direction) {
  return direction == Big5ToGb ? Big5TableCells : direction == SjisToGb ? SjisTableCells : GbTableCells;
}

Bytes Convert(Direction direction, const Bytes& source, const Bytes& table, const Bytes* extension = nullptr) {
  ChunkSink sink;
  EXPECT_EQ(RunDirection(direction, table, source, sink, nullptr, extension), 0);
  return sink.all;
}

// Converts `source` the way a file is converted: pieces of `size` new bytes
// after what the piece before left over.
Bytes ConvertInPieces(Direction direction, const Bytes& table, const Bytes& source, size_t size) {
  ChunkSink sink;
  Bytes buffer;
  SourcePiece piece;
  for (size_t next = 0; !piece.last;) {
    size_t take = std::min(size, source.size() - next);
    buffer.insert(buffer.end(), source.data() + next, source.data() + next + take);
    next += take;
    piece.last = next == source.size();
    EXPECT_EQ(RunDirection(direction, table, buffer, sink, &piece), 0);
    EXPECT_LE(buffer.size() - piece.used, 3u);
    buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(piece.used));
  }
  EXPECT_TRUE(buffer.empty());
  return sink.all;
}

// The table rules one character at a time, straight from their description,
// with the same chunking: the reference the fast converters must match.
std::vector<Bytes> ReferenceChunks(Direction direction, const Bytes& table, const Bytes& source,
                                   const Bytes* extension = nullptr) {
  const int code = direction == Big5ToGb ? CodeBig5 : direction == SjisToGb ? CodeShiftJis : CodeGb;
  ConvertTables tables;
  FillReplacement(ModeOf(direction), ToGbOf(direction), &tables);
  const Bytes replacement(tables.replacement, tables.replacement + 2);
  std::vector<Bytes> chunks(1);
  const long cells = static_cast<long>(table.size() / 2);
  for (size_t i = 0; i < source.size();) {
    const size_t length = CharacterLengthByRule(code, source.data(), i, source.size());
    const uint8_t b = source[i], t = length > 1 ? source[i + 1] : 0;
    Bytes out = {b};
    if (length == 2) {
      long index = code == CodeGb && b >= 0xA1 && t >= 0xA1 ? 94L * (b - 0xA1) + (t - 0xA1) : -1;
      if (code == CodeBig5 && b >= 0xA1) index = 157L * (b - 0xA1) + (t <= 0x7E ? t - 0x40 : t - 0x62);
      if (code == CodeShiftJis && b <= 0xEB) index = 189L * (b <= 0x9F ? b - 0x81 : b - 0xC1) + (t - 0x40);
      const bool inTable = index >= 0 && index < cells;
      out = inTable ? Bytes{table[2 * index], table[2 * index + 1]} : Bytes{b, t};
      const size_t k = 191 * static_cast<size_t>(b - 0x81) + (t - 0x40);
      if (extension != nullptr && (!inTable || out == replacement) && 2 * k + 1 < extension->size()) {
        out = {(*extension)[2 * k], (*extension)[2 * k + 1]};
        if (out == Bytes{0, 0}) out = replacement;
      }
    } else if (length == 4) {
      out = replacement;
    }
    chunks.back().insert(chunks.back().end(), out.begin(), out.end());
    i += length;
    if (chunks.back().size() >= ConvertChunkThreshold) chunks.emplace_back();
  }
  if (chunks.back().empty()) chunks.pop_back();
  return chunks;
}

using Lines = std::vector<std::string>;
bool answerYes = false;
const char* const TableNames[4] = {"GBBIG5.TBL", "BIG5GB.TBL", "GBSJIS.TBL", "SJISGB.TBL"};
const char* const ExtensionNames[4] = {"GBBIG5X.TBL", "BIG5GBX.TBL", "GBSJISX.TBL", "SJISGBX.TBL"};

// What the prompts showed, a line each: kind, caption, id / style, text.
Lines Shown() {
  Lines lines;
  for (const HeadlessPrompt& p : HeadlessPrompts())
    lines.push_back(p.kind + " " + p.caption + " " + std::to_string(p.id) + "/" + std::to_string(p.style) + ": " +
                    p.text);
  return lines;
}
std::string Error(int id, const std::string& text) { return "error Error " + std::to_string(id) + "/16: " + text; }
std::string Question(const std::string& target) {
  return "question Message 0/0: File " + target + " is existed, Overwrite it ?";
}
const std::string Done = "notice OK 0/0: Convert complete!";

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
  // GB 0xB0A1's cell is Big5's replacement: the extension's serves, as it
  // does where the table has no cell; its 0 0 is no character.
  Bytes withReplacement = MarkedTable(GbTableCells), extension(2 * 24066, 0);
  withReplacement[2 * 1410] = 0xA1, withReplacement[2 * 1410 + 1] = 0x48;
  auto setCell = [&](int lead, int trail, const char* cell) {
    const size_t k = 191 * static_cast<size_t>(lead - 0x81) + static_cast<size_t>(trail - 0x40);
    extension[2 * k] = static_cast<uint8_t>(cell[0]), extension[2 * k + 1] = static_cast<uint8_t>(cell[1]);
  };
  setCell(0xB0, 0xA1, "XY"), setCell(0x81, 0x40, "PQ"), setCell(0xA1, 0xA1, "ZZ");
  const struct {
    Direction direction;
    std::string source;
    std::string expected;
    const Bytes* table = nullptr;  // a whole marked table
    const Bytes* extension = nullptr;
  } cases[] = {
      // GB rows hold 94 cells; Big5 trails skip 0x7F..0xA0; Shift JIS rows
      // jump from 0x9F to 0xE0. Bytes pair by the source code's rule: a lead
      // whose next byte is no trail, and any byte that is no character,
      // pass unchanged, so does a lead at the end; a pair outside the table
      // (and no extension) is written as it stands; GB 18030's four bytes
      // become the target's replacement.
      {GbToBig5, gbRows + gbSingles + "\xB0\nx\xA1\x41z\xFE\xFF" + "\x81\x30\x81\x30" + "a\xB0",
       Cells(0, 93, 94, 1410, 8835) + gbSingles + "\xB0\nx\xA1\x41z\xFE\xFF" + "\xA1\x48" + "a\xB0"},
      {GbToSjis, gbRows + gbSingles + "\xFE\xFF\xB0\xB0\xB0",
       Cells(0, 93, 94, 1410, 8835) + gbSingles + "\xFE\xFF" + Cells(1425) + "\xB0"},
      {Big5ToGb, "\xA1@\xA1~\xA1\xA1\xA4@\xFE\xFE\xA4\x80" + gbSingles + "\xA1 \xFE\xFF" + "a\xA4",
       Cells(0, 62, 63, 471, 14757) + "\xA4\x80" + gbSingles + "\xA1 \xFE\xFF" + "a\xA4"},
      {SjisToGb,
       "\x81@\x81\x7F\x9F\xFC\xE0@\xEB\xFC\xEC@a\xFC\xFC" + sjisSingles + std::string("\x81\0\xEB\xFF", 4) + "a\x81",
       Cells(0) + "\x81\x7F" + Cells(5858, 5859, 8126) + "\xEC@a\xFC\xFC" + sjisSingles +
           std::string("\x81\0\xEB\xFF", 4) + "a\x81"},
      // A table short or empty serves what it holds; a cell is written as
      // it stands, even when zero.
      {GbToBig5, "\xA2\xA6\xA2\xA7\xB0\xA1", Cells(99) + "\xA2\xA7\xB0\xA1", &shortTable},
      {GbToBig5, text, text, &noTable},
      {SjisToGb, text, text, &noTable},
      {GbToBig5, "a\xA1\xA1\x62\xA1\xA2", std::string("a\0\0b\x55\x55", 6), &zeroFirst},
      {GbToBig5, "\xB0\xA1\x81\x40\x81\x41\xA1\xA1", "XYPQ\xA1\x48" + Cells(0), &withReplacement, &extension},
      // To HZ: a tilde is doubled; GB characters share one escape pair until
      // a single byte; what GB 2312 lacks (GBK's characters, GB 18030's four
      // bytes, a lead without its trail) becomes the replacement "#?".
      {GbToHz, "~a~~\xB0\xA1\xC4\xE3x\xB0\xFE.\xB0\xA1\xB0\xA1~\r\n\xB0\n\xB0\xA1\xB0",
       "~~a~~~~~{0!Dc~}x~{0~~}.~{0!0!~}~~\r\n~{#?~}\n~{0!#?"},
      {GbToHz, "a\x81\x40\x81\x30\x81\x30\xB0\xA1", "a~{#?#?0!"},
      // From HZ, as the viewer reads it: pairs in GB mode with bit 7 set,
      // line ends kept and pairs afresh after them, "~~" a tilde, a tilde
      // that escapes nothing kept, a first byte alone before an escape or
      // the end 0xFF.
      {HzToGb, "~{0!Dc~}x~{0~~}.~{0!\r\n~}a~~b~xc~\r\n~~{d~{0!~~~}~{~x0!!~}",
       "\xB0\xA1\xC4\xE3x\xB0\xFE.\xB0\xA1\r\n" + std::string("a~b~xc\r\n~{d\xB0\xA1~\xFE\xF8\xB0\xA1\xFF")},
      {HzToGb, "ab~", "ab~"},
      {HzToGb, "~{0!0", "\xB0\xA1\xFF"},
  };
  for (const auto& c : cases) {
    Bytes table = c.table ? *c.table : MarkedTable(CellsFor(c.direction));
    EXPECT_EQ(Convert(c.direction, ToBytes(c.source), table, c.extension), ToBytes(c.expected)) << "row " << &c - cases;
  }
}

// A report's records as "offset:bytes", bytes in hex, "!" before a byte
// that is no character.
std::string Records(const ConvertReport& report) {
  std::string text;
  for (int k = 0; k < report.recorded; ++k) {
    const LossRecord& r = report.first[k];
    if (k > 0) text += ' ';
    text += std::to_string(r.offset);
    text += r.illFormed ? ":!" : ":";
    for (int b = 0; b < r.length; ++b) {
      char hex[3];
      std::snprintf(hex, sizeof hex, "%02X", r.bytes[b]);
      text += hex;
    }
  }
  return text;
}

TEST(Converters, CountWhatTheTargetLacksAndTheBytesThatAreNoCharacterWhereTheyStand) {
  // GB 0xB0A1 and 0xB0A2 have Big5's replacement for a cell, and so has the
  // source's own full-width question mark 0xA3BF: it stays what it was.
  Bytes gbTable = MarkedTable(GbTableCells);
  for (size_t cell : {1410u, 1411u, 94u * 2 + 30}) gbTable[2 * cell] = 0xA1, gbTable[2 * cell + 1] = 0x48;
  Bytes big5Table = MarkedTable(Big5TableCells);
  big5Table[0] = 0xA3, big5Table[1] = 0xBF;  // Big5 0xA140 has no GB form
  const struct {
    Direction direction;
    std::string source;
    uint64_t lost, illFormed;
    std::string records;
  } cases[] = {
      {GbToBig5, "a\xB0\xA1\xA3\xBF\n\xB0\xA2", 2, 0, "1:B0A1 6:B0A2"},
      // A byte that is no character passes as it stands and is counted; GB
      // 18030's four bytes have no Big5 form.
      {GbToBig5, "\xFF\x80x\xB0", 0, 3, "0:!FF 1:!80 3:!B0"},
      {GbToBig5, "ab\x81\x30\x81\x30", 1, 0, "2:81308130"},
      {Big5ToGb, "\xA1\x40\xA1\x41\xA1\x40", 2, 0, "0:A140 4:A140"},
      // HZ holds GB 2312 alone.
      {GbToHz, "\xB0\xA1\x81\x40\xFFz\x81\x30\x81\x30", 2, 1, "2:8140 4:!FF 6:81308130"},
      // An odd byte in GB mode is counted where it stands in the text read.
      {HzToGb, "ab\r\n~{0!0~}c~{0", 0, 2, "6:!FF 8:!FF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    const Bytes table = c.direction == Big5ToGb ? big5Table : gbTable;
    const Bytes source = ToBytes(c.source);
    // Whole, and in pieces of every size: the same count and the same places.
    for (size_t size : {source.size(), size_t{1}, size_t{2}, size_t{3}, size_t{5}}) {
      ConvertReport report;
      ChunkSink sink;
      Bytes buffer;
      SourcePiece piece;
      piece.report = &report;
      for (size_t next = 0; !piece.last;) {
        const size_t take = std::min(size, source.size() - next);
        buffer.insert(buffer.end(), source.begin() + static_cast<std::ptrdiff_t>(next),
                      source.begin() + static_cast<std::ptrdiff_t>(next + take));
        next += take;
        piece.last = next == source.size();
        ASSERT_EQ(RunDirection(c.direction, table, buffer, sink, &piece), 0);
        buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(piece.used));
      }
      EXPECT_EQ(std::make_tuple(report.lost, report.illFormed, Records(report)),
                std::make_tuple(c.lost, c.illFormed, c.records))
          << "pieces of " << size;
    }
  }
  // Blocks of 64 that lose characters are counted as one by one: 200 of
  // them among 3000 that keep theirs, and only the first five recorded.
  std::string many;
  for (int k = 0; k < 3200; ++k) many += k % 16 == 3 ? "\xB0\xA1" : "\xB1\xA1";
  ConvertReport report;
  ChunkSink sink;
  SourcePiece piece;
  piece.last = true;
  piece.report = &report;
  ASSERT_EQ(RunDirection(GbToBig5, gbTable, ToBytes(many), sink, &piece), 0);
  EXPECT_EQ(report.lost, 200u);
  EXPECT_EQ(Records(report), "6:B0A1 38:B0A1 70:B0A1 102:B0A1 134:B0A1");
}

TEST(LossReport, PlacesEachLossByLineAndColumnInAnyPiecesAndSaysSo) {
  struct Case {
    int code;
    std::string text;
    std::vector<uint64_t> offsets;
    std::string places;  // line:column of each
  };
  const Case cases[] = {
      {CodeGb, "ab\n\xB0\xA1\xFFx\r\n\n\xB0\xA1", {1, 5, 11}, "1:2 2:2 4:1"},
      {CodeBig5, "\xA4@\xA4@z\n", {4, 5}, "1:3 1:4"},
      {CodeShiftJis, "\xB1\x82\xA0\n\x81", {3, 4}, "1:3 2:1"},
      // A byte-order mark opening a text takes no column.
      {CodeUtf8, "\xEF\xBB\xBF\xE4\xBD\xA0\xFF\n\xC3\xA9", {3, 6, 8}, "1:1 1:2 2:1"},
      {CodeUtf16Le,
       std::string("\xFF\xFE"
                   "a\0\n\0\x00\xD8z\0",
                   10),
       {2, 6, 8},
       "1:1 2:1 2:2"},
      {CodeUtf16Be, std::string("\0\n\0a", 4), {2}, "2:1"},
  };
  for (const Case& c : cases) {
    const Bytes text = ToBytes(c.text);
    for (size_t size : {text.size(), size_t{1}, size_t{4}, size_t{5}}) {
      ConvertReport report;
      for (uint64_t offset : c.offsets) RecordLoss(&report, offset, text.data() + offset, 1, false);
      LossLocator locator;
      Bytes buffer;
      bool done = false;
      for (size_t next = 0; !done;) {
        const size_t take = std::min(size, text.size() - next);
        buffer.insert(buffer.end(), text.begin() + static_cast<std::ptrdiff_t>(next),
                      text.begin() + static_cast<std::ptrdiff_t>(next + take));
        next += take;
        const size_t used =
            LocateLosses(report, locator, c.code, buffer.data(), buffer.size(), next == text.size(), &done);
        buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(used));
        ASSERT_TRUE(done || next < text.size());
      }
      std::string places;
      for (int k = 0; k < report.recorded; ++k) {
        if (k > 0) places += ' ';
        places += std::to_string(report.first[k].line);
        places += ':';
        places += std::to_string(report.first[k].column);
      }
      EXPECT_EQ(places, c.places) << CodeName(c.code) << " in pieces of " << size;
    }
  }
  // The words of the report: counts, then each place and its bytes, then
  // what was not listed.
  ConvertReport report;
  const uint8_t you[3] = {0xE4, 0xBD, 0xA0}, bad[1] = {0xFF};
  for (int k = 0; k < 6; ++k) RecordLoss(&report, 10u * k, k == 2 ? bad : you, k == 2 ? 1 : 3, k == 2);
  for (int k = 0; k < ReportedLosses; ++k) report.first[k].line = 3 + k, report.first[k].column = 7;
  EXPECT_EQ(DescribeLosses(report, CodeUtf8, CodeShiftJis),
            "5 characters had no form in Shift JIS and became its replacement. 1 byte of the source was no "
            "character.\n"
            "  line 3, column 7: E4 BD A0 (no form in Shift JIS)\n"
            "  line 4, column 7: E4 BD A0 (no form in Shift JIS)\n"
            "  line 5, column 7: FF (no character of UTF-8)\n"
            "  line 6, column 7: E4 BD A0 (no form in Shift JIS)\n"
            "  line 7, column 7: E4 BD A0 (no form in Shift JIS)\n"
            "  and 1 more\n");
  ConvertReport one;
  RecordLoss(&one, 0, you, 3, false);
  EXPECT_EQ(CountLosses(one, CodeHz), "1 character had no form in HZ and became its replacement.");
  EXPECT_EQ(DescribeLosses(ConvertReport{}, CodeGb, CodeUtf8), "");
  // The pairs of codes each mode of the Convert dialog converts.
  const std::tuple<int, int, int, int> modes[] = {
      {ConvertModeBig5, 0, CodeGb, CodeBig5},       {ConvertModeSjis, 1, CodeShiftJis, CodeGb},
      {ConvertModeHz, 0, CodeGb, CodeHz},           {ConvertModeGbUtf8, 0, CodeGb, CodeUtf8},
      {ConvertModeBig5Utf8, 1, CodeUtf8, CodeBig5}, {ConvertModeSjisUtf8, 0, CodeShiftJis, CodeUtf8},
      {ConvertModeHzUtf8, 1, CodeUtf8, CodeHz}};
  for (const auto& [mode, toGb, from, to] : modes)
    EXPECT_EQ(std::make_pair(CodesOfMode(mode, toGb).from, CodesOfMode(mode, toGb).to), std::make_pair(from, to))
        << mode;
}

TEST(Converters, MatchTheRulesOnRandomTextOfEveryLength) {
  // Lengths around the 64-byte blocks and many chunks; lead bytes dense and
  // sparse; runs of lead bytes of every parity, GB 18030's digits; full and
  // short tables, with an extension and without.
  std::mt19937 random(20240601);
  for (Direction direction : {GbToBig5, Big5ToGb, GbToSjis, SjisToGb}) {
    Bytes extension(2 * 24066);
    for (uint8_t& b : extension) b = static_cast<uint8_t>(random() % 8 == 0 ? 0 : random());
    for (int round = 0; round < 160; ++round) {
      size_t length = round < 130 ? static_cast<size_t>(round) : 2000 + random() % 150000;
      auto leadShare = random() % 100;
      Bytes source(length);
      for (uint8_t& b : source) {
        b = static_cast<uint8_t>(random() % 100 < leadShare ? 0x81 + random() % 0x7C : random());
        if (random() % 50 == 0) b = static_cast<uint8_t>(0x30 + random() % 10);
      }
      Bytes table = MarkedTable(round % 7 == 3 ? random() % CellsFor(direction) : CellsFor(direction));
      const Bytes* withExtension = round % 2 == 0 ? &extension : nullptr;
      ChunkSink sink;
      ASSERT_EQ(RunDirection(direction, table, source, sink, nullptr, withExtension), 0);
      ASSERT_EQ(sink.chunks, ReferenceChunks(direction, table, source, withExtension))
          << "direction " << direction << ", length " << length << ", round " << round;
    }
  }
}

TEST(Converters, WriteChunksNearTheThresholdStopAtTheFirstRefusedAndConvertAlikeInAnyPieces) {
  // Lead and trail bytes of every code, HZ escapes and tildes, line ends:
  // chunks and pieces end inside characters and escapes everywhere.
  const uint8_t deciding[] = {'a', '\n', '~', '{', '}', '!', 0x40, 0x7E, 0x81, 0xA1, 0xA4, 0xB0, 0xE0, 0xFE};
  std::mt19937 random(3);
  for (Direction direction : AllDirections) {
    SCOPED_TRACE(direction);
    Bytes table = MarkedTable(CellsFor(direction));
    for (int round = 0; round < 40; ++round) {
      Bytes source(round < 35 ? 200 + 7 * static_cast<size_t>(round) : 20000);
      for (uint8_t& b : source) b = deciding[random() % sizeof deciding];
      ChunkSink whole, failing(3);
      ASSERT_EQ(RunDirection(direction, table, source, whole), 0);
      for (size_t c = 0; c < whole.chunks.size(); ++c) {
        EXPECT_GE(whole.chunks[c].size(), c + 1 < whole.chunks.size() ? ConvertChunkThreshold : 1);
        EXPECT_LE(whole.chunks[c].size(), ConvertChunkThreshold + 3);
      }
      // A refused chunk ends the conversion.
      EXPECT_EQ(RunDirection(direction, table, source, failing), whole.chunks.size() > 3 ? 1 : 0);
      EXPECT_EQ(failing.refused, whole.chunks.size() > 3 ? 1 : 0);
      const auto kept = std::min<std::ptrdiff_t>(3, std::ssize(whole.chunks));
      EXPECT_EQ(failing.chunks, std::vector<Bytes>(whole.chunks.begin(), whole.chunks.begin() + kept));
      for (size_t size : {1, 2, 3, 5, 63, 64, 65, 130, 1000})
        ASSERT_EQ(ConvertInPieces(direction, table, source, size), whole.all) << "pieces of " << size;
    }
    // A refused last (short) chunk is a failure too; an empty source writes nothing.
    ChunkSink last(0), empty;
    EXPECT_EQ(RunDirection(direction, table, ToBytes("ab"), last), 1);
    EXPECT_EQ(RunDirection(direction, table, Bytes{}, empty), 0);
    EXPECT_TRUE(empty.chunks.empty());
  }
}

TEST(ConvertFile, EachConversionReadsItsTableAndShowsItsOutcome) {
  // A program folder holding the four tables; every cell of table k is the
  // pair 0xF0 + k, 0xE0 + k, so the output tells which table was read.
  ScratchFolder folder;
  SetModulePath(folder.File("zk.exe").c_str());
  SetHeadlessQuestionHandler([](const char*) { return answerYes; });
  const size_t sizes[4] = {17672, 29516, 17672, 16254};
  for (int k = 0; k < 4; ++k) {
    Bytes table(sizes[k]), extension(2 * 24066);
    for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint8_t>((i % 2 ? 0xE0 : 0xF0) + k);
    for (size_t i = 0; i < extension.size(); ++i) extension[i] = static_cast<uint8_t>((i % 2 ? 0xC0 : 0xD0) + k);
    WriteFile(folder.File(TableNames[k]), table);
    WriteFile(folder.File(ExtensionNames[k]), extension);
  }
  auto convert = [](int mode, const std::string& source, const std::string& target, int toGb, bool yes = false,
                    const std::string& failing = "", int passing = 0) {
    answerYes = yes;
    ClearHeadlessPrompts();
    ConvertMode = mode;
    FailSystemCall(failing, passing);
    bool done = ConvertFile(nullptr, source.c_str(), target.c_str(), toGb);
    FailSystemCall("");
    return done;
  };
  std::string missing = folder.File("missing"), uncreatable = folder.File("no-such-folder/t");
  // A path of 259 characters, the longest a name may have in the viewer.
  std::string deep = folder.File(std::string(259 - folder.path.string().size() - 102, 'd'));
  fs::create_directories(deep + "/sub");
  std::string longest = deep + "/" + std::string(100, 't'), same = deep + "/sub/../same", gb;
  for (int k = 0; k < 30000; ++k) gb += "\xB0\xA1x";
  const std::pair<std::string, std::string> files[] = {{"gb", "a\xB0\xA1"},
                                                       {"gbk", "a\x81\x40"},
                                                       {"big5", "a\xA4@"},
                                                       {"sjis", "a\x81@"},
                                                       {"hz", "a~~~{0!~}\r\n"},
                                                       {"empty", ""},
                                                       {"gb-hz", "a~\xB0\xA1\r\n"},
                                                       {"old1", "old text"},
                                                       {"old2", "old text"},
                                                       {longest, "old"},
                                                       {same, gb}};
  WriteFile(folder.File("big"), Bytes(3000000, 'a'));
  // Large enough to convert on two threads, each piece through the table.
  std::string largeGb, largeBig5;
  for (int k = 0; k < 200000; ++k) largeGb += "\xB0\xA1x\n", largeBig5 += "\xF0\xE0x\n";
  WriteFile(folder.File("large"), ToBytes(largeGb));
  for (const auto& [name, text] : files) WriteFile(folder.File(name), ToBytes(text));
  struct Case {
    int mode, toGb;
    std::string source, target;
    Lines shown;
    std::optional<std::string> written = {};  // what the target holds; none: it does not exist
    bool yes = false;                         // the answer to the question
    std::string failing = "";                 // a call of the system that fails (FailSystemCall)
    int passing = 0;                          // after so many calls of it
  };
  const std::string openTable = "Cann't open the convert table file: ",
                    readTable = "Cann't read the convert table file: ",
                    openSource = "Cann't open the convert source file: ",
                    readSource = "Cann't read the convert source file: ", full = FullDevice(),
                    create = "Cann't create the convert target file: ",
                    copy = "\nCopy the file to ZK directory please.",
                    sameError = Error(11, "The target file name is same as source file name, cann't convert!");
  std::vector<Case> withTables = {
      {ConvertModeBig5, 0, "gb", "t1", {Done}, "a\xF0\xE0"},
      // A character outside the table takes the extension's cell.
      {ConvertModeBig5, 0, "gbk", "t6", {Done}, "a\xD0\xC0"},
      {ConvertModeBig5, 1, "big5", "t2", {Done}, "a\xF1\xE1"},
      {ConvertModeSjis, 0, "gb", "t3", {Done}, "a\xF2\xE2"},
      {ConvertModeSjis, 1, "sjis", "t4", {Done}, "a\xF3\xE3"},
      {ConvertModeSjis, 1, "empty", "t5", {Done}, ""},  // an empty source is a text too
      // An existing target is replaced, whole, only on yes.
      {ConvertModeBig5, 0, "gb", "old1", {Question(folder.File("old1"))}, "old text"},
      {ConvertModeBig5, 0, "gb", "old1", {Question(folder.File("old1")), Done}, "a\xF0\xE0", true},
      {ConvertModeBig5, 0, "empty", "old2", {Question(folder.File("old2")), Done}, "", true},
      {ConvertModeBig5, 0, "large", "t11", {Done}, largeBig5},
  };
  // Then GBBIG5.TBL missing, GBSJIS.TBL a byte too long, SJISGB.TBL a byte
  // too short (either would convert wrongly): HZ needs no table, and the
  // table is read before the source is touched.
  std::vector<Case> withoutTables = {
      {ConvertModeHz, 0, "gb-hz", "t7", {Done}, "a~~~{0!~}\r\n"},
      {ConvertModeHz, 1, "hz", "t8", {Done}, "a~\xB0\xA1\r\n"},
      {ConvertModeHz, 0, "empty", "t9", {Done}, ""},
      {ConvertModeHz, 0, "gb", longest, {Question(longest)}, "old"},
      // One file under two names is refused and left as it was.
      {ConvertModeHz, 0, same, deep + "/same", {sameError}, gb, true},
      {ConvertModeBig5, 0, missing, "t", {Error(13, openTable + folder.File("GBBIG5.TBL") + copy)}},
      {ConvertModeSjis, 0, missing, "t", {Error(14, readTable + folder.File("GBSJIS.TBL"))}},
      {ConvertModeSjis, 1, missing, "t", {Error(14, readTable + folder.File("SJISGB.TBL"))}},
      {ConvertModeHz, 0, missing, "t", {Error(15, openSource + missing)}},
      {ConvertModeHz, 1, deep, "t", {Error(15, openSource + deep)}},
      {ConvertModeHz, 0, "gb", uncreatable, {Error(17, create + uncreatable)}},
  };
  // A device is written to, never replaced. A full disk fails while
  // converting a text larger than the file's buffer, and when the file is
  // flushed after a small one.
  const std::string fullError = Error(18, "Cann't write the convert target file: " + full);
  if (!full.empty()) {
    withoutTables.push_back({ConvertModeHz, 0, "big", full, {Question(full), fullError}, std::nullopt, true});
    withoutTables.push_back({ConvertModeHz, 0, "gb", full, {Question(full), fullError}, std::nullopt, true});
  }
#ifndef _WIN32
  withoutTables.push_back({ConvertModeHz, 0, "gb", "/dev/null", {Question("/dev/null"), Done}, "", true});
  // Without a second thread the blocks are written in turn, the failure too.
  withoutTables.push_back({ConvertModeHz, 0, "big", "t10", {Done}, std::string(3000000, 'a'), false, "thread"});
  withoutTables.push_back({ConvertModeHz, 0, "big", full, {Question(full), fullError}, std::nullopt, true, "thread"});
  // A large text on one thread where no second starts; its write onto a full disk on two, and a
  // read that fails half way (after the table's read and its extension's two).
  withTables.push_back({ConvertModeBig5, 0, "large", "t12", {Done}, largeBig5, false, "thread"});
  withTables.push_back({ConvertModeBig5, 0, "large", full, {Question(full), fullError}, std::nullopt, true});
  withTables.push_back(
      {ConvertModeBig5, 0, "large", "t13", {Error(16, readSource + folder.File("large"))}, {}, false, "fread", 4});
  // A table that reads short; a source that cannot be measured, before any question; a new file
  // that cannot be opened.
  withTables.push_back(
      {ConvertModeBig5, 0, "gb", "t", {Error(14, readTable + folder.File("GBBIG5.TBL"))}, {}, 0, "fread"});
  withoutTables.push_back(
      {ConvertModeHz, 0, "gb", longest, {Error(16, readSource + folder.File("gb"))}, "old", 0, "fseeko"});
  withoutTables.push_back({ConvertModeHz, 0, "gb", "t", {Error(17, create + folder.File("t"))}, {}, 0, "fdopen"});
  // A kernel file measures 0 bytes and then reads a few hundred: a source
  // that grew while it was read.
  const std::string proc = "/proc/self/status", t7 = folder.File("t7");
  withoutTables.push_back(
      {ConvertModeHz, 0, proc, t7, {Question(t7), Error(16, readSource + proc)}, "a~~~{0!~}\r\n", true});
  // A file that measures more than a read gives: a source that shrank.
  if (const std::string shortFile = ShortReadingFile(); !shortFile.empty())
    withoutTables.push_back({ConvertModeHz, 0, shortFile, "t", {Error(16, readSource + shortFile)}});
#endif
  auto check = [&](const Case& c) {
    SCOPED_TRACE(c.target);
    std::string source = folder.File(c.source), target = folder.File(c.target);
    EXPECT_EQ(convert(c.mode, source, target, c.toGb, c.yes, c.failing, c.passing), c.shown.back() == Done);
    EXPECT_EQ(Shown(), c.shown);
    // No new file is left behind.
    for (const auto& entry : fs::recursive_directory_iterator(folder.path))
      EXPECT_EQ(entry.path().filename().string().find(".zk-"), std::string::npos);
    if (target == full) return;
    EXPECT_EQ(fs::exists(target), c.written.has_value());
    if (!c.written) return;
    EXPECT_EQ(ReadFile(target), ToBytes(*c.written));
    if (c.shown != Lines{Done}) return;
    // Every allocation that fails stops it with message 5, writing nothing.
    int needed =
        FailEachAllocation([&] { fs::remove(target); }, [&] { return convert(c.mode, source, target, c.toGb); },
                           [&](int) {
                             EXPECT_EQ(Shown(), Lines{Error(5, "Can not alloc memory!")});
                             EXPECT_FALSE(fs::exists(target));
                           });
    EXPECT_GE(needed, c.mode == ConvertModeHz ? 1 : 2);  // the table and the source are each read whole
    EXPECT_EQ(ReadFile(target), ToBytes(*c.written));
  };
  for (const Case& c : withTables) check(c);
  // Without its extension a table conversion cannot be trusted either.
  fs::remove(folder.File("BIG5GBX.TBL"));
  check({ConvertModeBig5, 1, "big5", "t", {Error(13, openTable + folder.File("BIG5GBX.TBL") + copy)}});
  for (const char* name : TableNames) fs::remove(folder.File(name));
  WriteFile(folder.File("GBSJIS.TBL"), Bytes(17673, 0xA1));
  WriteFile(folder.File("SJISGB.TBL"), Bytes(16253, 0xA1));
  for (const Case& c : withoutTables) check(c);

  // A name that cannot fit the question gives way; the question keeps its ending.
  const std::string ending = " is existed, Overwrite it ?";
  char text[OverwritePromptCapacity];
  FormatOverwritePrompt(text, sizeof text, std::string(5000, 'h').c_str());
  EXPECT_EQ(std::string(text), std::string("File ").append(sizeof text - 1 - 5 - ending.size(), 'h') + ending);
}

TEST(SameFile, AFileNamedInAnyScriptOpensAndEveryNameOfItIsKnownAsIt) {
  ScratchFolder folder;
  fs::create_directory(folder.path / "sub");
  for (const char* name : {"中文文件.txt", "日本語の名前.jp", "한국어.gb", "Ελληνικά.gb", "文字.gb"}) {
    std::string path = folder.File(std::string("sub/") + name);
    WriteFile(path, ToBytes("ab\r\ncd"));
    EXPECT_TRUE(PathExists(path.c_str()) && LoadAndIndexDocument(nullptr, path.c_str())) << name;
    EXPECT_EQ(Document.lineCount, 2) << name;
  }
  std::string file = folder.File("sub/文字.gb");
  WriteFile(folder.File("copy.gb"), ToBytes("text"));
  fs::create_hard_link(PathFromUtf8(file), PathFromUtf8(folder.File("hard.gb")));
  std::vector<std::pair<std::string, bool>> names = {
      {folder.File("sub/../sub/文字.gb"), true}, {folder.File("hard.gb"), true},
      {folder.File("sub/./文字.gb"), true},      {folder.File("copy.gb"), false},
      {folder.File("missing.gb"), false},
  };
#ifndef _WIN32
  fs::create_symlink(PathFromUtf8(file), PathFromUtf8(folder.File("link.gb")));
  names.push_back({folder.File("link.gb"), true});
  names.push_back({"./" + Utf8FromPath(fs::relative(PathFromUtf8(file))), true});
#endif
  for (const auto& [name, same] : names) EXPECT_EQ(IsSameFile(file.c_str(), name.c_str()), same) << name;
  EXPECT_FALSE(IsSameFile(folder.File("missing.gb").c_str(), folder.File("missing.gb").c_str()));
}

TEST(SafeReplacement, TheTargetChangesOnlyWhenEveryByteWrittenIsInTheNewFile) {
  ScratchFolder folder;
  std::string target = folder.File("目标.txt");
  ReplacementRecord record;
  auto files = [&] { return std::distance(fs::directory_iterator(folder.path), {}); };
  // How the new file is written, and whether it then takes the target's place.
  enum Writing { Finished, Abandoned, WrittenBehindTheCount };
  for (Writing writing : {Abandoned, Finished, WrittenBehindTheCount}) {
    WriteFile(target, ToBytes("old"));
    ASSERT_TRUE(StartReplacement(target.c_str(), &record));
    if (writing == WrittenBehindTheCount)
      std::fputs("new", record.file.get());  // bytes that are in the file but were never counted as written
    else
      EXPECT_TRUE(WriteReplacement(&record, "new", 3));
    EXPECT_EQ(ReadFile(target), ToBytes("old"));  // untouched while being written
    if (writing == Abandoned)
      AbandonReplacement(&record);
    else
      EXPECT_EQ(FinishReplacement(&record), writing == Finished);
    EXPECT_EQ(ReadFile(target), ToBytes(writing == Finished ? "new" : "old")) << writing;
    EXPECT_EQ(files(), 1) << writing;  // and no other file
  }
  // A device is written in place; on a full one the write fails at the flush, or at once when it is
  // larger than the file's buffer.
  if (const std::string full = FullDevice(); !full.empty()) {
    for (size_t size : {3, 100000}) {
      ASSERT_TRUE(StartReplacement(full.c_str(), &record));
      EXPECT_TRUE(record.temporary.empty());
      const Bytes bytes(size, 'x');
      bool written = WriteReplacement(&record, bytes.data(), size);
      EXPECT_FALSE(written && FinishReplacement(&record)) << size;
      AbandonReplacement(&record);
    }
  }
  // A folder put in the target's place meanwhile stays, and the new file goes.
  ASSERT_TRUE(StartReplacement(target.c_str(), &record));
  fs::remove(PathFromUtf8(target));
  fs::create_directories(PathFromUtf8(target + "/inner"));
  EXPECT_FALSE(FinishReplacement(&record));
  EXPECT_EQ(files(), 1);
  // Neither a folder nor a file in a missing one can be made.
  EXPECT_FALSE(StartReplacement(folder.path.string().c_str(), &record));
  EXPECT_FALSE(StartReplacement(folder.File("no/folder.txt").c_str(), &record));
#ifndef _WIN32
  // A link stays a link, and the file it reaches keeps its mode.
  std::string real = folder.File("real.txt"), link = folder.File("link.txt");
  WriteFile(real, ToBytes("old"));
  chmod(real.c_str(), 0640);
  fs::create_symlink(real, link);
  ASSERT_TRUE(StartReplacement(link.c_str(), &record));
  EXPECT_TRUE(WriteReplacement(&record, "new", 3));
  ASSERT_TRUE(FinishReplacement(&record));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFile(real), ToBytes("new"));
  struct stat info;
  ASSERT_EQ(stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
#endif
}
