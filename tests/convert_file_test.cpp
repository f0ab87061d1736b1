#include <gtest/gtest.h>

#include <optional>

#include "convert/convert_file.h"
#include "shell/prompts_headless.h"
#include "tests/test_support.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {
using Lines = std::vector<std::string>;

bool answerYes = false;
bool Answer(const char*) { return answerYes; }

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
    SetHeadlessQuestionHandler(Answer);
    answerYes = false;
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
}  // namespace

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
      // One file under two names: the source is read whole before the target is written.
      {ConvertModeHz, 0, same, deep + "/same", {Question(deep + "/same"), Done}, hz, true},
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
}

TEST(OverwritePrompt, CutsOnlyANameThatCannotFitAndKeepsTheQuestionsEnding) {
  const std::string ending = " is existed, Overwrite it ?";
  char text[OverwritePromptCapacity];
  FormatOverwritePrompt(text, sizeof text, std::string(5000, 'h').c_str());
  EXPECT_EQ(std::string(text), std::string("File ").append(sizeof text - 1 - 5 - ending.size(), 'h') + ending);
}

#ifndef _WIN32
TEST_F(ConvertFileTest, AWriteFailureKeepsWhatWasWritten) {
  std::string source = folder.File("source"), target = folder.File("target");
  Bytes gb;
  for (int k = 0; k < 20000; ++k) gb.insert(gb.end(), {static_cast<uint8_t>('a' + k % 26), 0xB0, 0xA1});
  WriteFile(source, gb);
  // In a child whose files may not grow past 10000 bytes; it exits 0 when
  // the conversion failed with message 18 alone.
  auto convertLimited = [&] {
    struct rlimit limit = {10000, 10000};
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
    bool done = Convert(ConvertModeBig5, source, target, 0);
    _exit(!done && Shown() == Lines{Error(18, "Cann't write the convert target file: " + target)} ? 0 : 1);
  };
  EXPECT_EXIT(convertLimited(), ::testing::ExitedWithCode(0), "");
  Bytes written = ReadFile(target);
  EXPECT_GT(written.size(), 0u);
  EXPECT_LE(written.size(), 10000u);
  for (size_t k = 0; k + 2 < written.size(); k += 3)
    ASSERT_EQ(Bytes(&written[k], &written[k + 3]), (Bytes{static_cast<uint8_t>('a' + k / 3 % 26), 0xF0, 0xE0}));
}
#endif
