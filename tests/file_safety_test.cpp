// Nothing a user keeps is lost: one file under two names is known as one,
// a file is replaced only once its new bytes are whole, and damaged data
// files are refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "convert/character_tables.h"
#include "convert/convert_file.h"
#include "document/document.h"
#include "document/glyph_font.h"
#include "shell/error_messages.h"
#include "shell/file_io.h"
#include "shell/font_path.h"
#include "shell/prompts_headless.h"
#include "tests/test_support.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {
// Files the folder holds whose names were not put there by the test.
std::vector<std::string> Leftovers(const ScratchFolder& folder, std::initializer_list<std::string> expected) {
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(folder.path)) {
    std::string name = Utf8FromPath(entry.path().filename());
    if (std::find(expected.begin(), expected.end(), name) == expected.end()) left.push_back(name);
  }
  return left;
}

#ifndef _WIN32
int LastShownId() { return HeadlessPrompts().empty() ? 0 : HeadlessPrompts().back().id; }

// Runs `body` in a child whose files may not grow past `bytes`; the child
// exits with what `body` returns.
void WithFilesLimitedTo(rlim_t bytes, const std::function<bool()>& body) {
  struct rlimit limit = {bytes, bytes};
  signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &limit);
  _exit(body() ? 0 : 1);
}
#endif
}  // namespace

