// The zk command run as a user runs it, from a shell.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "tests/test_support.h"

namespace {
// Second bytes 0xFE, a tilde in HZ, before ASCII, line ends and other
// characters.
const char* const FeTrails = "\xB0\xFE.\r\n\xB1\xA1\xB2\xFE\xB0\xA1x~\xF7\xFE\r\n";

// A folder holding a copy of zk, with GBBIG5.TBL beside it (every cell
// 0xA4 0x40) and the files the commands read.
struct ZkTest : ::testing::Test {
  ScratchFolder folder;
  void SetUp() override {
    std::filesystem::copy_file(ZK_PROGRAM, folder.File("zk"));
    std::string table;
    for (size_t cell = 0; cell < 94 * 94; ++cell) table += "\xA4@";
    const std::pair<const char*, std::string> files[] = {{"GBBIG5.TBL", table},
                                                         {"a.big5", "ab\r\ncd\xA4@"},
                                                         {"long.txt", std::string(1024, 'x')},
                                                         {"a.hz", "~{!!\r\n"},
                                                         {"b.hz", "x~{!!~}y\r\n\x1Ahidden"},
                                                         {"empty", ""},
                                                         {"a.gb", "x\xB0\xA1\r\n"},

                                                         {"fe.gb", FeTrails},
                                                         {"new.gb", "new"},
                                                         {"old.hz", "old text"},
                                                         {"old2.hz", "old text"},
                                                         {"big.gb", std::string(3000000, 'a')}};
    for (const auto& [name, text] : files) WriteFile(folder.File(name), ToBytes(text));
    for (const char* name : {"all", "two", "full"}) std::filesystem::create_directory(folder.File(name));
    std::filesystem::create_symlink("/dev/full", folder.File("full/GBTBL.GB"));
  }

  // `text` with every "<dir>" replaced by the folder.
  std::string At(std::string text) const {
    for (size_t at; (at = text.find("<dir>")) != std::string::npos;) text.replace(at, 5, folder.path.string());
    return text;
  }

  // Runs a shell command in the folder, where "zk" is the copy, with
  // standard error joined to the output; standard input is a terminal on
  // which `answer` is typed, or else /dev/null.
  CommandRun Run(const std::string& command, const char* answer = nullptr) const {
    std::string line = At("(cd '<dir>' && PATH='<dir>':\"$PATH\" && " + command + ")");
    if (answer == nullptr) return RunCommand(line + " </dev/null 2>&1");
    // The answer waits in the terminal until zk reads it.
    CommandRun run{-1, ""};
    int terminal = -1;
    pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
      execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    if (child < 0 || write(terminal, answer, std::strlen(answer)) < 0) return run;
    char buffer[512];
    for (ssize_t n; (n = read(terminal, buffer, sizeof buffer)) > 0;) run.output.append(buffer, static_cast<size_t>(n));
    close(terminal);
    int status = 0;
    waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
  }
};
}  // namespace

