#include <gtest/gtest.h>

#include <cstring>

#include "convert/convert_file.h"
#include "shell/memory.h"
#include "shell/prompts_headless.h"
#include "tests/test_support.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {
bool answerYes = false;
bool Answer(const char*) { return answerYes; }

// A program folder holding the four tables; every cell of table k is the
// pair 0xF0 + k, 0xE0 + k, so the output tells which table was read.
struct ConvertFixture : ::testing::Test {
  ScratchFolder folder;
  void SetUp() override {
    ResetCoreState();
    SetModulePath(folder.File("zk.exe").c_str());
    SetHeadlessQuestionHandler(Answer);
    answerYes = false;
    const char* names[4] = {"GBBIG5.TBL", "BIG5GB.TBL", "GBSJIS.TBL", "SJISGB.TBL"};
    const size_t sizes[4] = {17672, 29516, 17672, 16254};
    for (int k = 0; k < 4; ++k) {
      Bytes table(sizes[k]);
      for (size_t i = 0; i < table.size(); i += 2) {
        table[i] = static_cast<uint8_t>(0xF0 + k);
        table[i + 1] = static_cast<uint8_t>(0xE0 + k);
      }
      WriteFile(folder.File(names[k]), table);
    }
  }
  void TearDown() override { ResetCoreState(); }

  void ExpectOnlyError(int id, const std::string& argument) {
    const std::vector<HeadlessPrompt>& shown = HeadlessPrompts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, "error");
    EXPECT_EQ(shown[0].id, id);
    EXPECT_EQ(shown[0].style, StyleStop);
    EXPECT_EQ(shown[0].caption, "Error");
    if (!argument.empty()) {
      EXPECT_NE(shown[0].text.find(argument), std::string::npos) << shown[0].text;
    }
  }

  void ExpectCompleted() {
    const std::vector<HeadlessPrompt>& shown = HeadlessPrompts();
    ASSERT_FALSE(shown.empty());
    for (size_t k = 0; k + 1 < shown.size(); ++k) EXPECT_EQ(shown[k].kind, "question");
    EXPECT_EQ(shown.back().kind, "notice");
    EXPECT_EQ(shown.back().text, "Convert complete!");
    EXPECT_EQ(shown.back().caption, "OK");
  }
};

using ConvertFileTest = ConvertFixture;
}  // namespace

TEST_F(ConvertFileTest, EachModeAndDirectionReadsItsOwnTable) {
  struct Case {
    int mode;
    int toGb;
    Bytes source;
    int table;
  } cases[] = {
      {ConvertModeBig5, 0, {'a', 0xB0, 0xA1}, 0},
      {ConvertModeBig5, 1, {'a', 0xA4, 0x40}, 1},
      {ConvertModeSjis, 0, {'a', 0xB0, 0xA1}, 2},
      {ConvertModeSjis, 1, {'a', 0x81, 0x40}, 3},
  };
  for (const Case& c : cases) {
    ClearHeadlessPrompts();
    ConvertMode = c.mode;
    std::string source = folder.File("source.txt");
    std::string target = folder.File("target-" + std::to_string(c.table) + ".txt");
    WriteFile(source, c.source);
    EXPECT_TRUE(ConvertFile(nullptr, source.c_str(), target.c_str(), c.toGb));
    EXPECT_EQ(ReadFile(target),
              (Bytes{'a', static_cast<uint8_t>(0xF0 + c.table), static_cast<uint8_t>(0xE0 + c.table)}));
    ExpectCompleted();
  }
}

TEST_F(ConvertFileTest, HzNeedsNoTableAndRoundTrips) {
  for (const char* name : {"GBBIG5.TBL", "BIG5GB.TBL", "GBSJIS.TBL", "SJISGB.TBL"})
    std::remove(folder.File(name).c_str());
  ConvertMode = ConvertModeHz;
  std::string gb = folder.File("a.gb"), hz = folder.File("a.hz"), back = folder.File("b.gb");
  WriteFile(gb, Bytes{'a', '~', 0xB0, 0xA1, '\r', '\n'});
  EXPECT_TRUE(ConvertFile(nullptr, gb.c_str(), hz.c_str(), 0));
  EXPECT_EQ(ReadFile(hz), ToBytes("a~~~{0!~}\r\n"));
  ExpectCompleted();
  ClearHeadlessPrompts();
  EXPECT_TRUE(ConvertFile(nullptr, hz.c_str(), back.c_str(), 1));
  EXPECT_EQ(ReadFile(back), ReadFile(gb));
  ExpectCompleted();
}

