// File names in any script reach the real program by every road, a frame
// stored off the screen comes back onto it, and a damaged font is refused.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <cstring>

#include "document/open_document_win32.h"
#include "resources/resource_ids.h"
#include "shell/frame_win32.h"
#include "shell/wide_text_win32.h"
#include "tests/viewer_harness_win32.h"

namespace {
// Names in three scripts, and the text each file holds.
const char* const Names[] = {"中文文件.gb", "日本語の名前.jp", "한국어 이름.txt"};

PROCESS_INFORMATION StartProgram(const std::string& commandLine) {
  std::wstring line = WideFromUtf8(commandLine.c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  EXPECT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  return process;
}
}  // namespace

TEST_F(Viewer, NamesInAnyScriptOpenByEveryRoad) {
  std::string paths[3];
  for (int k = 0; k < 3; ++k) {
    paths[k] = folder.File(Names[k]);
    WriteFile(paths[k], ToBytes(std::string("text ") + std::to_string(k) + "\r\n"));
  }
  // The command line of the real program: the first here, the others in new
  // instances, each titled with its whole name.
  std::string program = InstallProgram(folder);
  PROCESS_INFORMATION process =
      StartProgram("\"" + program + "\" \"" + paths[0] + "\" \"" + paths[1] + "\" \"" + paths[2] + "\"");
  Strings titles{Title + " - " + paths[0], Title + " - " + paths[1], Title + " - " + paths[2]};
  std::sort(titles.begin(), titles.end());
  EXPECT_TRUE(WaitFor([&] { return FrameTitles() == titles; }));
  CloseFrames();
  for (HANDLE handle : {process.hProcess, process.hThread}) CloseHandle(handle);

  // The Open dialog, files dropped on the frame, and a message naming one.
  ASSERT_TRUE(StartViewer());
  FileAnswer = paths[1];
  Send(WM_COMMAND, ZK_CMD_OPEN);
  EXPECT_EQ(WindowText(FrameWindow), Title + " - " + paths[1]);
  std::wstring list = WideFromUtf8(paths[2].c_str());
  list.push_back(L'\0');
  HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + (list.size() + 1) * sizeof(wchar_t));
  auto* files = static_cast<DROPFILES*>(GlobalLock(drop));
  files->pFiles = sizeof(DROPFILES);
  files->fWide = TRUE;
  std::memcpy(files + 1, list.data(), list.size() * sizeof(wchar_t));
  GlobalUnlock(drop);
  PostMessageA(FrameWindow, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  EXPECT_TRUE(WaitFor([&] { return WindowText(FrameWindow) == Title + " - " + paths[2]; }));
  SaveScreenshot(FrameWindow, "names-in-any-script");
  std::string missing = folder.File("缺少的文件.gb");
  OpenDocument(FrameWindow, missing.c_str());
  Pump();
  EXPECT_EQ(DialogsShown, (Strings{"Open File:", "Error: Can not open the file : " + missing}));
}

TEST_F(Viewer, AFrameStoredOffTheScreenTakesTheDefaultPlace) {
  const std::pair<const char*, const char*> offScreen[] = {
      {"Left", "-5000"}, {"Top", "-5000"}, {"Right", "-10"}, {"Bottom", "-10"}};
  for (auto [key, value] : offScreen) StoreSetting(key, value);
  ASSERT_TRUE(StartViewer());
  RECT frame{}, screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, seen{};
  GetWindowRect(FrameWindow, &frame);
  EXPECT_TRUE(IntersectRect(&seen, &frame, &screen));
  StopViewer();
  EXPECT_GT(std::stoi(StoredSetting("Right")), 0);
  EXPECT_GT(std::stoi(StoredSetting("Bottom")), 0);
}

TEST_F(Viewer, AFontOfTheWrongSizeEndsTheStartLikeAMissingOne) {
  Bytes font = TestFont(0);
  font.resize(1000);
  WriteFile(ProgramFolder() + "\\ZKJT16.FON", font);
  EXPECT_FALSE(StartViewer());
  EXPECT_EQ(DialogsShown, Strings{"Error: Can not read font file!"});
  EXPECT_EQ(StoredSetting("ToolBar"), "1");  // the frame's end still wrote the settings
}