TEST_F(ZkTest, CommandsDoWhatTheySayAndFailWithTheSystemMessages) {
  struct Step {
    std::string command;
    int status;
    const char* output;            // null: not checked; "<dir>" stands for the folder
    bool partial = false;          // the output holds it somewhere
    const char* answer = nullptr;  // typed on a terminal
  };
  // The superuser writes anywhere: zk runs as an ordinary user, to meet a
  // folder's protection as a user would.
  const std::string user = geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
  const Step steps[] = {
      // info and cat: the code, length and display lines of a file, and its
      // text as the viewer holds it (HZ decoded, ending at a Ctrl-Z).
      {"zk info a.big5", 0, "code: Big5\nbytes: 8\nlines: 2\n"},
      {"zk info --width 8 long.txt", 0, "code: GB\nbytes: 1024\nlines: 64\n"},
      {"zk info --width 1000 long.txt", 0, "code: GB\nbytes: 1024\nlines: 2\n"},
      {"zk info long.txt", 0, "code: GB\nbytes: 1024\nlines: 13\n"},
      {"zk info a.hz", 0, "code: Shift JIS\nbytes: 4\nlines: 1\n"},
      {"zk info --no-hz a.hz", 0, "code: GB\nbytes: 6\nlines: 1\n"},
      {"zk info empty", 0, "code: GB\nbytes: 0\nlines: 0\n"},
      {"zk cat b.hz", 0, "x\xA1\xA1y\r\n"},
      {"zk cat --no-hz b.hz", 0, "x~{!!~}y\r\n"},
      {"zk cat empty", 0, ""},
      {"zk info missing", 1, "Can not open the file : missing\n"},
      {"zk cat missing", 1, "Can not open the file : missing\n"},
      // convert: quietly, through the table beside the program; HZ needs
      // none, and what zk writes in HZ zk reads back.
      {"zk convert --big5 a.gb a.b5 && cat a.b5", 0, "x\xA4@\r\n"},
      {"zk convert --hz fe.gb fe.hz && zk cat fe.hz", 0, FeTrails},
      {"zk convert --sjis --to-gb a.gb s.gb", 1,
       "Cann't open the convert table file: <dir>/SJISGB.TBL\nCopy the file to ZK directory please.\n"},
      {"test -e s.gb", 1, ""},
      {"zk convert --big5 missing s.b5", 1, "Cann't open the convert source file: missing\n"},
      {"zk convert --big5 a.gb a.gb", 1, "The target file name is same as source file name, cann't convert!\n"},
      {"zk convert --big5 a.gb no-folder/a.b5", 1, "Cann't create the convert target file: no-folder/a.b5\n"},
      {"zk convert --big5 --force big.gb /dev/full", 1, "Cann't write the convert target file: /dev/full\n"},
      {"mkdir locked && chmod a-w locked && " + user + "zk convert --hz a.gb locked/a.hz", 1,
       "Cann't create the convert target file: locked/a.hz\n", true},
      {"ls -A locked", 0, ""},
      // An existing target: refused with the question where no one can
      // answer it, asked on a terminal, replaced with --force.
      {"zk convert --hz new.gb old.hz", 1, "File old.hz is existed, Overwrite it ?\n"},
      {"zk convert --hz new.gb old.hz", 1, "File old.hz is existed, Overwrite it ? (y/n) ", true, "n\n"},
      {"cat old.hz", 0, "old text"},
      {"zk convert --hz new.gb old.hz", 0, "(y/n) ", true, "y\n"},
      {"cat old.hz", 0, "new"},
      {"zk convert --hz --force new.gb old2.hz && cat old2.hz", 0, "new"},
      // tables: all three or the named ones, replacing what is there.
      {"zk tables all && wc -c <all/GBTBL.GB && wc -c <all/BIG5TBL.BG5 && wc -c <all/SJISTBL.JP", 0,
       "19740\n31584\n23880\n"},
      {"zk tables --sjis --gb two/ && wc -c <two/GBTBL.GB && wc -c <two/SJISTBL.JP", 0, "19740\n23880\n"},
      {"test -e two/BIG5TBL.BG5", 1, ""},
      {"zk tables --big5 missing", 1, "Can not create the file : missing/BIG5TBL.BG5\n"},
      {"zk tables full", 1, "Can not write the file: full/GBTBL.GB\n"},
      // Help.
      {"zk --help", 0, " info ", true},
      {"zk --help", 0, " cat ", true},
      {"zk info --help", 0, "--width N", true},
      {"zk cat --help", 0, "Ctrl-Z", true},
      {"zk convert --help", 0, "--to-gb", true},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.command);
    CommandRun run = Run(step.command, step.answer);
    EXPECT_EQ(run.status, step.status);
    if (step.output == nullptr) continue;
    if (step.partial)
      EXPECT_NE(run.output.find(At(step.output)), std::string::npos) << run.output;
    else
      EXPECT_EQ(run.output, At(step.output));
  }
  // Words that do not fit.
  for (const char* words : {"", "frobnicate x", "info --bogus x", "info", "info a b",
                            "info --width 99999999999999999999 long.txt", "convert a b", "convert --big5 --hz a b",
                            "convert --big5 a", "convert --big5 a b c", "convert --gb a b", "tables", "tables --hz x"})
    EXPECT_EQ(Run(std::string("zk ") + words).status, 2) << words;
}

TEST_F(ZkTest, NoConversionEverChangesItsSource) {
  const std::string text("~a\xB0\xA1\xA4@\x88\x9F\x1A\r\n\xB0");
  WriteFile(folder.File("s"), ToBytes(text));
  WriteFile(folder.File("SJISGB.TBL"), Bytes(2 * 43 * 189, 0xA1));
  WriteFile(folder.File("GBSJIS.TBL"), Bytes(17672, 0xA1));
  WriteFile(folder.File("BIG5GB.TBL"), Bytes(10, 0xA1));  // short: read as far as it reaches
  // In each mode: success, a refused overwrite, a full disk and the same
  // name twice; the exit status of each.
  CommandRun run =
      Run("for m in --big5 '--big5 --to-gb' --sjis '--sjis --to-gb' --hz '--hz --to-gb'; do rm -f t; "
          "for a in 's t' 's t' '--force s /dev/full' '--force s s'; do zk convert $m $a >/dev/null 2>&1; printf $?; "
          "done; done");
  EXPECT_EQ(run.output, "011101110111011101110111");
  EXPECT_EQ(ReadFile(folder.File("s")), ToBytes(text));
}
