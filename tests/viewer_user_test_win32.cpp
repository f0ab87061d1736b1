// As an ordinary user, whose folders may refuse a new file: every writer
// says so with the path, and nothing is made.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <filesystem>

#include "base/program_path.h"
#include "convert/convert_file.h"
#include "convert/converters.h"
#include "resources/resource_ids.h"
#include "shell/frame_win32.h"
#include "tests/viewer_harness_win32.h"

namespace {
using OrdinaryUser = Viewer;
}

TEST_F(OrdinaryUser, AFolderTheUserCannotWriteGetsItsMessageAndNothingIsMade) {
  const char* locked = std::getenv("ZK_LOCKED_FOLDER");
  ASSERT_NE(locked, nullptr) << "run by tests/as_ordinary_user.sh";
  const std::string lockedFolder = locked;
  StoreSetting("TabFile", "1");
  ASSERT_TRUE(StartViewer());
  Open("lines.txt", Lines(10));
  SendMessageA(ViewWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 30));
  SendMessageA(ViewWindow, WM_LBUTTONUP, 0, MAKELPARAM(5, 30));
  FileAnswer = lockedFolder + "\\part.txt";
  Send(WM_COMMAND, ZK_CMD_SAVE_PART);
  // A conversion into it, and the table files of a program installed there.
  ConvertMode = ConvertModeHz;
  ConvertFile(FrameWindow, folder.File("lines.txt").c_str(), (lockedFolder + "\\lines.hz").c_str(), 0);
  SetModulePath((lockedFolder + "\\ZK.exe").c_str());
  Send(WM_COMMAND, ZK_CMD_TABLE_GB);
  EXPECT_EQ(DialogsShown, (Strings{"Save a part to a file:", "Error: Can not create the file : " + FileAnswer,
                                   "Error: Cann't create the convert target file: " + lockedFolder + "\\lines.hz",
                                   "Error: Can not create the file : " + lockedFolder + "\\GBTBL.GB"}));
  EXPECT_TRUE(std::filesystem::is_empty(PathFromUtf8(lockedFolder)));
}

TEST_F(OrdinaryUser, TwoConversionsIntoOneFileInPlaceTakeTurns) {
  const char* inPlace = std::getenv("ZK_IN_PLACE_FILE");
  ASSERT_NE(inPlace, nullptr) << "run by tests/as_ordinary_user.sh";
  const std::string target = inPlace, longSource = folder.File("long.gb"), shortSource = folder.File("short.gb");
  std::string text;
  while (text.size() < 20000000) text += "a line ~ of text\r\n";
  WriteFile(longSource, ToBytes(text));
  WriteFile(shortSource, ToBytes("short\r\n"));
  auto convert = [](const std::string& source, const std::string& into) {
    return "convert --hz --force \"" + source + "\" \"" + into + "\"";
  };
  ASSERT_EQ(RunTool(convert(longSource, folder.File("long.hz"))), 0);
  const Bytes longConverted = ReadFile(folder.File("long.hz")), shortConverted = ToBytes("short\r\n");
  // The second starts while the first writes; the file holds one of them whole, never a mixture.
  for (int round = 0; round < 3; ++round) {
    HANDLE first = StartTool(convert(longSource, target));
    Sleep(150);
    EXPECT_EQ(RunTool(convert(shortSource, target)), 0);
    EXPECT_EQ(WaitForTool(first), 0);
    Bytes held = ReadFile(target);
    EXPECT_TRUE(held == shortConverted || held == longConverted) << round << ": " << held.size() << " bytes";
  }
}
