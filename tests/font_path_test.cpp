#include <gtest/gtest.h>

#include <string>

#include "document/document.h"
#include "document/file_name.h"
#include "shell/font_path.h"
#include "tests/test_support.h"

TEST(FontPath, FontLiesBesideTheProgramWhateverTheCurrentFolder) {
  ResetCoreState();
  SetModulePath("C:\\ZK\\ZK.EXE");
  char path[PathCapacity];
  ASSERT_TRUE(BuildFontPath(path, sizeof path, CodeBig5));
  EXPECT_STREQ(path, "C:\\ZK\\ZKFT16.FON");
  BuildFontPath(path, sizeof path, CodeGb);
  EXPECT_STREQ(path, "C:\\ZK\\ZKJT16.FON");
  BuildFontPath(path, sizeof path, CodeShiftJis);
  EXPECT_STREQ(path, "C:\\ZK\\ZKJP16.FON");
  BuildFontPath(path, sizeof path, 3);
  EXPECT_STREQ(path, "C:\\ZK\\ZKJT16.FON");
  ResetCoreState();
}

TEST(FontPath, BothSeparatorsAndStrayCodeTypes) {
  ResetCoreState();
  char path[PathCapacity];
  SetModulePath("/opt/zk/bin/zk");
  // A stored value out of range never indexes past the names.
  ASSERT_TRUE(BuildFontPath(path, sizeof path, 57));
  EXPECT_STREQ(path, "/opt/zk/bin/ZKJT16.FON");
  SetModulePath("C:\\a/b\\zk.exe");
  BuildFontPath(path, sizeof path, CodeShiftJis);
  EXPECT_STREQ(path, "C:\\a/b\\ZKJP16.FON");
  SetModulePath("ZK.EXE");
  BuildFontPath(path, sizeof path, CodeShiftJis);
  EXPECT_STREQ(path, "ZKJP16.FON");
  ResetCoreState();
}

TEST(FontPath, APathThatDoesNotFitIsRefusedNotOverrun) {
  ResetCoreState();
  std::string folder(PathCapacity - 8, 'f');
  ASSERT_TRUE(SetModulePath((folder + "/z").c_str()));
  char path[PathCapacity];
  EXPECT_FALSE(BuildFontPath(path, sizeof path, CodeGb));
  EXPECT_STREQ(path, "");
  char small[12];
  SetModulePath("C:\\ZK\\ZK.EXE");
  EXPECT_FALSE(BuildFontPath(small, sizeof small, CodeGb));
  EXPECT_FALSE(SetModulePath(std::string(PathCapacity, 'x').c_str()));
  EXPECT_STREQ(ModulePath, "");
  ResetCoreState();
}

TEST(FileName, IsTheLastPathComponent) {
  ResetCoreState();
  SetDocumentFileName("C:\\TEXT\\A.GB");
  EXPECT_STREQ(Document.fileName, "A.GB");
  SetDocumentFileName("B.BIG5");
  EXPECT_STREQ(Document.fileName, "B.BIG5");
  SetDocumentFileName("/home/user/c.jp");
  EXPECT_STREQ(Document.fileName, "c.jp");
  SetDocumentFileName(nullptr);  // a failed open keeps the last name
  EXPECT_STREQ(Document.fileName, "c.jp");
  SetDocumentFileName(("C:\\" + std::string(400, 'n')).c_str());
  EXPECT_EQ(std::string(Document.fileName), std::string(255, 'n'));
  ResetCoreState();
}

TEST(FileName, TitleNamesTheFullPathAfterADash) {
  char title[300];
  ComposeFrameTitle(title, sizeof title, "Larkspan for Windows(32) Ver.2.5", "C:\\TEXT\\A.GB");
  EXPECT_STREQ(title, "Larkspan for Windows(32) Ver.2.5 - C:\\TEXT\\A.GB");
  ComposeFrameTitle(title, sizeof title, "Larkspan for Windows(32) Ver.2.5", nullptr);
  EXPECT_STREQ(title, "Larkspan for Windows(32) Ver.2.5");
  char small[10];
  ComposeFrameTitle(small, sizeof small, "Larkspan for Windows(32) Ver.2.5", "C:\\A.GB");
  EXPECT_STREQ(small, "Larkspan ");
}