TEST_F(ConvertFileTest, AMissingOrEmptyTableStopsBeforeTheSourceIsTouched) {
  ConvertMode = ConvertModeBig5;
  std::string source = folder.File("source.gb"), target = folder.File("target.b5");
  WriteFile(source, ToBytes("abc"));
  std::string table = folder.File("GBBIG5.TBL");
  std::remove(table.c_str());
  EXPECT_FALSE(ConvertFile(nullptr, source.c_str(), target.c_str(), 0));
  ExpectOnlyError(13, "");
  EXPECT_EQ(HeadlessPrompts()[0].text,
            "Cann't open the convert table file: " + table + "\nCopy the file to ZK directory please.");
  EXPECT_FALSE(std::filesystem::exists(target));

  // An empty table could serve no character: it is reported as unreadable.
  ClearHeadlessPrompts();
  WriteFile(table, Bytes{});
  EXPECT_FALSE(ConvertFile(nullptr, source.c_str(), target.c_str(), 0));
  ExpectOnlyError(14, table);
  EXPECT_EQ(HeadlessPrompts()[0].text, "Cann't read the convert table file: " + table);
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(ConvertFileTest, ASourceThatCannotBeOpenedIsReported) {
  ConvertMode = ConvertModeSjis;
  std::string target = folder.File("target.jp");
  std::string missing = folder.File("missing.gb");
  EXPECT_FALSE(ConvertFile(nullptr, missing.c_str(), target.c_str(), 0));
  ExpectOnlyError(15, missing);
  EXPECT_EQ(HeadlessPrompts()[0].text, "Cann't open the convert source file: " + missing);
  EXPECT_FALSE(std::filesystem::exists(target));

  ClearHeadlessPrompts();
  std::string directory = folder.File("sub");
  std::filesystem::create_directory(directory);
  EXPECT_FALSE(ConvertFile(nullptr, directory.c_str(), target.c_str(), 0));
  ExpectOnlyError(15, directory);
}

TEST_F(ConvertFileTest, NoMemoryForTableOrSourceStopsWithMessageFive) {
  std::string source = folder.File("source.gb"), target = folder.File("target");
  WriteFile(source, ToBytes("abc"));
  struct Case {
    int mode;
    int allowed;
  } cases[] = {{ConvertModeBig5, 0}, {ConvertModeBig5, 1}, {ConvertModeHz, 0}};
  for (const Case& c : cases) {
    ClearHeadlessPrompts();
    ConvertMode = c.mode;
    FailAllocationsAfter(c.allowed);
    EXPECT_FALSE(ConvertFile(nullptr, source.c_str(), target.c_str(), 0));
    FailAllocationsAfter(-1);
    ExpectOnlyError(5, "");
    EXPECT_EQ(HeadlessPrompts()[0].text, "Can not alloc memory!");
    EXPECT_FALSE(std::filesystem::exists(target));
  }
}

TEST_F(ConvertFileTest, AnExistingTargetIsReplacedOnlyOnYes) {
  ConvertMode = ConvertModeBig5;
  std::string source = folder.File("source.gb"), target = folder.File("target.b5");
  WriteFile(source, Bytes{'x', 0xB0, 0xA1});
  Bytes before(5000);
  for (size_t k = 0; k < before.size(); ++k) before[k] = static_cast<uint8_t>(k * 7);
  WriteFile(target, before);

  answerYes = false;
  EXPECT_FALSE(ConvertFile(nullptr, source.c_str(), target.c_str(), 0));
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].kind, "question");
  EXPECT_EQ(HeadlessPrompts()[0].caption, "Message");
  EXPECT_EQ(HeadlessPrompts()[0].text, "File " + target + " is existed, Overwrite it ?");
  EXPECT_EQ(ReadFile(target), before);

  ClearHeadlessPrompts();
  answerYes = true;
  EXPECT_TRUE(ConvertFile(nullptr, source.c_str(), target.c_str(), 0));
  ExpectCompleted();
  EXPECT_EQ(HeadlessPrompts().size(), 2u);
  // The longer old content is gone, not merely overwritten at its start.
  EXPECT_EQ(ReadFile(target), (Bytes{'x', 0xF0, 0xE0}));
}

TEST_F(ConvertFileTest, ATargetThatCannotBeCreatedIsReported) {
  ConvertMode = ConvertModeHz;
  std::string source = folder.File("source.gb");
  WriteFile(source, ToBytes("abc"));
  std::string target = folder.File("no-such-folder/target.hz");
  EXPECT_FALSE(ConvertFile(nullptr, source.c_str(), target.c_str(), 0));
  ExpectOnlyError(17, target);
  EXPECT_EQ(HeadlessPrompts()[0].text, "Cann't create the convert target file: " + target);
}

