#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/test_support.h"

namespace {
// Runs zk with `arguments`; standard error is folded into the output when
// `withErrors` is set.
CommandRun Zk(const std::string& arguments, bool withErrors = false) {
  return RunCommand(std::string(ZK_PROGRAM) + " " + arguments + (withErrors ? " 2>&1" : " 2>/dev/null"));
}

std::string Quote(const std::string& path) { return "'" + path + "'"; }
}  // namespace

TEST(ZkInfo, PrintsCodeBytesAndLines) {
  ScratchFolder folder;
  std::string file = folder.File("a.big5");
  Bytes text = ToBytes("ab\r\ncd");
  text.push_back(0xA4);
  text.push_back(0x40);
  WriteFile(file, text);
  CommandRun run = Zk("info " + Quote(file));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "code: Big5\nbytes: 8\nlines: 2\n");
}

TEST(ZkInfo, WidthIsKeptWithinTheSettingsRange) {
  ScratchFolder folder;
  std::string file = folder.File("long.txt");
  WriteFile(file, Bytes(1024, 'x'));
  EXPECT_EQ(Zk("info --width 8 " + Quote(file)).output, "code: GB\nbytes: 1024\nlines: 64\n");
  EXPECT_EQ(Zk("info --width 1000 " + Quote(file)).output, "code: GB\nbytes: 1024\nlines: 2\n");
  EXPECT_EQ(Zk("info " + Quote(file)).output, "code: GB\nbytes: 1024\nlines: 13\n");
  EXPECT_EQ(Zk("info --width 99999999999999999999 " + Quote(file)).status, 2);
}

TEST(ZkInfo, HzDecodingIsOnUnlessTurnedOff) {
  ScratchFolder folder;
  std::string file = folder.File("a.hz");
  WriteFile(file, ToBytes("~{!!\r\n"));
  EXPECT_EQ(Zk("info " + Quote(file)).output, "code: Shift JIS\nbytes: 4\nlines: 1\n");
  EXPECT_EQ(Zk("info --no-hz " + Quote(file)).output, "code: GB\nbytes: 6\nlines: 1\n");
}

TEST(ZkCat, WritesTheTextAsHeldUpToCtrlZ) {
  ScratchFolder folder;
  std::string file = folder.File("a.hz");
  WriteFile(file, ToBytes("x~{!!~}y\r\n\x1Ahidden"));
  CommandRun run = Zk("cat " + Quote(file));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, std::string("x\xA1\xA1y\r\n"));
  EXPECT_EQ(Zk("cat --no-hz " + Quote(file)).output, "x~{!!~}y\r\n");
}

TEST(ZkFailures, PrintTheSystemMessageAndExitOne) {
  ScratchFolder folder;
  std::string missing = folder.File("missing.gb");
  CommandRun run = Zk("info " + Quote(missing), true);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "Can not open the file : " + missing + "\n");
  run = Zk("cat " + Quote(missing), true);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "Can not open the file : " + missing + "\n");
}

TEST(ZkUsage, HelpExplainsAndBadWordsAreRefused) {
  CommandRun run = Zk("--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.output.find("info"), std::string::npos);
  EXPECT_NE(run.output.find("cat"), std::string::npos);
  run = Zk("info --help");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.output.find("--width N"), std::string::npos);
  EXPECT_NE(Zk("cat --help").output.find("Ctrl-Z"), std::string::npos);
  EXPECT_EQ(Zk("").status, 2);
  EXPECT_EQ(Zk("frobnicate x").status, 2);
  EXPECT_EQ(Zk("info --bogus x").status, 2);
  EXPECT_EQ(Zk("info").status, 2);
  EXPECT_EQ(Zk("info a b").status, 2);
}

TEST(ZkEmpty, AnEmptyFileHasNoLines) {
  ScratchFolder folder;
  std::string file = folder.File("empty.gb");
  WriteFile(file, Bytes{});
  CommandRun run = Zk("info " + Quote(file));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "code: GB\nbytes: 0\nlines: 0\n");
  EXPECT_EQ(Zk("cat " + Quote(file)).output, "");
}
