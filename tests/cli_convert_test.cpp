#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/test_support.h"

namespace {
struct Outcome {
  int status;
  std::string errors;  // standard error
};

std::string Quote(const std::string& path) { return "'" + path + "'"; }

// Runs `program` with `arguments`, standard input from /dev/null; what it
// wrote on standard error comes back.
Outcome RunZk(const std::string& program, const std::string& arguments) {
  CommandRun run = RunCommand(Quote(program) + " " + arguments + " 2>&1 >/dev/null </dev/null");
  return Outcome{run.status, run.output};
}

// A program folder: a copy of zk with the conversion tables beside it, every
// cell of GBBIG5.TBL being 0xA4 0x40.
struct ProgramFolder {
  ScratchFolder folder;
  std::string program = folder.File("zk");
  ProgramFolder() {
    std::filesystem::copy_file(ZK_PROGRAM, program);
    Bytes table(17672);
    for (size_t i = 0; i < table.size(); i += 2) {
      table[i] = 0xA4;
      table[i + 1] = 0x40;
    }
    WriteFile(folder.File("GBBIG5.TBL"), table);
  }
  Outcome Zk(const std::string& arguments) const { return RunZk(program, arguments); }
  std::string File(const std::string& name) const { return folder.File(name); }
};

// Runs zk convert on a terminal, answering the first question with `answer`;
// returns the exit status and everything the terminal showed.
Outcome ConvertOnTerminal(const std::string& source, const std::string& target, const char* answer) {
  int terminal = -1;
  pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child == 0) {
    execl(ZK_PROGRAM, "zk", "convert", "--hz", source.c_str(), target.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  Outcome outcome{-1, ""};
  if (child < 0) return outcome;
  bool answered = false;
  char buffer[512];
  for (;;) {
    ssize_t n = read(terminal, buffer, sizeof buffer);
    if (n <= 0) break;
    outcome.errors.append(buffer, static_cast<size_t>(n));
    if (!answered && outcome.errors.find("(y/n) ") != std::string::npos) {
      answered = true;
      if (write(terminal, answer, std::strlen(answer)) < 0) break;
    }
  }
  close(terminal);
  int status = 0;
  waitpid(child, &status, 0);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}
}  // namespace

TEST(ZkConvert, ConvertsQuietlyThroughTheTableBesideTheProgram) {
  ProgramFolder zk;
  std::string source = zk.File("a.gb"), target = zk.File("a.b5");
  WriteFile(source, Bytes{'x', 0xB0, 0xA1, '\r', '\n'});
  Outcome run = zk.Zk("convert --big5 " + Quote(source) + " " + Quote(target));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(ReadFile(target), (Bytes{'x', 0xA4, 0x40, '\r', '\n'}));
}

TEST(ZkConvert, HzGoesBothWaysWithoutTables) {
  ScratchFolder folder;
  std::string gb = folder.File("a.gb"), hz = folder.File("a.hz"), back = folder.File("b.gb");
  WriteFile(gb, Bytes{'~', 0xB0, 0xA1, 0xC4, 0xE3, '\n'});
  EXPECT_EQ(RunZk(ZK_PROGRAM, "convert --hz " + Quote(gb) + " " + Quote(hz)).status, 0);
  EXPECT_EQ(ReadFile(hz), ToBytes("~~~{0!Dc~}\n"));
  EXPECT_EQ(RunZk(ZK_PROGRAM, "convert --hz --to-gb " + Quote(hz) + " " + Quote(back)).status, 0);
  EXPECT_EQ(ReadFile(back), ReadFile(gb));
}

TEST(ZkConvert, FailuresPrintTheSystemMessageAndExitOne) {
  ProgramFolder zk;
  std::string source = zk.File("a.sjis"), target = zk.File("a.gb");
  WriteFile(source, ToBytes("abc"));
  Outcome run = zk.Zk("convert --sjis --to-gb " + Quote(source) + " " + Quote(target));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "Cann't open the convert table file: " + zk.File("SJISGB.TBL") +
                            "\nCopy the file to ZK directory please.\n");
  EXPECT_FALSE(std::filesystem::exists(target));

