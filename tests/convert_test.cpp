// The converters, whole conversions of files, and the character table files.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <random>

#include "convert/character_tables.h"
#include "convert/convert_file.h"
#include "shell/prompts_headless.h"
#include "tests/test_support.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

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
                 direction == Big5ToGb || direction == SjisToGb, nullptr);
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

using Lines = std::vector<std::string>;

bool answerYes = false;

const char* const TableNames[4] = {"GBBIG5.TBL", "BIG5GB.TBL", "GBSJIS.TBL", "SJISGB.TBL"};

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

// A program folder holding the four tables; every cell of table k is the
// pair 0xF0 + k, 0xE0 + k, so the output tells which table was read.
struct ConvertFileTest : ::testing::Test {
  ScratchFolder folder;
  void SetUp() override {
    SetModulePath(folder.File("zk.exe").c_str());
    SetHeadlessQuestionHandler([](const char*) { return answerYes; });
    const size_t sizes[4] = {17672, 29516, 17672, 16254};
    for (int k = 0; k < 4; ++k) {
      Bytes table(sizes[k]);
      for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint8_t>((i % 2 ? 0xE0 : 0xF0) + k);
      WriteFile(folder.File(TableNames[k]), table);
    }
  }

  bool Convert(int mode, const std::string& source, const std::string& target, int toGb, bool yes = false) {
    answerYes = yes;
    ClearHeadlessPrompts();
    ConvertMode = mode;
    return ConvertFile(nullptr, source.c_str(), target.c_str(), toGb);
  }
};

using Ranges = std::vector<std::pair<unsigned, unsigned>>;

