// zk as a careless user meets it: a target that is the source under another
// name, a write that fails half way, damaged data files, a full output.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {
std::string Quote(const std::string& path) { return "'" + path + "'"; }

// A program folder: a copy of zk with the built fonts and tables beside it.
struct ProgramFolder {
  ScratchFolder folder;
  std::string program = folder.File("zk");
  ProgramFolder() {
    fs::path built = fs::path(ZK_PROGRAM).parent_path();
    fs::copy_file(ZK_PROGRAM, program);
    for (const char* name : {"ZKJT16.FON", "GBBIG5.TBL"}) fs::copy_file(built / name, folder.path / name);
  }
  // Exit status and standard error of zk with `arguments`, after the shell
  // command `before`, its standard output going to `out`.
  CommandRun Zk(const std::string& arguments, const std::string& before = "",
                const std::string& out = "/dev/null") const {
    return RunCommand(before + " " + Quote(program) + " " + arguments + " 2>&1 >" + out);
  }
  std::string File(const std::string& name) const { return folder.File(name); }
};
}  // namespace

TEST(ZkFaults, TheSourceUnderAnyOtherNameIsNeverTheTarget) {
  ProgramFolder zk;
  fs::create_directory(zk.folder.path / "dir");
  std::string source = zk.File("dir/src.gb");
  Bytes text = {'a', 0xB0, 0xA1, '\r', '\n'};
  WriteFile(source, text);
  fs::create_symlink(source, zk.File("link.gb"));
  fs::create_hard_link(source, zk.File("hard.gb"));
  const std::string same = "The target file name is same as source file name, cann't convert!\n";
  for (const std::string& target : {zk.File("link.gb"), zk.File("hard.gb"), zk.File("dir/./src.gb"),
                                    zk.File("dir/../dir/src.gb"), std::string("dir/src.gb")}) {
    CommandRun run =
        zk.Zk("convert --big5 --force " + Quote(source) + " " + Quote(target), "cd " + Quote(zk.File("")) + ";");
    EXPECT_EQ(run.status, 1) << target;
    EXPECT_EQ(run.output, same) << target;
    CommandRun render = zk.Zk("render " + Quote(source) + " -o " + Quote(target), "cd " + Quote(zk.File("")) + ";");
    EXPECT_EQ(render.status, 1) << target;
    EXPECT_EQ(render.output, same) << target;
    EXPECT_EQ(ReadFile(source), text) << target;
  }
}

TEST(ZkFaults, AWriteThatFailsHalfWayLeavesThePreviousFileAndNoOther) {
  ProgramFolder zk;
  std::string source = zk.File("big.gb"), target = zk.File("old.b5"), picture = zk.File("old.png");
  WriteFile(source, Bytes(3000000, 'a'));
  WriteFile(target, ToBytes("previous target"));
  CommandRun run = zk.Zk("convert --big5 --force " + Quote(source) + " " + Quote(target), "ulimit -f 100;");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "Cann't write the convert target file: " + target + "\n");
  EXPECT_EQ(ReadFile(target), ToBytes("previous target"));
  // A picture too tall to write is refused before the old one is touched.
  std::string lines;
  for (int k = 0; k < 50000; ++k) lines += "line\r\n";
  WriteFile(source, ToBytes(lines));
  WriteFile(picture, ToBytes("previous picture"));
  run = zk.Zk("render --rows 50000 " + Quote(source) + " -o " + Quote(picture));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.output.find("at most 1000000 pixels high"), std::string::npos) << run.output;
  EXPECT_EQ(ReadFile(picture), ToBytes("previous picture"));
  EXPECT_EQ(zk.Zk("render --rows 41666 " + Quote(source) + " -o " + Quote(picture)).status, 0);
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(zk.folder.path)) files.push_back(entry.path().filename().string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"GBBIG5.TBL", "ZKJT16.FON", "big.gb", "old.b5", "old.png", "zk"}));
}

TEST(ZkFaults, DamagedDataFilesAreRefusedWithTheirMessage) {
  ProgramFolder zk;
  std::string source = zk.File("a.gb"), table = zk.File("GBBIG5.TBL"), font = zk.File("ZKJT16.FON");
  WriteFile(source, Bytes{'a', 0xB0, 0xA1});
  Bytes whole = ReadFile(table);
  for (const Bytes& damaged : {Bytes(whole.begin(), whole.begin() + 100), Bytes(5000, 0x37), Join({whole, {0}})}) {
    WriteFile(table, damaged);
    CommandRun run = zk.Zk("convert --big5 " + Quote(source) + " " + Quote(zk.File("a.b5")));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "Cann't read the convert table file: " + table + "\n");
    EXPECT_FALSE(fs::exists(zk.File("a.b5")));
  }
  Bytes fontBytes = ReadFile(font);
  WriteFile(font, Bytes(fontBytes.begin(), fontBytes.begin() + 1000));
  CommandRun run = zk.Zk("render " + Quote(source) + " -o " + Quote(zk.File("a.png")));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "Can not read font file!\n");
  EXPECT_FALSE(fs::exists(zk.File("a.png")));
}

TEST(ZkFaults, OutputThatCannotBeWrittenIsAFailure) {
  ProgramFolder zk;
  std::string source = zk.File("a.gb");
  WriteFile(source, ToBytes("some text\r\n"));
  for (const std::string& command :
       {"info " + Quote(source), "cat " + Quote(source), std::string("--help"), std::string("convert --help")}) {
    CommandRun run = zk.Zk(command, "", "/dev/full");
    EXPECT_EQ(run.status, 1) << command;
    EXPECT_EQ(run.output, "zk: write error: No space left on device\n") << command;
  }
}

TEST(ZkFaults, APrintThatCannotBeLaidOutLeavesThePreviousFile) {
  ProgramFolder zk;
  std::string source = zk.File("two.gb"), pdf = zk.File("old.pdf");
  WriteFile(source, ToBytes("one\r\ntwo\r\n"));
  WriteFile(pdf, ToBytes("previous pages"));
  const std::string margin = "Margin is too big, please setup it once again!\n";
  struct Row {
    const char* options;
    int status;
    std::string output;
  } rows[] = {
      {"--left 1300 --right 1300", 1, margin},
      // A4 at 300 dpi is 3508 pixels high: room for one slot, not three.
      {"--top 1700 --bottom 1700", 1, margin},
      // 80 pixels for a line of 4096: printed lines of no height.
      {"--width 512 --left 1200 --right 1200", 1, margin},
      {"--first 3", 1, "zk: " + source + " has 2 display lines; nothing to print from line 3\n"},
      {"--paper 10x10", 2, "zk: --paper takes a4, letter or WxH in points, 72..14400\nTry 'zk print --help'.\n"},
  };
  for (const Row& row : rows) {
    CommandRun run = zk.Zk(std::string("print ") + row.options + " " + Quote(source) + " -o " + Quote(pdf));
    EXPECT_EQ(run.status, row.status) << row.options;
    EXPECT_EQ(run.output, row.output) << row.options;
    EXPECT_EQ(ReadFile(pdf), ToBytes("previous pages")) << row.options;
  }
  EXPECT_EQ(zk.Zk("print --last 1 " + Quote(source) + " -o " + Quote(pdf)).status, 0);
  Bytes written = ReadFile(pdf);
  EXPECT_EQ(std::string(written.begin(), written.begin() + 5), "%PDF-");
}
