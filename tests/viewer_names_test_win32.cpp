// A name in any script reaches the real program through the Open dialog and
// comes back in its messages; a font of the wrong size is refused. (The
// command line and dropped files are proven with such names elsewhere.)
#include <gtest/gtest.h>

#include <windows.h>

#include "resources/resource_ids.h"
#include "shell/frame_win32.h"
#include "shell/open_document_win32.h"
#include "tests/viewer_harness_win32.h"

TEST_F(Viewer, ANameInAnyScriptOpensByTheDialogAndShowsInTheTitleAndMessages) {
  ASSERT_TRUE(StartViewer());
  FileAnswer = folder.File("한국어 이름.txt");
  WriteFile(FileAnswer, ToBytes("text\r\n"));
  Send(WM_COMMAND, ZK_CMD_OPEN);
  EXPECT_EQ(WindowText(FrameWindow), Title + " - " + FileAnswer);
  SaveScreenshot(FrameWindow, "names-in-any-script");
  std::string missing = folder.File("缺少的文件.gb");
  OpenDocument(FrameWindow, missing.c_str());
  Pump();
  EXPECT_EQ(DialogsShown, (Strings{"Open File:", "Error: Can not open the file : " + missing}));
}

TEST_F(Viewer, AFontOfTheWrongSizeEndsTheStartLikeAMissingOne) {
  Bytes font = TestFont(0);
  font.resize(1000);
  WriteFile(ProgramFolder() + "\\ZKJT16.FON", font);
  EXPECT_FALSE(StartViewer());
  EXPECT_EQ(DialogsShown, Strings{"Error: Can not read font file!"});
  EXPECT_EQ(StoredSetting("ToolBar"), "1");  // the frame's end still wrote the settings
}
