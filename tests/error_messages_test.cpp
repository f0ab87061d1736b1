#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/error_messages.h"
#include "shell/prompts.h"
#include "shell/prompts_headless.h"
#include "tests/test_support.h"

TEST(ErrorMessages, PathTakesThePlaceOfTheHoleKeepingTheBlankBeforeTheColon) {
  char text[ErrorTextCapacity];
  FormatErrorText(text, sizeof text, ErrorOpenFile, "C:\\A.GB");
  EXPECT_STREQ(text, "Can not open the file : C:\\A.GB");
  FormatErrorText(text, sizeof text, ErrorOpenFontFile, "C:\\ZK\\ZKFT16.FON");
  EXPECT_STREQ(text, "Can not open the font file: C:\\ZK\\ZKFT16.FON");
}

TEST(ErrorMessages, EveryEntryFromFourToTwentyThreeHasItsText) {
  EXPECT_STREQ(ErrorMessageText(5), "Can not alloc memory!");
  EXPECT_STREQ(ErrorMessageText(11), "The target file name is same as source file name, cann't convert!");
  EXPECT_STREQ(ErrorMessageText(13), "Cann't open the convert table file: %s\nCopy the file to ZK directory please.");
  EXPECT_STREQ(ErrorMessageText(18), "Cann't write the convert target file: %s");
  EXPECT_STREQ(ErrorMessageText(23), "Print can not started!");
  for (int id = FirstErrorId; id <= LastErrorId; ++id) EXPECT_GT(std::strlen(ErrorMessageText(id)), 10u) << id;
  EXPECT_STREQ(ErrorMessageText(3), "");
  EXPECT_STREQ(ErrorMessageText(24), "");
}

TEST(ErrorMessages, AFormatInThePathIsCopiedNotInterpreted) {
  char text[ErrorTextCapacity];
  FormatErrorText(text, sizeof text, ErrorReadFile, "%s%n%x.txt");
  EXPECT_STREQ(text, "Can not read file : %s%n%x.txt");
}

TEST(ErrorMessages, MessagesWithoutAHoleIgnoreTheArgument) {
  char text[ErrorTextCapacity];
  FormatErrorText(text, sizeof text, ErrorAllocMemory, "ignored");
  EXPECT_STREQ(text, "Can not alloc memory!");
}

TEST(ErrorMessages, ALongPathIsCutAndTheSecondLineKept) {
  std::string path(5000, 'p');
  char text[ErrorTextCapacity];
  std::memset(text, 'X', sizeof text);
  FormatErrorText(text, sizeof text, ErrorOpenConvertTable, path.c_str());
  std::string shown = text;
  EXPECT_EQ(shown.size(), ErrorTextCapacity - 1);
  EXPECT_EQ(shown.rfind("Cann't open the convert table file: ppp", 0), 0u);
  EXPECT_EQ(shown.substr(shown.size() - 38), "\nCopy the file to ZK directory please.");
}

TEST(ErrorMessages, A260CharacterPathFitsWhole) {
  std::string path = "C:\\" + std::string(256, 'd') + ".GB";
  char text[ErrorTextCapacity];
  FormatErrorText(text, sizeof text, ErrorOpenConvertTable, path.c_str());
  EXPECT_NE(std::string(text).find(path + "\nCopy"), std::string::npos);
}

TEST(ErrorMessages, TinyBuffersStayTerminated) {
  char text[8];
  std::memset(text, 'X', sizeof text);
  FormatErrorText(text, sizeof text, ErrorOpenFile, "C:\\A.GB");
  EXPECT_STREQ(text, "Can not");
  char one[1] = {'X'};
  FormatErrorText(one, 1, ErrorOpenFile, "C:\\A.GB");
  EXPECT_EQ(one[0], '\0');
}

TEST(HeadlessPrompts, RecordTheFormattedTextCaptionAndStyle) {
  ResetCoreState();
  ShowErrorBox(nullptr, ErrorOpenFile, "C:\\A.GB", StyleStop);
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  const HeadlessPrompt& shown = HeadlessPrompts()[0];
  EXPECT_EQ(shown.kind, "error");
  EXPECT_EQ(shown.id, 7);
  EXPECT_EQ(shown.style, 16);
  EXPECT_EQ(shown.caption, "Error");
  EXPECT_EQ(shown.text, "Can not open the file : C:\\A.GB");
}

TEST(HeadlessPrompts, QuestionsAreAnsweredNoUnlessAHandlerSaysYes) {
  ResetCoreState();
  EXPECT_FALSE(AskYesNo(nullptr, "Overwrite?", "Message"));
  SetHeadlessQuestionHandler([](const char*) { return true; });
  EXPECT_TRUE(AskYesNo(nullptr, "Overwrite?", "Message"));
  ShowNotice(nullptr, "Convert complete!", "OK");
  ASSERT_EQ(HeadlessPrompts().size(), 3u);
  EXPECT_EQ(HeadlessPrompts()[0].kind, "question");
  EXPECT_EQ(HeadlessPrompts()[2].kind, "notice");
  EXPECT_EQ(HeadlessPrompts()[2].text, "Convert complete!");
  ResetCoreState();
}