  std::string missing = zk.File("missing.gb");
  run = zk.Zk("convert --big5 " + Quote(missing) + " " + Quote(target));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "Cann't open the convert source file: " + missing + "\n");

  run = zk.Zk("convert --big5 " + Quote(source) + " " + Quote(source));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "The target file name is same as source file name, cann't convert!\n");
  EXPECT_EQ(ReadFile(source), ToBytes("abc"));

  std::string uncreatable = zk.File("no-folder/a.b5");
  run = zk.Zk("convert --big5 " + Quote(source) + " " + Quote(uncreatable));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "Cann't create the convert target file: " + uncreatable + "\n");
}

TEST(ZkConvert, AFullDiskFailsWithMessageEighteen) {
  ProgramFolder zk;
  std::string source = zk.File("a.gb");
  WriteFile(source, Bytes(3000000, 'a'));
  Outcome run = zk.Zk("convert --big5 --force " + Quote(source) + " /dev/full");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "Cann't write the convert target file: /dev/full\n");
}

TEST(ZkConvert, AnExistingTargetIsReplacedOnlyWithForceOrAYes) {
  ScratchFolder folder;
  std::string source = folder.File("a.gb"), target = folder.File("a.hz");
  WriteFile(source, ToBytes("new"));
  WriteFile(target, ToBytes("old text"));
  // No terminal to ask on: refused with the question's text.
  Outcome run = RunZk(ZK_PROGRAM, "convert --hz " + Quote(source) + " " + Quote(target));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "File " + target + " is existed, Overwrite it ?\n");
  EXPECT_EQ(ReadFile(target), ToBytes("old text"));

  run = ConvertOnTerminal(source, target, "n\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.errors.find("File " + target + " is existed, Overwrite it ? (y/n) "), std::string::npos);
  EXPECT_EQ(ReadFile(target), ToBytes("old text"));

  run = ConvertOnTerminal(source, target, "y\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(ReadFile(target), ToBytes("new"));

  WriteFile(target, ToBytes("old text"));
  run = RunZk(ZK_PROGRAM, "convert --hz --force " + Quote(source) + " " + Quote(target));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(ReadFile(target), ToBytes("new"));
}

TEST(ZkConvert, WordsThatDoNotFitAreRefused) {
  EXPECT_EQ(RunZk(ZK_PROGRAM, "convert a b").status, 2);
  EXPECT_EQ(RunZk(ZK_PROGRAM, "convert --big5 --hz a b").status, 2);
  EXPECT_EQ(RunZk(ZK_PROGRAM, "convert --big5 a").status, 2);
  EXPECT_EQ(RunZk(ZK_PROGRAM, "convert --big5 a b c").status, 2);
  EXPECT_EQ(RunZk(ZK_PROGRAM, "convert --gb a b").status, 2);
  EXPECT_EQ(RunZk(ZK_PROGRAM, "convert --help").status, 0);
}

TEST(ZkTables, WritesAllThreeOrTheNamedOnes) {
  ScratchFolder folder;
  Outcome run = RunZk(ZK_PROGRAM, "tables " + Quote(folder.path.string()));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(ReadFile(folder.File("GBTBL.GB")).size(), 19740u);
  EXPECT_EQ(ReadFile(folder.File("BIG5TBL.BG5")).size(), 31584u);
  EXPECT_EQ(ReadFile(folder.File("SJISTBL.JP")).size(), 23880u);

  ScratchFolder only;
  EXPECT_EQ(RunZk(ZK_PROGRAM, "tables --sjis --gb " + Quote(only.path.string() + "/")).status, 0);
  EXPECT_TRUE(std::filesystem::exists(only.File("GBTBL.GB")));
  EXPECT_FALSE(std::filesystem::exists(only.File("BIG5TBL.BG5")));
  EXPECT_EQ(ReadFile(only.File("SJISTBL.JP")).size(), 23880u);
}

TEST(ZkTables, FailuresPrintTheSystemMessageAndExitOne) {
  ScratchFolder folder;
  std::string missing = folder.File("missing");
  Outcome run = RunZk(ZK_PROGRAM, "tables --big5 " + Quote(missing));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "Can not create the file : " + missing + "/BIG5TBL.BG5\n");

  std::filesystem::create_symlink("/dev/full", folder.File("GBTBL.GB"));
  run = RunZk(ZK_PROGRAM, "tables " + Quote(folder.path.string()));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "Can not write the file: " + folder.File("GBTBL.GB") + "\n");

  EXPECT_EQ(RunZk(ZK_PROGRAM, "tables").status, 2);
  EXPECT_EQ(RunZk(ZK_PROGRAM, "tables --hz x").status, 2);
}