TEST_F(ConvertFileTest, AnEmptySourceGivesAnEmptyTarget) {
  std::string source = folder.File("empty.gb"), target = folder.File("target.hz");
  WriteFile(source, Bytes{});
  for (int mode : {ConvertModeBig5, ConvertModeSjis, ConvertModeHz}) {
    ClearHeadlessPrompts();
    ConvertMode = mode;
    std::remove(target.c_str());
    EXPECT_TRUE(ConvertFile(nullptr, source.c_str(), target.c_str(), 0));
    ExpectCompleted();
    EXPECT_EQ(HeadlessPrompts().size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_TRUE(ReadFile(target).empty());
  }
  // Over an existing target the question comes first.
  WriteFile(target, ToBytes("old"));
  ClearHeadlessPrompts();
  answerYes = false;
  EXPECT_FALSE(ConvertFile(nullptr, source.c_str(), target.c_str(), 1));
  EXPECT_EQ(ReadFile(target), ToBytes("old"));
  answerYes = true;
  EXPECT_TRUE(ConvertFile(nullptr, source.c_str(), target.c_str(), 1));
  EXPECT_TRUE(ReadFile(target).empty());
}

TEST(OverwritePrompt, ShowsALongNameWholeAndCutsOnlyWhatCannotFit) {
  std::string name = "C:\\" + std::string(253, 'n') + ".GB";
  ASSERT_EQ(name.size(), 259u);
  char text[OverwritePromptCapacity];
  FormatOverwritePrompt(text, sizeof text, name.c_str());
  EXPECT_EQ(std::string(text), "File " + name + " is existed, Overwrite it ?");

  std::string huge(5000, 'h');
  FormatOverwritePrompt(text, sizeof text, huge.c_str());
  std::string cut = text;
  const std::string ending = " is existed, Overwrite it ?";
  EXPECT_EQ(cut.size(), sizeof text - 1);
  EXPECT_EQ(cut.substr(0, 5), "File ");
  EXPECT_EQ(cut.substr(cut.size() - ending.size()), ending);
  EXPECT_EQ(cut.find_first_not_of('h', 5), cut.size() - ending.size());

  char tiny[8];
  std::memset(tiny, 'X', sizeof tiny);
  FormatOverwritePrompt(tiny, sizeof tiny, name.c_str());
  EXPECT_EQ(std::strlen(tiny), sizeof tiny - 1);
  EXPECT_EQ(std::string(tiny).substr(0, 5), "File ");
}

TEST_F(ConvertFileTest, AQuestionAboutA259CharacterPathShowsItWhole) {
  // Folders deep enough that the target's full path is 259 characters.
  std::string path = folder.path.string();
  while (path.size() < 259 - 20) {
    size_t length = std::min<size_t>(60, 259 - 20 - path.size());
    path.push_back('/');
    path.append(length, 'd');
    std::filesystem::create_directory(path);
  }
  path.push_back('/');
  path.append(259 - path.size(), 't');
  ASSERT_EQ(path.size(), 259u);
  WriteFile(path, ToBytes("old"));
  ConvertMode = ConvertModeHz;
  std::string source = folder.File("s.gb");
  WriteFile(source, ToBytes("new"));
  EXPECT_FALSE(ConvertFile(nullptr, source.c_str(), path.c_str(), 0));
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].text, "File " + path + " is existed, Overwrite it ?");
}

#ifndef _WIN32

TEST_F(ConvertFileTest, ATableOrSourceThatReadsShortIsReported) {
  std::string shortFile = ShortReadingFile();
  if (shortFile.empty()) GTEST_SKIP() << "no file here reads shorter than its size";
  ConvertMode = ConvertModeBig5;
  std::string source = folder.File("source.gb"), target = folder.File("target.b5");
  WriteFile(source, ToBytes("abc"));
  EXPECT_FALSE(ConvertFile(nullptr, shortFile.c_str(), target.c_str(), 0));
  ExpectOnlyError(16, shortFile);
  EXPECT_EQ(HeadlessPrompts()[0].text, "Cann't read the convert source file: " + shortFile);

  ClearHeadlessPrompts();
  std::string table = folder.File("GBBIG5.TBL");
  std::remove(table.c_str());
  std::filesystem::create_symlink(shortFile, table);
  EXPECT_FALSE(ConvertFile(nullptr, source.c_str(), target.c_str(), 0));
  ExpectOnlyError(14, table);
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(ConvertFileTest, AFullDiskIsAWriteFailure) {
  ConvertMode = ConvertModeHz;
  std::string source = folder.File("source.gb");
  // More than the file's buffer holds: the failure comes while converting.
  WriteFile(source, Bytes(3000000, 'a'));
  answerYes = true;
  EXPECT_FALSE(ConvertFile(nullptr, source.c_str(), "/dev/full", 0));
  const std::vector<HeadlessPrompt>& shown = HeadlessPrompts();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].kind, "question");
  EXPECT_EQ(shown[1].id, 18);
  EXPECT_EQ(shown[1].text, "Cann't write the convert target file: /dev/full");

  // A text small enough to stay in the buffer fails when the file is closed.
  ClearHeadlessPrompts();
  WriteFile(source, ToBytes("a"));
  EXPECT_FALSE(ConvertFile(nullptr, source.c_str(), "/dev/full", 0));
  ASSERT_EQ(HeadlessPrompts().size(), 2u);
  EXPECT_EQ(HeadlessPrompts()[1].id, 18);
}

#endif
