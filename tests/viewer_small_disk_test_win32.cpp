// A disk that fills while ZK writes to it, on a small disk of the test's own
// (tests/with_small_disk.sh): every writer of the real program and of the
// zk tool says it failed, and the file that was there stays as it was.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <filesystem>

#include "base/program_path.h"
#include "base/wide_text_win32.h"
#include "convert/converters.h"
#include "resources/resource_ids.h"
#include "shell/frame_win32.h"
#include "tests/viewer_harness_win32.h"

namespace {
using SmallDisk = Viewer;

// Fills the disk of `folder` up to its last byte with a file, then gives
// back `free` bytes of it.
void FillDisk(const std::string& folder, LONGLONG free) {
  HANDLE filler = CreateFileW(WideFromUtf8((folder + "\\filler").c_str()).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(filler, INVALID_HANDLE_VALUE);
  const std::string block(4096, 'f');
  LARGE_INTEGER size{};
  for (DWORD written = 0; WriteFile(filler, block.data(), 4096, &written, nullptr) && written > 0;)
    size.QuadPart += written;
  if (free > 0) {
    size.QuadPart = size.QuadPart > free ? size.QuadPart - free : 0;
    EXPECT_TRUE(SetFilePointerEx(filler, size, nullptr, FILE_BEGIN) && SetEndOfFile(filler)) << GetLastError();
  }
  CloseHandle(filler);
}
}  // namespace

TEST_F(SmallDisk, AWriteThatFailsAtItsEndSaysSoAndTheOldFileStays) {
  const char* small = std::getenv("ZK_SMALL_DISK");
  if (small == nullptr) GTEST_SKIP() << "needs a small disk: tests/with_small_disk.sh could make none here";
  const std::string disk = small;
  StoreSetting("TabFile", "1");
  ASSERT_TRUE(StartViewer());
  const std::string source = Open("lines.txt", Lines(40));
  const std::string part = disk + "\\part.txt", converted = disk + "\\lines.hz", table = disk + "\\GBTBL.GB",
                    tool = disk + "\\tool.hz";
  for (const std::string* old : {&part, &converted, &table, &tool}) WriteFile(*old, ToBytes("old"));
  WriteFile(disk + "\\big.gb", ToBytes(Lines(1200)));

  // Not a byte left: a part and a conversion smaller than the file's buffer fail when it is flushed.
  FillDisk(disk, 0);
  SendMessageA(ViewWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(ViewWindow, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  FileAnswer = part;
  Send(WM_COMMAND, ZK_CMD_SAVE_PART);
  AnswerDialogWith("Convert", [&](HWND dialog) {
    SetDlgItemTextW(dialog, ZK_SOURCE_FIELD, WideFromUtf8(source.c_str()).c_str());
    SetDlgItemTextW(dialog, ZK_TARGET_FIELD, WideFromUtf8(converted.c_str()).c_str());
    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  });
  Send(WM_COMMAND, ZK_CMD_CONVERT_HZ);
  // 16 KiB left: the table file (19,740 bytes) and a conversion of 20,400 bytes fill the disk in
  // their last few kilobytes.
  FillDisk(disk, 16384);
  SetModulePath((disk + "\\ZK.exe").c_str());
  Send(WM_COMMAND, ZK_CMD_TABLE_GB);
  EXPECT_EQ(RunTool("tables --gb \"" + disk + "\""), 1);
  EXPECT_EQ(RunTool("convert --hz --force \"" + disk + "\\big.gb\" \"" + tool + "\""), 1);

  EXPECT_EQ(DialogsShown, (Strings{"Save a part to a file:", "Message: File " + part + " is existed, Overwrite it ?",
                                   "Error: Can not write the file: " + part,
                                   "Convert:", "Message: File " + converted + " is existed, Overwrite it ?",
                                   "Error: Cann't write the convert target file: " + converted,
                                   "Error: Can not write the file: " + table}));
  for (const std::string* old : {&part, &converted, &table, &tool}) EXPECT_EQ(ReadFile(*old), ToBytes("old")) << *old;
  // Nothing left behind but the files the test made.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(disk)))
    files += entry.path().filename().string().find(".zk-") == std::string::npos ? 1 : 100;
  EXPECT_EQ(files, 6);
}