TEST(ZkConvert, ATargetInAReadOnlyFolderFailsWithMessageSeventeen) {
  ProgramFolder zk;
  std::string source = zk.File("a.gb");
  Bytes text = {'a', 0xB0, 0xA1, '\r', '\n'};
  WriteFile(source, text);
  std::filesystem::path locked = zk.folder.path / "locked";
  std::filesystem::create_directory(locked);
  std::filesystem::permissions(locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                                           std::filesystem::perms::group_read | std::filesystem::perms::group_exec |
                                           std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
  std::string target = (locked / "a.hz").string();
  // The superuser writes anywhere: run zk as an ordinary user to meet the
  // folder's protection as a user would.
  std::string user = geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
  std::string command =
      user + Quote(zk.program) + " convert --hz " + Quote(source) + " " + Quote(target) + " 2>&1 >/dev/null </dev/null";
  CommandRun run = RunCommand(command);
  const std::string& errors = run.output;
  EXPECT_EQ(run.status, 1) << errors;
  // Only the first line: an instrumented build adds its own complaints.
  EXPECT_EQ(errors.substr(0, errors.find('\n') + 1), "Cann't create the convert target file: " + target + "\n");
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_EQ(ReadFile(source), text);
}

TEST(ZkConvert, NoConversionEverChangesItsSource) {
  ProgramFolder zk;
  Bytes text = {'~', 'a', 0xB0, 0xA1, 0xA4, 0x40, 0x88, 0x9F, 0x1A, '\r', '\n', 0xB0};
  std::string source = zk.File("source.txt");
  WriteFile(source, text);
  Bytes sjisTable(2 * 43 * 189, 0xA1);
  WriteFile(zk.File("SJISGB.TBL"), sjisTable);
  WriteFile(zk.File("GBSJIS.TBL"), Bytes(17672, 0xA1));
  WriteFile(zk.File("BIG5GB.TBL"), Bytes(29516, 0xA1));
  const char* options[] = {"--big5", "--big5 --to-gb", "--sjis", "--sjis --to-gb", "--hz", "--hz --to-gb"};
  for (const char* option : options) {
    // Success, a refused overwrite, a full disk and the same name twice.
    std::string target = zk.File("target.out");
    std::filesystem::remove(target);
    EXPECT_EQ(zk.Zk(std::string("convert ") + option + " " + Quote(source) + " " + Quote(target)).status, 0) << option;
    EXPECT_EQ(zk.Zk(std::string("convert ") + option + " " + Quote(source) + " " + Quote(target)).status, 1);
    EXPECT_EQ(zk.Zk(std::string("convert --force ") + option + " " + Quote(source) + " /dev/full").status, 1);
    EXPECT_EQ(zk.Zk(std::string("convert --force ") + option + " " + Quote(source) + " " + Quote(source)).status, 1);
    EXPECT_EQ(ReadFile(source), text) << option;
  }
}

TEST(ZkConvert, HzThatZkWritesReadsBackInTheViewer) {
  ProgramFolder zk;
  // Characters whose second byte is 0xFE (a tilde in HZ) before ASCII, line
  // ends and other characters.
  Bytes text = {0xB0, 0xFE, '.', '\r', '\n', 0xB1, 0xA1, 0xB2, 0xFE, 0xB0, 0xA1, 'x', '~', 0xF7, 0xFE, '\r', '\n'};
  std::string source = zk.File("a.gb"), target = zk.File("a.hz");
  WriteFile(source, text);
  ASSERT_EQ(zk.Zk("convert --hz " + Quote(source) + " " + Quote(target)).status, 0);
  CommandRun shown = RunCommand(Quote(zk.program) + " cat " + Quote(target));
  EXPECT_EQ(shown.status, 0);
  EXPECT_EQ(ToBytes(shown.output), text);
}