// Each lead byte under a heading naming it, followed by every pair it
// starts.
Bytes ExpectedTable(const Ranges& leads, const Ranges& trails) {
  Bytes file;
  for (auto [firstLead, lastLead] : leads) {
    for (unsigned lead = firstLead; lead <= lastLead; ++lead) {
      char heading[32];
      std::snprintf(heading, sizeof heading, "\n-------  %02x --------\n", lead);
      file.insert(file.end(), heading, heading + 22);
      for (auto [firstTrail, lastTrail] : trails) {
        for (unsigned trail = firstTrail; trail <= lastTrail; ++trail)
          file.insert(file.end(), {static_cast<uint8_t>(lead), static_cast<uint8_t>(trail)});
      }
    }
  }
  return file;
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

TEST_F(ConvertFileTest, EachConversionReadsItsTableAndShowsItsOutcome) {
  std::string table = folder.File("GBBIG5.TBL"), emptyTable = folder.File("GBSJIS.TBL");
  std::string missing = folder.File("missing"), uncreatable = folder.File("no-such-folder/t");
  // A path of 259 characters, the longest a name may have in the viewer.
  std::string deep = folder.File(std::string(259 - folder.path.string().size() - 102, 'd'));
  std::filesystem::create_directories(deep + "/sub");
  std::string longest = deep + "/" + std::string(100, 't'), same = deep + "/sub/../same";
  std::string gb, hz;
  for (int k = 0; k < 30000; ++k) {
    gb += "\xB0\xA1x";
    hz += "~{0!~}x";
  }
  const std::pair<std::string, std::string> files[] = {{"gb", "a\xB0\xA1"},
                                                       {"big5", "a\xA4@"},
                                                       {"sjis", "a\x81@"},
                                                       {"hz", "a~~~{0!~}\r\n"},
                                                       {"gb-hz", "a~\xB0\xA1\r\n"},
                                                       {"empty", ""},
                                                       {"old1", "old text"},
                                                       {"old2", "old text"},
                                                       {longest, "old"},
                                                       {same, gb},
                                                       {"big", std::string(3000000, 'a')}};
  for (const auto& [name, text] : files) WriteFile(folder.File(name), ToBytes(text));
  std::string shortFile;  // a file that measures more than a read gives
#ifndef _WIN32
  shortFile = ShortReadingFile();
#endif
  struct Case {
    int mode;
    int toGb;
    std::string source;
    std::string target;
    Lines shown;
    std::optional<std::string> written = {};  // what the target holds; none: it does not exist
    bool yes = false;                         // the answer to the question
  };
  const std::string copy = "\nCopy the file to ZK directory please.", shortTable = folder.File("BIG5GB.TBL");
  const std::string full = "/dev/full", fullError = Error(18, "Cann't write the convert target file: /dev/full");
  const Case withTables[] = {
      {ConvertModeBig5, 0, "gb", "t1", {Done}, "a\xF0\xE0"},
      {ConvertModeBig5, 1, "big5", "t2", {Done}, "a\xF1\xE1"},
      {ConvertModeSjis, 0, "gb", "t3", {Done}, "a\xF2\xE2"},
      {ConvertModeSjis, 1, "sjis", "t4", {Done}, "a\xF3\xE3"},
      {ConvertModeBig5, 0, "empty", "t5", {Done}, ""},  // an empty source is a text too
      {ConvertModeSjis, 1, "empty", "t6", {Done}, ""},
      // An existing target is replaced, whole, only on yes.
      {ConvertModeBig5, 0, "gb", "old1", {Question(folder.File("old1"))}, "old text"},
      {ConvertModeBig5, 0, "gb", "old1", {Question(folder.File("old1")), Done}, "a\xF0\xE0", true},
      {ConvertModeBig5, 0, "empty", "old2", {Question(folder.File("old2"))}, "old text"},
      {ConvertModeBig5, 0, "empty", "old2", {Question(folder.File("old2")), Done}, "", true},
  };
  // Then GBBIG5.TBL missing and GBSJIS.TBL empty: HZ needs no table, the
  // table is read before the source is touched, and an empty one could
  // serve no character.
  std::vector<Case> withoutTables = {
      {ConvertModeHz, 0, "gb-hz", "t7", {Done}, "a~~~{0!~}\r\n"},
      {ConvertModeHz, 1, "hz", "t8", {Done}, "a~\xB0\xA1\r\n"},
      {ConvertModeHz, 0, "empty", "t9", {Done}, ""},
      {ConvertModeHz, 0, "gb", longest, {Question(longest)}, "old"},
      // One file under two names is refused and left as it was.
      {ConvertModeHz,
       0,
       same,
       deep + "/same",
       {Error(11, "The target file name is same as source file name, cann't convert!")},
       gb,
       true},
      {ConvertModeBig5, 0, missing, "t", {Error(13, "Cann't open the convert table file: " + table + copy)}},
      {ConvertModeSjis, 0, missing, "t", {Error(14, "Cann't read the convert table file: " + emptyTable)}},
      {ConvertModeHz, 0, missing, "t", {Error(15, "Cann't open the convert source file: " + missing)}},
      {ConvertModeHz, 1, deep, "t", {Error(15, "Cann't open the convert source file: " + deep)}},
      {ConvertModeHz, 0, "gb", uncreatable, {Error(17, "Cann't create the convert target file: " + uncreatable)}},
  };
#ifndef _WIN32
  // A full disk fails while converting a text larger than the file's
  // buffer, and when the file is closed after a small one.
  withoutTables.push_back({ConvertModeHz, 0, "big", full, {Question(full), fullError}, std::nullopt, true});
  withoutTables.push_back({ConvertModeHz, 0, "gb", full, {Question(full), fullError}, std::nullopt, true});
#endif
  if (!shortFile.empty()) {
    withoutTables.push_back(
        {ConvertModeHz, 0, shortFile, "t", {Error(16, "Cann't read the convert source file: " + shortFile)}});
    withoutTables.push_back(
        {ConvertModeBig5, 1, "gb", "t", {Error(14, "Cann't read the convert table file: " + shortTable)}});
  }
  auto check = [&](const Case& c) {
    SCOPED_TRACE(c.target);
    std::string source = folder.File(c.source), target = folder.File(c.target);
    EXPECT_EQ(Convert(c.mode, source, target, c.toGb, c.yes), c.shown.back() == Done);
    EXPECT_EQ(Shown(), c.shown);
    if (target == full) return;
    EXPECT_EQ(std::filesystem::exists(target), c.written.has_value());
    if (!c.written) return;
    EXPECT_EQ(ReadFile(target), ToBytes(*c.written));
    if (c.shown != Lines{Done}) return;
    // Every allocation that fails stops it with message 5, writing nothing.
    int needed = FailEachAllocation([&] { std::filesystem::remove(target); },
                                    [&] { return Convert(c.mode, source, target, c.toGb); },
                                    [&](int) {
                                      EXPECT_EQ(Shown(), Lines{Error(5, "Can not alloc memory!")});
                                      EXPECT_FALSE(std::filesystem::exists(target));
                                    });
    EXPECT_GE(needed, c.mode == ConvertModeHz ? 1 : 2);  // the table and the source are each read whole
    EXPECT_EQ(ReadFile(target), ToBytes(*c.written));
  };
  for (const Case& c : withTables) check(c);
  for (const char* name : TableNames) std::filesystem::remove(folder.File(name));
  WriteFile(emptyTable, Bytes{});
  if (!shortFile.empty()) std::filesystem::create_symlink(shortFile, shortTable);
  for (const Case& c : withoutTables) check(c);

  // A name that cannot fit the question gives way; the question keeps its ending.
  const std::string ending = " is existed, Overwrite it ?";
  char text[OverwritePromptCapacity];
  FormatOverwritePrompt(text, sizeof text, std::string(5000, 'h').c_str());
  EXPECT_EQ(std::string(text), std::string("File ").append(sizeof text - 1 - 5 - ending.size(), 'h') + ending);
}

#ifndef _WIN32
#endif

TEST_F(ConvertFileTest, CharacterTablesListEveryPairOfTheirCodeRowByRow) {
  const struct {
    int table;
    Ranges leads;
    Ranges trails;
  } cases[] = {
      {CharacterTableGb, {{0xA1, 0xFE}}, {{0xA1, 0xFE}}},
      {CharacterTableBig5, {{0xA1, 0xFE}}, {{0x40, 0x7E}, {0xA1, 0xFE}}},
      {CharacterTableSjis, {{0x81, 0x9F}, {0xE0, 0xFC}}, {{0x40, 0x7E}, {0x80, 0xFC}}},
  };
  for (const auto& c : cases) {
    // Beside the program, over a longer file, which it replaces.
    std::string path = folder.File(CharacterTableFileNames[c.table]);
    WriteFile(path, Bytes(50000, 'x'));
    EXPECT_TRUE(MakeCharacterTableFile(nullptr, c.table));
    Bytes file = ReadFile(path);
    EXPECT_EQ(file, ExpectedTable(c.leads, c.trails));
    EXPECT_EQ(CharacterTableFileSize(c.table), file.size());
  }
  // Failures are told apart.
  EXPECT_EQ(WriteCharacterTableFile(folder.File("missing/GBTBL.GB").c_str(), CharacterTableGb),
            CharacterTableNotCreated);
  SetModulePath(folder.File("missing/ZK.EXE").c_str());
  EXPECT_FALSE(MakeCharacterTableFile(nullptr, CharacterTableSjis));
#ifndef _WIN32
  EXPECT_EQ(WriteCharacterTableFile("/dev/full", CharacterTableBig5), CharacterTableNotWritten);
#endif
}
