// Where the font and table files are read from: beside the program, or, for
// an installed program with none beside it, from the shared data folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/program_path.h"
#include "base/prompts_headless.h"
#include "document/document.h"
#include "document/glyph_font.h"
#include "tests/test_support.h"

namespace {
// A program in bin/ and a shared data folder share/ beside it.
struct DataFolders : ::testing::Test {
  ScratchFolder folder;
  std::string shared;
  Bytes gbFont = MakeMarkedFont(CompleteFontSize(CodeGb));
  void SetUp() override {
    std::filesystem::create_directory(folder.File("bin"));
    std::filesystem::create_directory(folder.File("share"));
    shared = folder.File("share") + "/";
    SetModulePath(folder.File("bin/zk").c_str());
  }
  static std::string PathOf(const char* name) {
    char path[PathCapacity];
    return BuildPathBesideProgram(path, sizeof path, name) ? path : "(too long)";
  }
  // Loads the GB font; the messages shown.
  static std::vector<std::string> LoadGbFont() {
    CodeType = CodeGb;
    LoadCodeFont(nullptr);
    std::vector<std::string> shown;
    for (const HeadlessPrompt& prompt : HeadlessPrompts()) shown.push_back(prompt.text);
    ClearHeadlessPrompts();
    return shown;
  }
};

TEST_F(DataFolders, AnInstalledProgramReadsTheSharedFolderAndABuiltOneItsOwnNeverBoth) {
  WriteFile(shared + "ZKJT16.FON", gbFont);
  WriteFile(shared + "GBBIG5.TBL", Bytes(10, 'x'));
  ChooseDataFolder(shared.c_str(), "ZKJT16.FON");
  EXPECT_EQ(LoadGbFont(), std::vector<std::string>{});
  EXPECT_EQ(GlyphFont.size, gbFont.size());
  EXPECT_EQ(PathOf("GBBIG5.TBL"), shared + "GBBIG5.TBL");
  // A font beside the program: every file is looked for there, even one
  // that only the shared folder holds.
  WriteFile(folder.File("bin/ZKJT16.FON"), gbFont);
  ChooseDataFolder(shared.c_str(), "ZKJT16.FON");
  EXPECT_EQ(PathOf("GBBIG5.TBL"), folder.File("bin/GBBIG5.TBL"));
  // Without the shared folder's font it is no data folder at all.
  std::filesystem::remove(folder.File("bin/ZKJT16.FON"));
  std::filesystem::remove(shared + "ZKJT16.FON");
  ChooseDataFolder(shared.c_str(), "ZKJT16.FON");
  EXPECT_EQ(PathOf("GBBIG5.TBL"), folder.File("bin/GBBIG5.TBL"));
}

TEST_F(DataFolders, WithTheFontInNeitherTheMessageNamesTheProgramsFolder) {
  ChooseDataFolder(shared.c_str(), "ZKJT16.FON");
  EXPECT_EQ(LoadGbFont(), std::vector<std::string>{"Can not open the font file: " + folder.File("bin/ZKJT16.FON")});
  // A shared folder whose name leaves no room for a path is not taken.
  ChooseDataFolder(std::string(PathCapacity, 's').c_str(), "ZKJT16.FON");
  EXPECT_EQ(PathOf("ZKJT16.FON"), folder.File("bin/ZKJT16.FON"));
  // Nor one whose path to the font would not fit.
  std::string deep = shared + std::string(PathCapacity - shared.size() - 5, 'd') + "/";
  ChooseDataFolder(deep.c_str(), "ZKJT16.FON");
  EXPECT_EQ(PathOf("ZKJT16.FON"), folder.File("bin/ZKJT16.FON"));
}
}  // namespace