TEST(SameFile, EveryNameOfOneFileIsKnownAsIt) {
  ScratchFolder folder;
  fs::create_directory(folder.path / "sub");
  std::string file = folder.File("sub/文字.gb");
  WriteFile(file, ToBytes("text"));
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

TEST(SafeReplacement, TheTargetChangesOnlyWhenTheNewBytesAreWhole) {
  ScratchFolder folder;
  std::string target = folder.File("目标.txt");
  WriteFile(target, ToBytes("old"));
  ReplacementRecord record;
  ASSERT_TRUE(StartReplacement(target.c_str(), &record));
  std::fputs("new bytes", record.file.get());
  EXPECT_EQ(ReadFile(target), ToBytes("old"));  // untouched while being written
  AbandonReplacement(&record);
  EXPECT_EQ(ReadFile(target), ToBytes("old"));
  EXPECT_EQ(Leftovers(folder, {"目标.txt"}), std::vector<std::string>{});

  ASSERT_TRUE(StartReplacement(target.c_str(), &record));
  std::fputs("new bytes", record.file.get());
  EXPECT_TRUE(FinishReplacement(&record));
  EXPECT_EQ(ReadFile(target), ToBytes("new bytes"));
  EXPECT_EQ(Leftovers(folder, {"目标.txt"}), std::vector<std::string>{});
  // A file that did not exist is made; a folder cannot be replaced.
  ASSERT_TRUE(StartReplacement(folder.File("new.txt").c_str(), &record));
  EXPECT_TRUE(FinishReplacement(&record));
  EXPECT_TRUE(fs::exists(folder.File("new.txt")));
  EXPECT_FALSE(StartReplacement(folder.path.string().c_str(), &record));
  EXPECT_FALSE(StartReplacement(folder.File("no/folder.txt").c_str(), &record));
}

#ifndef _WIN32
TEST(SafeReplacement, LinksDevicesAndModesAreKept) {
  ScratchFolder folder;
  std::string real = folder.File("real.txt"), link = folder.File("link.txt");
  WriteFile(real, ToBytes("old"));
  chmod(real.c_str(), 0640);
  fs::create_symlink(real, link);
  ReplacementRecord record;
  ASSERT_TRUE(StartReplacement(link.c_str(), &record));
  std::fputs("new", record.file.get());
  ASSERT_TRUE(FinishReplacement(&record));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFile(real), ToBytes("new"));
  struct stat info;
  ASSERT_EQ(stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  // A device is written to, never replaced by a file.
  ASSERT_TRUE(StartReplacement("/dev/null", &record));
  std::fputs("gone", record.file.get());
  EXPECT_TRUE(FinishReplacement(&record));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  ASSERT_TRUE(StartReplacement("/dev/full", &record));
  std::fputs("full", record.file.get());
  EXPECT_FALSE(FinishReplacement(&record));
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST(SafeReplacement, AFolderThatTakesNoNewFileIsWrittenInPlace) {
  ScratchFolder folder;
  fs::path locked = folder.path / "locked";
  fs::create_directory(locked);
  std::string writable = (locked / "open.txt").string(), sealed = (locked / "sealed.txt").string();
  WriteFile(writable, ToBytes("old"));
  WriteFile(sealed, ToBytes("old"));
  chmod(writable.c_str(), 0666);
  chmod(sealed.c_str(), 0444);
  chmod(locked.c_str(), 0555);
  chmod(folder.path.c_str(), 0755);
  // As an ordinary user: the superuser may write anywhere.
  EXPECT_EXIT(
      {
        if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0) _exit(2);
        ReplacementRecord record;
        bool inPlace = StartReplacement(writable.c_str(), &record) && record.temporary.empty();
        std::fputs("new", record.file.get());
        bool written = FinishReplacement(&record);
        bool refused = !StartReplacement(sealed.c_str(), &record) && !StartReplacement((locked / "x").c_str(), &record);
        _exit(inPlace && written && refused ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadFile(writable), ToBytes("new"));
  EXPECT_EQ(ReadFile(sealed), ToBytes("old"));
  chmod(locked.c_str(), 0755);
}

TEST(SafeReplacement, AConversionThatFailsHalfWayLeavesTheOldTarget) {
  ScratchFolder folder;
  SetModulePath(folder.File("zk").c_str());
  ConvertMode = ConvertModeHz;
  std::string source = folder.File("source.gb"), target = folder.File("target.hz");
  WriteFile(source, Bytes(3000000, 'a'));
  WriteFile(target, ToBytes("the old target"));
  SetHeadlessQuestionHandler([](const char*) { return true; });
  EXPECT_EXIT(WithFilesLimitedTo(100000,
                                 [&] {
                                   bool done = ConvertFile(nullptr, source.c_str(), target.c_str(), 0);
                                   return !done && LastShownId() == ErrorWriteConvertTarget;
                                 }),
              ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadFile(target), ToBytes("the old target"));
  EXPECT_EQ(Leftovers(folder, {"source.gb", "target.hz"}), std::vector<std::string>{});
  // A character table file likewise.
  std::string table = folder.File("GBTBL.GB");
  WriteFile(table, ToBytes("the old table"));
  EXPECT_EXIT(
      WithFilesLimitedTo(
          10000, [&] { return WriteCharacterTableFile(table.c_str(), CharacterTableGb) == CharacterTableNotWritten; }),
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadFile(table), ToBytes("the old table"));
}
#endif

TEST(SameFile, AConversionOntoItsOwnSourceIsRefused) {
  ScratchFolder folder;
  SetModulePath(folder.File("zk").c_str());
  ConvertMode = ConvertModeHz;
  fs::create_directory(folder.path / "sub");
  std::string source = folder.File("sub/a.gb");
  Bytes text = {'x', 0xB0, 0xA1};
  WriteFile(source, text);
  fs::create_hard_link(source, folder.File("hard.gb"));
  SetHeadlessQuestionHandler([](const char*) { return true; });
  for (const std::string& target : {folder.File("sub/../sub/a.gb"), folder.File("hard.gb")}) {
    ClearHeadlessPrompts();
    EXPECT_FALSE(ConvertFile(nullptr, source.c_str(), target.c_str(), 0)) << target;
    ASSERT_EQ(HeadlessPrompts().size(), 1u);
    EXPECT_EQ(HeadlessPrompts()[0].text, "The target file name is same as source file name, cann't convert!");
    EXPECT_EQ(ReadFile(source), text);
  }
}

TEST(DataFiles, ATableOrFontOfTheWrongSizeIsRefused) {
  ScratchFolder folder;
  SetModulePath(folder.File("zk").c_str());
  std::string source = folder.File("a.gb"), target = folder.File("a.b5");
  WriteFile(source, Bytes{'x', 0xB0, 0xA1});
  ConvertMode = ConvertModeBig5;
  std::string table = folder.File("GBBIG5.TBL");
  for (size_t size : {size_t{100}, size_t{17671}, size_t{17673}}) {
    WriteFile(table, Bytes(size, 0xA4));
    ClearHeadlessPrompts();
    EXPECT_FALSE(ConvertFile(nullptr, source.c_str(), target.c_str(), 0)) << size;
    ASSERT_EQ(HeadlessPrompts().size(), 1u);
    EXPECT_EQ(HeadlessPrompts()[0].text, "Cann't read the convert table file: " + table);
    EXPECT_FALSE(fs::exists(target));
  }
  // A good font loaded first stays when a damaged one is refused.
  Bytes gb = MakeMarkedFont(CompleteFontSize(CodeGb));
  WriteFile(folder.File("ZKJT16.FON"), gb);
  ASSERT_TRUE(LoadCodeFont(nullptr));
  for (size_t size : {size_t{1000}, CompleteFontSize(CodeBig5) - 1, CompleteFontSize(CodeBig5) + 32}) {
    WriteFile(folder.File("ZKFT16.FON"), MakeMarkedFont(size));
    CodeType = CodeBig5;
    ClearHeadlessPrompts();
    EXPECT_FALSE(LoadCodeFont(nullptr)) << size;
    ASSERT_EQ(HeadlessPrompts().size(), 1u);
    EXPECT_EQ(HeadlessPrompts()[0].text, "Can not read font file!");
    ASSERT_EQ(GlyphFont.size, gb.size());
    EXPECT_EQ(MarkedGlyphNumber(GbGlyph(0xB0, 0xA1)), 1410);
  }
}

TEST(Names, AFileNamedInAnyScriptOpens) {
  ScratchFolder folder;
  for (const char* name : {"中文文件.txt", "日本語の名前.jp", "한국어.gb", "Ελληνικά.gb"}) {
    std::string path = folder.File(name);
    WriteFile(path, ToBytes("ab\r\ncd"));
    EXPECT_TRUE(PathExists(path.c_str())) << name;
    EXPECT_TRUE(LoadAndIndexDocument(nullptr, path.c_str())) << name;
    EXPECT_EQ(Document.lineCount, 2) << name;
  }
  EXPECT_TRUE(HeadlessPrompts().empty());
}
