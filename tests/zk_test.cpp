// The zk command as a user runs it, from a shell; the fonts and tables the
// build made, read through the core's loader and lookups and checked against
// Unifont and iconv; and the pictures zk render draws, read back by libpng.
#include <gtest/gtest.h>
#include <iconv.h>
#include <png.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>

#include "base/program_path.h"
#include "convert/transcode.h"
#include "document/document.h"
#include "document/glyph_font.h"
#include "document/unicode_forms.h"
#include "document/unicode_tables.h"
#include "tests/test_support.h"

namespace {
std::string DataFile(const std::string& name) { return std::string(ZK_DATA_DIR) + "/" + name; }

// A folder holding a copy of zk with the built fonts, their extensions and
// the decode and encode tables, and a GBBIG5.TBL (every cell 0xA4 0x40) with the built
// extension beside it, and the files the commands read.
struct ZkTest : ::testing::Test {
  ScratchFolder folder;
  void SetUp() override {
    std::filesystem::copy_file(ZK_PROGRAM, folder.File("zk"));
    for (const char* built :
         {"ZKJT16.FON", "ZKFT16.FON", "ZKJP16.FON", "ZKJT16X.FON", "ZKFT16X.FON", "ZKJP16X.FON", "GBUNI.TBL",
          "BIG5UNI.TBL", "SJISUNI.TBL", "GBBIG5X.TBL", "UNIGB.TBL", "UNIBIG5.TBL", "UNISJIS.TBL", "GB4UNI.TBL"})
      std::filesystem::create_symlink(DataFile(built), folder.File(built));
    std::string table, tall, wide(1024, 'x'), fe = "\xB0\xFE.\r\n\xB1\xA1\xB2\xFE\xB0\xA1x~\xF7\xFE\r\n";
    for (size_t cell = 0; cell < 94 * 94; ++cell) table += "\xA4@";
    for (int line = 0; line < 50000; ++line) tall += "line\r\n";
    const std::pair<const char*, std::string> files[] = {{"GBBIG5.TBL", table},
                                                         {"a.big5", "ab\r\ncd\xA4@"},
                                                         {"long.txt", wide},
                                                         {"a.hz", "~{!!\r\n"},
                                                         {"a.gbk", "\xDF\x40\x82\x80\xDC\x9B\xF3\x77\xA3\xAC\x82\x83"},
                                                         {"a.hkscs", "\xA7\xDA\x92\x5D\x9D\xF6\xAD\xBB\xA1\x41"},
                                                         {"a.cp932", "\xEE\xE0\x8B\xB4\x82\xB3\x87\x40\xFA\x40"},
                                                         {"b.hz", "x~{!!~}y\r\n\x1Ahidden"},
                                                         {"empty", ""},
                                                         {"a.gb", "x\xB0\xA1\r\n"},
                                                         {"fe.gb", fe},
                                                         {"new.gb", "new"},
                                                         {"old.hz", "old text"},
                                                         {"three.gb", "a\r\n\xB0\xA1\r\nc\r\n"},
                                                         {"tall.gb", tall}};
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
    // Under a file size limit a coverage build cannot write its counts whole
    // either: they go aside, not over the counts of the other runs, and what
    // it says of them is no output of zk.
    const std::string aside = command.find("ulimit -f") != std::string::npos ? "export GCOV_PREFIX=aside; " : "";
    std::string line = At("(cd '<dir>' && PATH='<dir>':\"$PATH\" && " + aside + command + ")");
    if (answer == nullptr) {
      CommandRun run = RunCommand(line + " </dev/null 2>&1");
      for (size_t at; (at = run.output.find("libgcov profiling error:")) != std::string::npos;)
        run.output.erase(at, run.output.find('\n', at) + 1 - at);
      return run;
    }
    // The answer waits in the terminal until zk reads it.
    CommandRun run{-1, ""};
    int terminal = -1;
    pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) _exit(execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr)));
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

// Unifont's bitmap of `c`: 16 bytes for a narrow glyph, 32 for a wide one,
// none when the file has none.
Bytes UnifontBitmap(char32_t c, bool japanese = false) {
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%04X:", static_cast<unsigned>(c));
  std::ifstream in(std::string(ZK_UNIFONT_DIR) + (japanese ? "/unifont_jp.hex" : "/unifont.hex"));
  Bytes bitmap;
  for (std::string line; bitmap.empty() && std::getline(in, line);) {
    for (size_t at = std::strlen(prefix); line.starts_with(prefix) && at + 1 < line.size(); at += 2)
      bitmap.push_back(static_cast<uint8_t>(std::stoi(line.substr(at, 2), nullptr, 16)));
  }
  return bitmap;
}

// The character that `bytes` are in an iconv character set, or 0 when they
// are none or more than one.
char32_t DecodeBytes(const char* charset, std::string bytes) {
  iconv_t converter = iconv_open("WCHAR_T", charset);
  if (converter == reinterpret_cast<iconv_t>(-1)) return 0;
  wchar_t out[4];
  char *inAt = bytes.data(), *outAt = reinterpret_cast<char*>(out);
  size_t inLeft = bytes.size(), outLeft = sizeof out;
  bool one = iconv(converter, &inAt, &inLeft, &outAt, &outLeft) != static_cast<size_t>(-1) && inLeft == 0 &&
             outLeft == sizeof out - sizeof(wchar_t);
  iconv_close(converter);
  return one ? static_cast<char32_t>(out[0]) : 0;
}

// The same for one or two bytes (`code`, the first in its high byte when
// there are two).
char32_t Decode(const char* charset, int code) {
  if (code <= 0xFF) return DecodeBytes(charset, std::string(1, static_cast<char>(code)));
  return DecodeBytes(charset, {static_cast<char>(code >> 8), static_cast<char>(code)});
}

// UTF-8 of one character.
std::string Utf8(char32_t c) {
  if (c < 0x80) return std::string(1, static_cast<char>(c));
  if (c < 0x800) return {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
  return {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
          static_cast<char>(0x80 | (c & 0x3F))};
}

// The glyph of a character of `code` in its built font, loaded from beside
// the programs as the viewer loads it; a code above 0xFF is two bytes.
Bytes BuiltGlyph(int code, int character) {
  SetModulePath(DataFile("zk").c_str());
  if (CodeType != code || GlyphFont.size == 0) {
    CodeType = code;
    EXPECT_TRUE(LoadCodeFont(nullptr));
  }
  uint8_t lead = static_cast<uint8_t>(character >> 8), trail = static_cast<uint8_t>(character);
  const uint8_t* glyph = character <= 0xFF  ? SingleByteGlyph(trail)
                         : code == CodeGb   ? GbGlyph(lead, trail)
                         : code == CodeBig5 ? Big5Glyph(lead, trail)
                                            : SjisGlyph(lead, trail);
  size_t size = character <= 0xFF ? 16 : 32;
  return glyph ? Bytes(glyph, glyph + size) : Bytes(size, 0);
}

bool IsBlank(const Bytes& glyph) { return glyph == Bytes(glyph.size(), 0); }

// The character codes of lead bytes `leads` and trail bytes `trails`.
std::vector<int> Codes(std::vector<std::pair<int, int>> leads, std::vector<std::pair<int, int>> trails) {
  std::vector<int> codes;
  for (auto [firstLead, lastLead] : leads)
    for (int lead = firstLead; lead <= lastLead; ++lead)
      for (auto [firstTrail, lastTrail] : trails)
        for (int trail = firstTrail; trail <= lastTrail; ++trail) codes.push_back(lead << 8 | trail);
  return codes;
}

enum TableId { GbToBig5, Big5ToGb, GbToSjis, SjisToGb };

// The cell that a table holds for a source character, read with the layout
// the converters use; -1 outside the file.
int TableCell(TableId table, int code) {
  static const Bytes cells[4] = {ReadFile(DataFile("GBBIG5.TBL")), ReadFile(DataFile("BIG5GB.TBL")),
                                 ReadFile(DataFile("GBSJIS.TBL")), ReadFile(DataFile("SJISGB.TBL"))};
  int lead = code >> 8, trail = code & 0xFF;
  long index = 94L * (lead - 0xA1) + (trail - 0xA1);
  if (table == Big5ToGb) index = 157L * (lead - 0xA1) + (trail <= 0x7E ? trail - 0x40 : trail - 0x62);
  if (table == SjisToGb) index = 189L * (lead < 0xA0 ? lead - 0x81 : lead - 0xC1) + (trail - 0x40);
  if (index < 0 || static_cast<size_t>(2 * index + 1) >= cells[table].size()) return -1;
  return cells[table][2 * index] << 8 | cells[table][2 * index + 1];
}

constexpr int GbQuestion = 0xA3BF, Big5Question = 0xA148, SjisQuestion = 0x8148;

using Colour = std::array<uint8_t, 3>;
const Colour White{255, 255, 255}, DarkBlue{0, 0, 128}, Cyan{0, 255, 255}, DarkRed{128, 0, 0};

struct Picture {
  int width = 0, height = 0;
  Bytes rgb;  // three bytes a pixel, rows top first
  Colour At(int x, int y) const {
    size_t at = 3 * (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x));
    return Colour{rgb[at], rgb[at + 1], rgb[at + 2]};
  }
};

Picture ReadPicture(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  Bytes rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  return Picture{static_cast<int>(image.width), static_cast<int>(image.height), std::move(rgb)};
}
}  // namespace

TEST_F(ZkTest, CommandsDoWhatTheySayAndFailWithTheSystemMessages) {
  struct Step {
    std::string command;
    int status;
    std::string output;            // "<dir>" stands for the folder
    bool partial = false;          // the output holds it somewhere
    const char* answer = nullptr;  // typed on a terminal
  };
  const std::string same = "The target file name is same as source file name, cann't convert!\n",
                    full = "zk: write error: No space left on device\n1\n", font = "Can not read font file!\n",
                    user = geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
  const Step steps[] = {
      // info and cat: the code, length and display lines of a file, and its
      // text as the viewer holds it (HZ decoded, ending at a Ctrl-Z).
      {"zk info a.big5", 0, "code: Big5\nbytes: 8\nlines: 2\n"},
      {"zk info --width 8 long.txt", 0, "code: GB\nbytes: 1024\nlines: 64\n"},
      {"zk info long.txt", 0, "code: GB\nbytes: 1024\nlines: 13\n"},
      {"zk info a.hz", 0, "code: GB\nbytes: 4\nlines: 1\n"},
      // The codes as Windows and Hong Kong extended them.
      {"zk info a.gbk", 0, "code: GB\nbytes: 12\nlines: 1\n"},
      {"zk info a.hkscs", 0, "code: Big5\nbytes: 10\nlines: 1\n"},
      {"zk info a.cp932", 0, "code: Shift JIS\nbytes: 10\nlines: 1\n"},
      {"zk info --no-hz a.hz", 0, "code: GB\nbytes: 6\nlines: 1\n"},
      {"zk info empty", 0, "code: GB\nbytes: 0\nlines: 0\n"},
      {"zk cat b.hz", 0, "x\xA1\xA1y\r\n"},
      {"zk cat --no-hz b.hz", 0, "x~{!!~}y\r\n"},
      {"zk info missing", 1, "Can not open the file : missing\n"},
      {"zk cat missing", 1, "Can not open the file : missing\n"},
      // convert: quietly, through the table beside the program; HZ needs
      // none, and what zk writes in HZ zk reads back (second bytes 0xFE, a
      // tilde, before ASCII, line ends and other characters).
      {"zk convert --big5 a.gb a.b5 && cat a.b5", 0, "x\xA4@\r\n"},
      {"zk convert --hz fe.gb fe.hz && zk cat fe.hz | cmp - fe.gb", 0, ""},
      {"zk convert --sjis --to-gb a.gb s.gb", 1,
       "Cann't open the convert table file: <dir>/SJISGB.TBL\nCopy the file to ZK directory please.\n"},
      {"zk convert --big5 missing s.b5", 1, "Cann't open the convert source file: missing\n"},
      {"zk convert --big5 a.gb no-folder/a.b5", 1, "Cann't create the convert target file: no-folder/a.b5\n"},
      {"zk convert --big5 --force a.gb /dev/full", 1, "Cann't write the convert target file: /dev/full\n"},
      // An existing target: refused with the question where no one can
      // answer it, asked on a terminal, replaced with --force.
      {"zk convert --hz new.gb old.hz", 1, "File old.hz is existed, Overwrite it ?\n"},
      {"zk convert --hz new.gb old.hz", 1, "File old.hz is existed, Overwrite it ? (y/n) ", true, "n\n"},
      {"cat old.hz", 0, "old text"},
      {"zk convert --hz new.gb old.hz", 0, "(y/n) ", true, "y\n"},
      {"cat old.hz", 0, "new"},
      {"zk convert --hz --force a.gb old.hz && cat old.hz", 0, "x~{0!~}\r\n"},
      // The source under another name is never the target.
      {"ln -s a.gb link && zk convert --big5 --force a.gb link", 1, same},
      {"zk render a.gb -o link", 1, same},
      {"zk print a.gb -o link; cat a.gb", 0, same + "x\xB0\xA1\r\n"},
      // tables: all three or the named ones, replacing what is there.
      {"zk tables --sjis --gb two/ && ls two", 0, "GBTBL.GB\nSJISTBL.JP\n"},
      {"zk tables --big5 missing", 1, "Can not create the file : missing/BIG5TBL.BG5\n"},
      {"zk tables full", 1, "Can not write the file: full/GBTBL.GB\n"},
      // render and print refuse before the old output is touched.
      {"echo old >old && zk render --first 2 a.gb -o old", 1,
       "zk: a.gb has 1 display lines; nothing to draw from line 2\n"},
      {"zk render missing -o old", 1, "Can not open the file : missing\n"},
      {"zk render a.gb -o no/such/folder.png", 1, "Can not create the file : no/such/folder.png\n"},
      {"zk render --rows 50000 tall.gb -o old", 2, "at most 1000000 pixels high", true},
      {"zk print --left 1300 --right 1300 three.gb -o old", 1, "Margin is too big, please setup it once again!\n"},
      {"zk print --first 4 three.gb -o old", 1, "zk: three.gb has 3 display lines; nothing to print from line 4\n"},
      {"zk print --paper 10x10 three.gb -o old", 2,
       "zk: --paper takes a4, letter or WxH in points, 72..14400\nTry 'zk print --help'.\n"},
      {"cat old && zk print --last 1 three.gb -o old && head -c 5 old", 0, "old\n%PDF-"},
      {"zk render --rows 41666 tall.gb -o old && head -c 4 old | tail -c 3", 0, "PNG"},
      // A write that fails half way leaves the old file.
      {"echo old >old.b5 && ulimit -f 100 && zk convert --big5 --force tall.gb old.b5; cat old.b5", 0,
       "Cann't write the convert target file: old.b5\nold\n"},
      {"echo old >all/GBTBL.GB && ulimit -f 30 && zk tables --gb all; cat all/GBTBL.GB", 0,
       "Can not write the file: all/GBTBL.GB\nold\n"},
      // As an ordinary user (the superuser writes anywhere), a folder that
      // takes no new file: a file that may be written is written in place,
      // one that may not and a new one are refused.
      {"mkdir locked && echo old >locked/open && echo old >locked/sealed && chmod 666 locked/open && "
       "chmod 444 locked/sealed && chmod 555 locked",
       0, ""},
      {user + "zk convert --hz --force a.gb locked/open && cat locked/open", 0, "x~{0!~}\r\n", true},
      {user + "zk convert --hz --force a.gb locked/sealed", 1, "Cann't create the convert target file: locked/sealed\n",
       true},
      {user + "zk convert --hz a.gb locked/new", 1, "Cann't create the convert target file: locked/new\n", true},
      // Two conversions into one file in place take turns: it holds one of them whole.
      {"yes 'a line ~ of text' | head -c 20000000 >long.gb && zk convert --hz long.gb long.ref && "
       "zk convert --hz a.gb a.ref",
       0, ""},
      {user + "sh -c 'for k in 1 2 3; do zk convert --hz --force long.gb locked/open & sleep 0.02; "
              "zk convert --hz --force a.gb locked/open; wait; "
              "cmp -s locked/open a.ref || cmp -s locked/open long.ref || echo mixed; done'",
       0, ""},
      // A font a byte short or long is refused.
      {"head -c -1 ZKFT16.FON >f && cat ZKJP16.FON ZKJP16.FON >j && mv f ZKFT16.FON && mv j ZKJP16.FON", 0, ""},
      {"zk render --code big5 a.gb -o x; zk render --code sjis a.gb -o x", 1, font + font},
      // Nothing is left behind; output that cannot be written is a failure.
      {"ls -A | grep zk-", 1, ""},
      {"for c in 'info a.gb' 'cat a.gb' --help 'convert --help'; do zk $c >/dev/full; echo $?; done", 0,
       full + full + full + full},
      {"zk --help && zk info --help && zk cat --help && zk convert --help", 0, "--width N", true},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.command);
    CommandRun run = Run(step.command, step.answer);
    EXPECT_EQ(run.status, step.status);
    if (step.partial)
      EXPECT_NE(run.output.find(At(step.output)), std::string::npos) << run.output;
    else
      EXPECT_EQ(run.output, At(step.output));
  }
  // Words that do not fit.
  for (const char* words :
       {"", "frobnicate x", "info --bogus x", "info", "info a b", "render a.gb", "render --code latin1 a.gb -o out",
        "render --colours 16,1 a.gb -o out", "render --colours 15 a.gb -o out", "render --first 0 a.gb -o out",
        "info --width 99999999999999999999 long.txt", "convert a b", "convert --big5 --hz a b", "convert --big5 a",
        "convert --big5 a b c", "convert --gb a b", "tables", "tables --hz x"})
    EXPECT_EQ(Run(std::string("zk ") + words).status, 2) << words;
}

// Text of a code made by iconv from UTF-8; empty when iconv refuses it.
std::string Iconv(const char* from, const char* to, const std::string& text) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return {};
  std::string in = text, out(4 * text.size() + 16, '\0');
  char *inAt = in.data(), *outAt = out.data();
  size_t inLeft = in.size(), outLeft = out.size();
  const bool whole = iconv(converter, &inAt, &inLeft, &outAt, &outLeft) != static_cast<size_t>(-1);
  iconv_close(converter);
  return whole ? out.substr(0, out.size() - outLeft) : std::string();
}

TEST_F(ZkTest, ConvertsEveryCodeToUtf8AndBackAsIconvDoesAndReportsWhatIsLost) {
  // Every character of each code, a line of 40 at a time: into UTF-8 as
  // iconv converts it, and back as iconv converts that back (a few
  // characters share a Unicode form with another and come back as it).
  const struct {
    const char* name;
    const char* charset;
    std::vector<int> codes;
  } codes[] = {{"gb", "GBK", Codes({{0x81, 0xFE}}, {{0x40, 0x7E}, {0x80, 0xFE}})},
               {"big5", "BIG5-HKSCS", Codes({{0x87, 0xFE}}, {{0x40, 0x7E}, {0xA1, 0xFE}})},
               {"sjis", "CP932", Codes({{0x81, 0x9F}, {0xE0, 0xFC}}, {{0x40, 0x7E}, {0x80, 0xFC}})}};
  for (const auto& code : codes) {
    SCOPED_TRACE(code.name);
    std::string text = "ASCII ~ line\n", utf8;
    int count = 0;
    for (int c : code.codes) {
      const std::string bytes{static_cast<char>(c >> 8), static_cast<char>(c)};
      const std::string one = Iconv(code.charset, "UTF-8", bytes);
      if (one.empty()) continue;
      text += bytes;
      if (++count % 40 == 0) text += "\n";
    }
    WriteFile(folder.File(std::string("all.") + code.name), ToBytes(text));
    const std::string expected = Iconv(code.charset, "UTF-8", text), back = Iconv("UTF-8", code.charset, expected);
    ASSERT_FALSE(expected.empty());
    CommandRun run =
        Run(std::string("zk convert --force --to utf8 --from ") + code.name + " all." + code.name + " all.u8");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(ReadFile(folder.File("all.u8")), ToBytes(expected));
    run = Run(std::string("zk convert --force --to ") + code.name + " all.u8 all.back");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(ReadFile(folder.File("all.back")), ToBytes(back));
    // Detected without --from, and written for a pipe.
    run = Run(std::string("zk convert --force --to utf8 all.") + code.name + " all.u8 && zk cat --utf8 all." +
              code.name + " | cmp - all.u8");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(ReadFile(folder.File("all.u8")), ToBytes(expected));
  }
  WriteFile(folder.File("mix.u8"), ToBytes("Ab\n\xE4\xBD\xA0\xE5\xA5\xBD\xEF\xBC\x9F\xF0\x9F\x98\x80\n\xC3\xA9"));
  WriteFile(folder.File("bad.gb"), ToBytes("ok\n\xB0\xA1\xFF\xB0"));
  WriteFile(folder.File("hz.txt"), ToBytes("a~~b ~{Dc:C~} c\n"));
  WriteFile(folder.File("bom.u16"), ToBytes(std::string("\xFF\xFE\x60\x4F\x0A\x00\x3D\xD8\x00\xDE", 10)));
  WriteFile(folder.File("le.u16"), ToBytes(std::string("\xFF\xFE\x41\x00\x00\xD8\x0A\x00", 8)));
  WriteFile(folder.File("be.u16"), ToBytes(std::string("\xFE\xFF\xD8\x00\x00\x41", 6)));
  WriteFile(folder.File("bad.hz"), ToBytes("ab\r\n~{!\x7F"
                                           "0~}c\n"));
  struct Step {
    std::string command;
    int status;
    std::string output;
  };
  const Step steps[] = {
      // What the target lacks becomes its full-width question mark; the
      // source's own full-width question mark is no loss.
      {"zk convert --to sjis mix.u8 mix.sj && od -An -tx1 mix.sj", 0,
       "zk: mix.u8: 3 characters had no form in Shift JIS and became its replacement.\n"
       "  line 2, column 1: E4 BD A0 (no form in Shift JIS)\n"
       "  line 2, column 4: F0 9F 98 80 (no form in Shift JIS)\n"
       "  line 3, column 1: C3 A9 (no form in Shift JIS)\n"
       " 41 62 0a 81 48 8d 44 81 48 81 48 0a 81 48\n"},
      // A character Big5 lacks takes another form of it first.
      {"printf '\\350\\277\\231\\n' >s.u8 && zk convert --to big5 s.u8 s.b5 && od -An -tx1 s.b5", 0, " b3 6f 0a\n"},
      {"zk convert --to gb --strict mix.u8 mix.gb; echo $?; ls mix.gb", 2,
       "zk: mix.u8: 1 character had no form in GB and became its replacement.\n"
       "  line 2, column 4: F0 9F 98 80 (no form in GB)\n"
       "zk: mix.u8: nothing written (--strict)\n1\nls: cannot access 'mix.gb': No such file or directory\n"},
      // A byte that is no character is counted too, and becomes U+FFFD.
      {"zk convert --to utf8 --from gb bad.gb bad.u8 && od -An -tx1 bad.u8", 0,
       "zk: bad.gb: 2 bytes of the source were no character.\n"
       "  line 2, column 2: FF (no character of GB)\n"
       "  line 2, column 3: B0 (no character of GB)\n"
       " 6f 6b 0a e5 95 8a ef bf bd ef bf bd\n"},
      {"zk cat --utf8 --code gb bad.gb | od -An -tx1", 0,
       "zk: 2 bytes of the source were no character.\n 6f 6b 0a e5 95 8a ef bf bd ef bf bd\n"},
      // HZ both ways, UTF-16 by its mark.
      {"zk convert --to utf8 hz.txt hz.u8 && cat hz.u8 && zk convert --to hz hz.u8 hz.back && cat hz.back", 0,
       "a~b \xE4\xBD\xA0\xE5\xA5\xBD c\na~~b ~{Dc:C~} c\n"},
      {"zk convert --to utf8 bom.u16 bom.u8 && od -An -tx1 bom.u8", 0, " e4 bd a0 0a f0 9f 98 80\n"},
      // A unit of UTF-16 that is no character is two bytes; an HZ text's are
      // placed in it as the viewer reads it.
      {"zk convert --to utf8 le.u16 le.u8 && zk convert --to gb be.u16 be.gb", 0,
       "zk: le.u16: 2 bytes of the source were no character.\n"
       "  line 1, column 2: 00 D8 (no character of UTF-16 LE)\n"
       "zk: be.u16: 2 bytes of the source were no character.\n"
       "  line 1, column 1: D8 00 (no character of UTF-16 BE)\n"},
      {"zk convert --to utf8 --from hz bad.hz badhz.u8", 0,
       "zk: bad.hz: 3 bytes of the source were no character.\n"
       "  line 2, column 1: A1 (no character of HZ)\n"
       "  line 2, column 2: FF (no character of HZ)\n"
       "  line 2, column 3: FF (no character of HZ)\n"},
      // Without the tables it reads through, nothing is converted.
      {"mkdir bare && cp zk bare && bare/zk convert --to utf8 --from gb a.gb bare/a.u8; ls bare", 0,
       "Cann't open the convert table file: <dir>/bare/GBUNI.TBL\nCopy the file to ZK directory please.\nzk\n"},
      {"zk convert --to big5 bom.u16 bom.b5 && od -An -tx1 bom.b5", 0,
       "zk: bom.u16: 1 character had no form in Big5 and became its replacement.\n"
       "  line 2, column 1: 3D D8 00 DE (no form in Big5)\n"
       " a7 41 0a a1 48\n"},
      // Many files: into a folder made for them, on two threads, each told
      // of in order, past a failure, with a summary; an existing target
      // stays unless --force.
      {"zk convert --to utf8 -j 2 -d out/u8 a.gbk a.hkscs missing a.cp932; echo $?; ls out/u8", 0,
       "a.gbk (GB) -> out/u8/a.gbk (UTF-8)\n"
       "a.hkscs (Big5) -> out/u8/a.hkscs (UTF-8)\n"
       "zk: missing: Cann't open the convert source file: missing\n"
       "a.cp932 (Shift JIS) -> out/u8/a.cp932 (UTF-8)\n"
       "3 of 4 files converted, 1 failed\n1\na.cp932\na.gbk\na.hkscs\n"},
      {"zk convert --to gb -d out/u8 a.gbk; echo $?", 0,
       "zk: a.gbk: out/u8/a.gbk exists (--force replaces it)\n0 of 1 files converted, 1 failed\n1\n"},
      {"zk convert --to utf8 -d out/u8 a.gbk sub/a.gbk 2>&1; echo $?", 0,
       "zk: a.gbk: out/u8/a.gbk exists (--force replaces it)\n"
       "zk: sub/a.gbk: another source has the name a.gbk\n0 of 2 files converted, 2 failed\n1\n"},
      // NEC's and IBM's copies of a character come back as the one iconv chooses.
      {"zk convert --to sjis --from utf8 --force -d out out/u8/a.cp932 && "
       "iconv -f UTF-8 -t CP932 out/u8/a.cp932 | cmp - out/a.cp932",
       0, "out/u8/a.cp932 (UTF-8) -> out/a.cp932 (Shift JIS)\n1 of 1 files converted, 0 failed\n"},
      // In place, through a new file that replaces each only when whole.
      {"cp a.hkscs c.hkscs && cp a.gbk c.gbk && zk convert --to utf8 --in-place c.hkscs c.gbk && "
       "cmp c.hkscs out/u8/a.hkscs && cmp c.gbk out/u8/a.gbk && ls -A | grep -c zk-",
       1, "c.hkscs (Big5) -> c.hkscs (UTF-8)\nc.gbk (GB) -> c.gbk (UTF-8)\n2 of 2 files converted, 0 failed\n0\n"},
      {"cp a.gbk d.gbk && zk convert --to hz --strict --in-place d.gbk; echo $?; cmp d.gbk a.gbk", 0,
       "zk: d.gbk: 5 characters had no form in HZ and became its replacement.\n"
       "  line 1, column 1: DF 40 (no form in HZ)\n"
       "  line 1, column 2: 82 80 (no form in HZ)\n"
       "  line 1, column 3: DC 9B (no form in HZ)\n"
       "  line 1, column 4: F3 77 (no form in HZ)\n"
       "  line 1, column 6: 82 83 (no form in HZ)\n"
       "zk: d.gbk: nothing written (--strict)\n0 of 1 files converted, 1 failed\n1\n"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.command);
    CommandRun run = Run(step.command);
    EXPECT_EQ(run.status, step.status);
    EXPECT_EQ(run.output, At(step.output));
  }
  for (const char* words : {"convert --to latin1 a b", "convert --to gb --from utf16 a b", "convert --to gb a",
                            "convert --to gb --big5 a b", "convert --big5 --to-gb -d out a", "convert --to gb -j 2 a b",
                            "convert --to gb -d out --in-place a", "convert --to gb -j 0 -d out a",
                            "convert --to gb -d out", "convert --to utf16le a b", "cat --utf8"})
    EXPECT_EQ(Run(std::string("zk ") + words).status, 2) << words;
}

// The number of bytes that were no character (kind 0) or of characters
// without a form (kind 1) that a report's summary gives; 0 when none.
uint64_t ReportedCount(const std::string& output, int kind) {
  static const std::regex summaries[2] = {std::regex(R"((\d+) bytes? of the source w)"),
                                          std::regex(R"((\d+) characters? had no form)")};
  std::smatch match;
  return std::regex_search(output, match, summaries[kind]) ? std::stoull(match[1]) : 0;
}

TEST_F(ZkTest, ALargeFileConvertsOnTwoThreadsAsItsPartsDoOneByOne) {
  // Lines of 64 bytes, so that pieces begin at line starts; about once a
  // piece, a byte that is no character and one GB 18030 four-byte character,
  // so that the first losses come from both threads in turn; a line of
  // 300,000 bytes with no byte below 0x30, where a piece can end only
  // inside the line (the four bytes hold digits).
  const std::string han = "\xB0\xA1\xC4\xE3\xBA\xC3", four = "\x81\x39\xEE\x39", bad = "\xFF";
  std::string whole;
  std::vector<std::string> parts(1), places;  // parts of the text small enough for one thread
  for (int k = 1; k <= 25000; ++k) {
    std::string line;
    for (int c = 0; c < 10; ++c) line += han;
    if (k % 4100 == 0) places.push_back("line " + std::to_string(k + (k > 14000)) + ", column 6");
    if (k % 4100 == 0) line.replace(10, 14, bad + "A" + han + four);
    line += "AB\r\n";
    if (k == 14000) {
      line += "\r\n";  // the long line, whose 50 bad bytes stand every 2,999 characters
      for (int c = 0; c < 50000; ++c) line.insert(line.size() - 2, c % 1000 == 999 ? four + bad : han);
      for (int j = 1; j <= 50; ++j) places.push_back("line 14001, column " + std::to_string(2999 * j));
    }
    whole += line;
    if (parts.back().size() + line.size() > 400000) parts.emplace_back();
    parts.back() += line;
  }
  WriteFile(folder.File("big.gb"), ToBytes(whole));
  for (size_t p = 0; p < parts.size(); ++p) WriteFile(folder.File("p" + std::to_string(p) + ".gb"), ToBytes(parts[p]));
  // The UTF-8 sources are the UTF-8 made by the first row.
  for (const std::string pair : {"gb utf8", "gb big5", "gb-utf8 gb", "gb-utf8 sjis", "gb-utf8 utf8"}) {
    SCOPED_TRACE(pair);
    const std::string from = pair.substr(0, pair.find(' ')), to = pair.substr(pair.find(' ') + 1);
    const auto convert = [&](const std::string& name) {
      return Run("zk convert --force --from " + from.substr(from.find('-') + 1) + " --to " + to + " " + name + "." +
                 from + " " + name + "." + from + "-" + to);
    };
    std::string expected;
    uint64_t counts[2] = {};
    for (size_t p = 0; p < parts.size(); ++p) {
      const CommandRun run = convert("p" + std::to_string(p));
      ASSERT_EQ(run.status, 0) << run.output;
      for (int k = 0; k < 2; ++k) counts[k] += ReportedCount(run.output, k);
      const Bytes converted = ReadFile(folder.File("p" + std::to_string(p) + "." + from + "-" + to));
      expected.append(converted.begin(), converted.end());
    }
    const CommandRun run = convert("big");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(ReadFile(folder.File("big." + from + "-" + to)) == ToBytes(expected));
    for (int k = 0; k < 2; ++k) EXPECT_EQ(ReportedCount(run.output, k), counts[k]) << k;
    // The first losses in the text's order, whichever thread met them.
    std::string first = "zk: big.gb: 56 bytes of the source were no character.\n";
    for (size_t k = 0; k < 5; ++k) first += "  " + places[k] + ": FF (no character of GB)\n";
    if (pair == "gb utf8") {
      EXPECT_EQ(run.output.substr(0, first.size()), first);
    }
  }
  // A byte-order mark opens the text only at its start: one at every line's
  // start is lost in GB on every line but the first, in whichever piece.
  std::string marks;
  for (int k = 0; k < 60000; ++k) marks += "\xEF\xBB\xBF" + std::to_string(k) + " abc\n";
  WriteFile(folder.File("marks.u8"), ToBytes(marks));
  const CommandRun run = Run("zk convert --force --to gb marks.u8 marks.gb");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(ReportedCount(run.output, 1), 59999u) << run.output;
}

TEST_F(ZkTest, FindPrintsEachLineThatHoldsTheTextInUtf8AsGrepWould) {
  // One text in GB, Big5 and UTF-16; a Big5 character whose second byte is
  // "@" and a Shift JIS one whose second byte is "A".
  WriteFile(folder.File("news.gb"), ToBytes("line one\r\n\xB1\xB1\xBE\xA9 Beijing\r\nnone\r\n\xB1\xB1\xBE\xA9\r\n"));
  WriteFile(folder.File("news.b5"), ToBytes("\xA5\x5F\xA8\xCA beijing\n\xA4@@\n"));
  WriteFile(folder.File("news.u16"), ToBytes(std::string("\xFF\xFE\x17\x53\xAC\x4E\r\0\n\0x\0", 12)));
  WriteFile(folder.File("kana.sj"), ToBytes("\x83\x41\x83\x41 A\n"));
  struct Step {
    std::string command;
    int status;
    std::string output;
  };
  const Step steps[] = {
      {"zk find 北京 news.gb news.b5 news.u16", 0,
       "news.gb:2:北京 Beijing\nnews.gb:4:北京\nnews.b5:1:北京 beijing\nnews.u16:1:北京\n"},
      {"zk find -i BEIJING news.gb news.b5", 0, "news.gb:2:北京 Beijing\nnews.b5:1:北京 beijing\n"},
      {"zk find BEIJING news.gb", 1, ""},
      // A second byte is never a character of its own.
      {"zk find @ news.b5", 0, "news.b5:2:一@\n"},
      {"zk find A kana.sj", 0, "kana.sj:1:アア A\n"},
      // A character the code lacks is found nowhere; a file that cannot be
      // read is said so, and the exit code is 2.
      {"zk find 😀 news.gb", 1, ""},
      {"zk find 北京 missing news.gb", 2, "Can not open the file : missing\nnews.gb:2:北京 Beijing\nnews.gb:4:北京\n"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.command);
    CommandRun run = Run(step.command);
    EXPECT_EQ(run.status, step.status);
    EXPECT_EQ(run.output, At(step.output));
  }
  for (const char* words : {"find", "find x", "find '' news.gb", "find --bogus x news.gb"})
    EXPECT_EQ(Run(std::string("zk ") + words).status, 2) << words;
}

using SmallDisk = ZkTest;

TEST_F(SmallDisk, AWriteThatFailsAtItsEndSaysSoAndTheOldFileStays) {
  const char* small = std::getenv("ZK_SMALL_DISK");
  if (small == nullptr) GTEST_SKIP() << "needs a small disk: tests/with_small_disk.sh could make none here";
  const std::string disk = small;
  // Fills the disk, then gives back `free` bytes.
  auto fill = [&](const char* free) {
    return "head -c 1M /dev/zero >" + disk + "/filler 2>/dev/null; truncate -s -" + free + " " + disk + "/filler; ";
  };
  ASSERT_EQ(Run("head -c 20400 tall.gb >" + disk +
                "/big.gb && for f in old.hz GBTBL.GB old.pdf old.png; do echo old >" + disk + "/$f; done")
                .status,
            0);
  // Not a byte left: small outputs fail when flushed. 16 KiB left: the table file (19,740 bytes) and a
  // conversion of 20,400 bytes fill the disk in their last few kilobytes.
  const std::pair<std::string, std::string> steps[] = {
      {fill("0") + "zk convert --hz --force a.gb <disk>/old.hz", "Cann't write the convert target file: <disk>/old.hz"},
      {fill("0") + "zk print three.gb -o <disk>/old.pdf", "Can not write the file: <disk>/old.pdf"},
      {fill("0") + "zk render a.gb -o <disk>/old.png", "Can not write the file: <disk>/old.png"},
      {fill("16K") + "zk tables --gb <disk>", "Can not write the file: <disk>/GBTBL.GB"},
      {fill("16K") + "zk convert --hz --force <disk>/big.gb <disk>/old.hz",
       "Cann't write the convert target file: <disk>/old.hz"},
  };
  auto onDisk = [&](std::string text) {
    for (size_t at; (at = text.find("<disk>")) != std::string::npos;) text.replace(at, 6, disk);
    return text;
  };
  for (const auto& [command, message] : steps) {
    CommandRun run = Run(onDisk(command));
    EXPECT_EQ(std::make_pair(run.status, run.output), std::make_pair(1, onDisk(message) + "\n")) << command;
  }
  EXPECT_EQ(Run("cd " + disk + " && cat old.hz GBTBL.GB old.pdf old.png && ls -A").output,
            "old\nold\nold\nold\nGBTBL.GB\nbig.gb\nfiller\nold.hz\nold.pdf\nold.png\n");
}

TEST_F(ZkTest, TablesListEveryPairOfTheirCodeRowByRow) {
  // Over a longer file, which each replaces.
  WriteFile(folder.File("all/GBTBL.GB"), Bytes(50000, 'x'));
  ASSERT_EQ(Run("zk tables all && echo made").output, "made\n");
  const std::pair<const char*, std::vector<int>> tables[] = {
      {"GBTBL.GB", Codes({{0xA1, 0xFE}}, {{0xA1, 0xFE}})},
      {"BIG5TBL.BG5", Codes({{0xA1, 0xFE}}, {{0x40, 0x7E}, {0xA1, 0xFE}})},
      {"SJISTBL.JP", Codes({{0x81, 0x9F}, {0xE0, 0xFC}}, {{0x40, 0x7E}, {0x80, 0xFC}})}};
  for (const auto& [name, codes] : tables) {
    // Each lead byte under a heading naming it, followed by every pair it starts.
    Bytes expected;
    for (size_t k = 0; k < codes.size(); ++k) {
      if (k == 0 || codes[k - 1] >> 8 != codes[k] >> 8) {
        char heading[32];
        std::snprintf(heading, sizeof heading, "\n-------  %02x --------\n", codes[k] >> 8);
        expected.insert(expected.end(), heading, heading + 22);
      }
      expected.insert(expected.end(), {static_cast<uint8_t>(codes[k] >> 8), static_cast<uint8_t>(codes[k])});
    }
    EXPECT_EQ(ReadFile(folder.File("all/") + name), expected) << name;
  }
}

TEST(BuiltFonts, KnownCharactersAreUnifontsGlyphsAndBoxesJoin) {
  enum Shape { AsIs, Centred, Stretched };  // a narrow Unifont glyph in a wide cell
  const struct {
    int code, character;
    char32_t c;
    bool japanese;
    Shape shape;
  } cases[] = {
      {CodeGb, 0xA6C1, 0x03B1, false, Centred},      // α
      {CodeBig5, 0xA440, 0x4E00, false, AsIs},       // 一
      {CodeBig5, 0xB0EA, 0x570B, false, AsIs},       // 國
      {CodeBig5, 0xF9FE, 0x2593, false, Stretched},  // ▓, the last glyph
      {CodeShiftJis, 0x889F, 0x4E9C, true, AsIs},    // 亜, in its Japanese form
      {CodeShiftJis, 0x8740, 0x2460, true, AsIs},    // ①, row 13
      {CodeShiftJis, 0xB1, 0xFF71, true, AsIs},      // half-width ｱ
      {CodeShiftJis, '~', '~', false, AsIs},
  };
  EXPECT_NE(UnifontBitmap(0x4E9C, true), UnifontBitmap(0x4E9C));
  for (const auto& c : cases) {
    Bytes expected = UnifontBitmap(c.c, c.japanese);
    ASSERT_EQ(expected.size(), c.character > 0xFF && c.shape == AsIs ? 32u : 16u)
        << std::hex << static_cast<unsigned>(c.c);
    if (c.shape != AsIs) {
      // Centred: 4 blank columns each side; stretched: every column twice.
      Bytes narrow = std::exchange(expected, Bytes(32, 0));
      for (size_t row = 0; row < 16; ++row) {
        unsigned bits = c.shape == Centred ? narrow[row] << 4u : 0u;
        for (unsigned x = 0; c.shape == Stretched && x < 16; ++x) bits |= ((narrow[row] >> (x / 2)) & 1u) << x;
        expected[2 * row] = static_cast<uint8_t>(bits >> 8);
        expected[2 * row + 1] = static_cast<uint8_t>(bits);
      }
    }
    EXPECT_EQ(BuiltGlyph(c.code, c.character), expected) << std::hex << static_cast<unsigned>(c.c);
  }
  // ─ and ┌ of GB row 9 reach the edges of the cell: a table drawn with
  // them has no gaps.
  ASSERT_EQ(Decode("GB2312", 0xA9B0), 0x250Cu);
  Bytes across = BuiltGlyph(CodeGb, 0xA9A4), corner = BuiltGlyph(CodeGb, 0xA9B0);
  int fullRows = 0, right = 0, left = 0;
  for (size_t row = 0; row < 16; ++row) {
    fullRows += across[2 * row] == 0xFF && across[2 * row + 1] == 0xFF ? 1 : 0;
    right += corner[2 * row + 1] & 1;
    left += corner[2 * row] >> 7;
  }
  EXPECT_EQ(fullRows, 1);
  EXPECT_GT(right, 0);
  EXPECT_EQ(left, 0);
}

TEST(BuiltFonts, EveryVisibleCharacterHasInkAndNothingElseHas) {
  auto big5 = [](int code) {
    // The user-defined rows, private use in plain Big5, hold the extension
    // characters that BIG5-HKSCS names.
    auto privateUse = [](char32_t c) { return c >= 0xE000 && c <= 0xF8FF; };
    char32_t c = Decode("BIG5", code);
    if (privateUse(c)) c = Decode("BIG5-HKSCS", code);
    return privateUse(c) || c > 0xFFFF ? char32_t{0} : c;
  };
  const struct {
    int code;
    std::vector<int> singles, pairs;  // single bytes other than lead bytes; double-byte codes
    char32_t (*decode)(int);
    int visibleAtLeast;
  } cases[] = {
      // 6763 hanzi and 681 other characters, less the ideographic space.
      {CodeGb, Codes({{0, 0}}, {{0, 0xA0}, {0xFF, 0xFF}}), Codes({{0xA1, 0xF7}}, {{0xA1, 0xFE}}),
       [](int code) { return Decode("GB2312", code); }, 7444},
      {CodeBig5, Codes({{0, 0}}, {{0, 0xA0}, {0xFF, 0xFF}}), Codes({{0xA1, 0xF9}}, {{0x40, 0x7E}, {0xA1, 0xFE}}), big5,
       13800},
      {CodeShiftJis, Codes({{0, 0}}, {{0, 0x80}, {0xA0, 0xDF}, {0xFD, 0xFF}}),
       Codes({{0x81, 0x9F}, {0xE0, 0xEC}}, {{0x40, 0xFC}}), [](int code) { return Decode("CP932", code); }, 6900},
  };
  for (const auto& c : cases) {
    // A single byte that is no character shows a mark of its own.
    std::set<std::string> marks;
    for (int b : c.singles) {
      Bytes glyph = BuiltGlyph(c.code, b);
      EXPECT_EQ(IsBlank(glyph), b <= ' ') << c.code << ": " << b;
      EXPECT_TRUE(b <= ' ' || marks.emplace(glyph.begin(), glyph.end()).second) << c.code << ": " << b;
    }
    int visible = 0;
    for (int code : c.pairs) {
      char32_t character = c.decode(code);
      bool none = character == 0 || character == 0x3000 || character == ' ';
      visible += none ? 0 : 1;
      EXPECT_EQ(IsBlank(BuiltGlyph(c.code, code)), none) << std::hex << code;
    }
    EXPECT_GE(visible, c.visibleAtLeast) << c.code;
  }
}

TEST(BuiltTables, AreWholeAndMapCharactersByUnicodeAndTheirVariantsAndBack) {
  // The fonts are as whole as the loader requires; the tables too, with no cell left empty.
  const std::pair<const char*, size_t> files[] = {
      {"GBBIG5.TBL", 17672}, {"BIG5GB.TBL", 29516}, {"GBSJIS.TBL", 17672}, {"SJISGB.TBL", 16254}};
  for (const auto& [name, size] : files) {
    Bytes bytes = ReadFile(DataFile(name));
    EXPECT_EQ(bytes.size(), size) << name;
    for (size_t k = 0; k + 1 < bytes.size(); k += 2) ASSERT_FALSE(bytes[k] == 0 && bytes[k + 1] == 0) << name << k;
  }
  const struct {
    TableId table;
    int source, expected;
    bool back = false;  // and the other table maps it back
  } cases[] = {
      {GbToBig5, 0xB9FA, 0xB0EA, true},  // 国 to 國
      {GbToBig5, 0xC6F4, 0xB1D2},        // 启 to 啟, Taiwan's form, not the dictionary's 啓
      {GbToBig5, 0xBAF3, 0xABE1},        // 后 to 後, the dictionary's first choice
      {GbToBig5, 0xB0A1, 0xB0DA},        // 啊 is the same in both
      {Big5ToGb, 0xB8CC, 0xC0EF},        // 裡 to 里, through the Taiwan variants
      {Big5ToGb, 0xA440, 0xD2BB},        // 一
      {GbToSjis, 0xB9FA, 0x8D91, true},  // 国 is the same character
      {GbToSjis, 0xB7A2, 0x94AD, true},  // 发 to 発, the Japanese form of 發
      {SjisToGb, 0x889F, 0xD1C7},        // 亜 to 亚
      {GbToBig5, 0xA3AC, 0xA141},        // ，
      {GbToBig5, 0xA1A3, 0xA143},        // 。
      {GbToBig5, 0xA3C1, 0xA2CF},        // Ａ
      {SjisToGb, 0x8260, 0xA3C1},        // Ａ
      {GbToBig5, 0xA1A1, 0xA140, true},  // the ideographic space
      {GbToSjis, 0xA4A2, 0x82A0},        // あ
      {GbToSjis, 0xA5A2, 0x8341},        // ア
      {GbToSjis, 0xA6C1, 0x83BF},        // α
      {GbToSjis, 0xA7A1, 0x8440},        // А
      {SjisToGb, 0x8141, 0xA1A2},        // 、
      {GbToBig5, 0xA1BC, Big5Question},  // 〖 is not in Big5: the question mark
      {GbToBig5, 0xAAA1, Big5Question},  // row 10 of GB is empty
      {Big5ToGb, 0xFA40, GbQuestion},    // past the last Big5 row
      {Big5ToGb, 0xA4AA, 0xD4C6},        // 云: the row is not all replaced
      {SjisToGb, 0x92D2, GbQuestion},    // 辻, a kanji made in Japan
      {SjisToGb, 0x817F, GbQuestion},    // 0x7F is no trail byte
      {GbToSjis, 0xA8A1, SjisQuestion},  // ā: the pinyin letters are not in Shift JIS
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TableCell(c.table, c.source), c.expected) << std::hex << c.source;
    if (c.back) {
      EXPECT_EQ(TableCell(static_cast<TableId>(c.table ^ 1), c.expected), c.source) << std::hex << c.source;
    }
  }
  // GB hanzi come back from Big5.
  int hanzi = 0, expressible = 0, returned = 0;
  for (int code : Codes({{0xB0, 0xF7}}, {{0xA1, 0xFE}})) {
    if (Decode("GB2312", code) == 0) continue;
    ++hanzi;
    int big5 = TableCell(GbToBig5, code);
    if (big5 == Big5Question) continue;
    ++expressible;
    EXPECT_NE(Decode("BIG5", big5), 0u) << std::hex << code;  // a real Big5 character, not just two bytes
    returned += TableCell(Big5ToGb, big5) == code ? 1 : 0;
  }
  EXPECT_EQ(hanzi, 6763);
  EXPECT_GT(expressible, 6400);
  EXPECT_GE(returned, 0.995 * expressible);
}

namespace {
// The files of the widened codes (GBK, Big5-HKSCS, CP932) and of Unicode,
// read once.
const Bytes& BuiltFile(const std::string& name) {
  static std::map<std::string, Bytes> files;
  auto [at, added] = files.try_emplace(name);
  if (added) at->second = ReadFile(DataFile(name));
  return at->second;
}

uint32_t LittleEndian(const Bytes& bytes, size_t at, size_t size) {
  uint32_t value = 0;
  for (size_t k = size; k-- > 0;) value = value << 8 | (at + k < bytes.size() ? bytes[at + k] : 0u);
  return value;
}

// A character's two bytes as a table cell holds them, lead first.
int PairAt(const Bytes& bytes, size_t at) {
  return static_cast<int>(LittleEndian(bytes, at, 1) << 8 | LittleEndian(bytes, at + 1, 1));
}

bool BitAt(const Bytes& bytes, size_t k) { return k / 8 < bytes.size() && ((bytes[k / 8] >> (k % 8)) & 1) != 0; }

// Every lead byte 0x81 to 0xFE with every trail byte 0x40 to 0xFE.
size_t GridIndex(int code) { return 191 * static_cast<size_t>((code >> 8) - 0x81) + ((code & 0xFF) - 0x40); }
const std::vector<int> Grid = Codes({{0x81, 0xFE}}, {{0x40, 0xFE}});

enum Widened { WideGb, WideBig5, WideSjis };
const char* const WidenedCharsets[3] = {"GBK", "BIG5-HKSCS", "CP932"};

// What the program reads one byte or a pair as, through the decode table
// beside it; two code points as the table holds them.
char32_t Decoded(int code, int bytes) {
  SetModulePath(DataFile("zk").c_str());
  const uint8_t pair[2] = {static_cast<uint8_t>(bytes > 0xFF ? bytes >> 8 : bytes), static_cast<uint8_t>(bytes)};
  const CodePoints points =
      DecodeCharacter(code, pair, bytes > 0xFF ? CharacterStep{2, CharacterPair} : CharacterStep{1, CharacterSingle});
  return points.count == 2 ? TwoCodePoints | points.second << 16 | points.first : points.first;
}

// What the program writes a code point as through the encode table beside
// it: 0 none, a byte, or a pair.
int Encoded(int code, char32_t c, bool* substitute = nullptr) {
  SetModulePath(DataFile("zk").c_str());
  const LegacyForm form = EncodeCharacter(code, c);
  if (substitute != nullptr) *substitute = form.substitute;
  return form.length == 2 ? form.bytes[0] << 8 | form.bytes[1] : form.length == 1 ? form.bytes[0] : 0;
}

// The cell of an extension table for a source position.
int ExtensionCell(TableId table, int code) {
  const char* const names[4] = {"GBBIG5X.TBL", "BIG5GBX.TBL", "GBSJISX.TBL", "SJISGBX.TBL"};
  return PairAt(BuiltFile(names[table]), 2 * GridIndex(code));
}

// `count` bytes of a file from `at`; zeros past its end.
Bytes Slice(const Bytes& bytes, size_t at, size_t count) {
  Bytes slice(count, 0);
  for (size_t k = 0; k < count && at + k < bytes.size(); ++k) slice[k] = bytes[at + k];
  return slice;
}

Bytes UnicodeSlot(char32_t c) { return Slice(BuiltFile("ZKUNI16.FON"), 16384 + 32 * static_cast<size_t>(c), 32); }
}  // namespace

TEST(WidenedFiles, HaveTheirSizesAndTheBaseFilesKeepTheirs) {
  const std::pair<const char*, size_t> files[] = {
      {"ZKJT16.FON", 265792},  {"ZKFT16.FON", 451232},   {"ZKJP16.FON", 270208},  {"GBBIG5.TBL", 17672},
      {"BIG5GB.TBL", 29516},   {"GBSJIS.TBL", 17672},    {"SJISGB.TBL", 16254},   {"ZKJT16X.FON", 773184},
      {"ZKFT16X.FON", 773184}, {"ZKJP16X.FON", 773184},  {"GBBIG5X.TBL", 48132},  {"BIG5GBX.TBL", 48132},
      {"GBSJISX.TBL", 48132},  {"SJISGBX.TBL", 48132},   {"GBUNI.TBL", 97288},    {"BIG5UNI.TBL", 97288},
      {"SJISUNI.TBL", 97288},  {"UNIGB.TBL", 278528},    {"UNIBIG5.TBL", 278528}, {"UNISJIS.TBL", 278528},
      {"GB4UNI.TBL", 78840},   {"ZKUNI16.FON", 2113536},
  };
  for (const auto& [name, size] : files) EXPECT_EQ(BuiltFile(name).size(), size) << name;
}

TEST(WidenedFiles, DecodeAsIconvSaysAndTheExtensionFontsDrawWhatTheBaseFontsDoNot) {
  const struct {
    Widened code;
    int bytes;
    char32_t unicode;
    bool added;  // drawn by the extension font, as the base font does not
  } cases[] = {
      {.code = WideGb, .bytes = 0x8140, .unicode = 0x4E02, .added = true},   // 丂, the first of GBK
      {.code = WideGb, .bytes = 0xA2A1, .unicode = 0x2170, .added = true},   // ⅰ, in GB 2312's rows, not its chart
      {.code = WideGb, .bytes = 0xA1A4, .unicode = 0x00B7, .added = false},  // · (GB 2312: ・), the base glyph stays
      {.code = WideGb, .bytes = 0xB0A1, .unicode = 0x554A, .added = false},  // 啊
      {.code = WideGb, .bytes = 0x80, .unicode = 0, .added = false},         // € to iconv, no GB character
      {.code = WideGb, .bytes = 'A', .unicode = 'A', .added = false},
      {.code = WideBig5, .bytes = 0x8840, .unicode = 0x31C0, .added = true},       // ㇀
      {.code = WideBig5, .bytes = 0x8745, .unicode = 0x27267, .added = false},     // beyond Unifont's plane
      {.code = WideBig5, .bytes = 0x8862, .unicode = 0x830400CA, .added = false},  // Ê̄, two code points
      {.code = WideBig5, .bytes = 0xA240, .unicode = 0xFF3C, .added = false},      // ＼: only plain Big5 has it
      {.code = WideBig5, .bytes = 0xA440, .unicode = 0x4E00, .added = false},
      {.code = WideSjis, .bytes = 0xED40, .unicode = 0x7E8A, .added = true},   // 纊, NEC-selected IBM row
      {.code = WideSjis, .bytes = 0xFA40, .unicode = 0x2170, .added = true},   // ⅰ, IBM row
      {.code = WideSjis, .bytes = 0xF040, .unicode = 0xE000, .added = false},  // user-defined: no glyph
      {.code = WideSjis, .bytes = 0x889F, .unicode = 0x4E9C, .added = false},  // 亜
      {.code = WideSjis, .bytes = 0xB1, .unicode = 0xFF71, .added = false},    // ｱ
      {.code = WideSjis, .bytes = 0x5C, .unicode = 0x5C, .added = false},
      {.code = WideSjis, .bytes = 0xA0, .unicode = 0, .added = false},
  };
  const char* const fonts[3] = {"ZKJT16X.FON", "ZKFT16X.FON", "ZKJP16X.FON"};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.bytes);
    EXPECT_EQ(Decoded(c.code, c.bytes), c.unicode);
    if (c.bytes <= 0xFF) continue;
    const Bytes& font = BuiltFile(fonts[c.code]);
    size_t k = GridIndex(c.bytes);
    EXPECT_EQ(BitAt(font, k), c.added);
    EXPECT_EQ(IsBlank(Slice(font, 3072 + 32 * k, 32)), !c.added);
  }
  // Every pair as iconv reads it, but for Big5's four pairs of two code
  // points and the eight that only plain Big5 has.
  const int differing[3] = {0, 12, 0};
  for (int code : {WideGb, WideBig5, WideSjis}) {
    int differs = 0;
    for (int bytes : Grid) differs += Decoded(code, bytes) != Decode(WidenedCharsets[code], bytes) ? 1 : 0;
    EXPECT_EQ(differs, differing[code]) << WidenedCharsets[code];
  }
}

TEST(WidenedFiles, EncodeTablesTakeIconvsChoiceElseAnotherFormAndMarkIt) {
  const struct {
    Widened code;
    char32_t c;
    int bytes;
    bool substitute;
  } cases[] = {
      {.code = WideGb, .c = 0x4E02, .bytes = 0x8140, .substitute = false},  // 丂
      {.code = WideGb, .c = 0x5011, .bytes = 0x8283, .substitute = false},  // 們
      {.code = WideGb, .c = 'A', .bytes = 'A', .substitute = false},
      {.code = WideGb, .c = 0, .bytes = 0, .substitute = false},
      {.code = WideGb, .c = 0x20AC, .bytes = 0, .substitute = false},          // €: no lone 0x80
      {.code = WideGb, .c = 0x00A5, .bytes = 0xA3A4, .substitute = true},      // ¥ as ￥
      {.code = WideGb, .c = 0x30FB, .bytes = 0xA1A4, .substitute = true},      // ・ as ·
      {.code = WideBig5, .c = 0x4EEC, .bytes = 0xADCC, .substitute = true},    // 们 as 們
      {.code = WideBig5, .c = 0x2550, .bytes = 0xF9F9, .substitute = false},   // ═, twice in the chart
      {.code = WideBig5, .c = 0x27267, .bytes = 0x8745, .substitute = false},  // the second plane
      {.code = WideSjis, .c = 0x00A5, .bytes = 0x818F, .substitute = true},    // ¥ as ￥, not the backslash
      {.code = WideSjis, .c = 0xFF71, .bytes = 0xB1, .substitute = false},     // ｱ
      {.code = WideSjis, .c = 0x53D1, .bytes = 0x94AD, .substitute = true},    // 发 as 発
      {.code = WideSjis, .c = 0x7E8A, .bytes = 0xFA5C, .substitute = false},   // 纊, twice in the chart
  };
  for (const auto& c : cases) {
    bool substitute = !c.substitute;
    EXPECT_EQ(Encoded(c.code, c.c, &substitute), c.bytes) << std::hex << static_cast<unsigned>(c.c);
    EXPECT_EQ(substitute, c.substitute) << std::hex << static_cast<unsigned>(c.c);
  }
  // Every byte and pair comes back, but where the chart holds a character
  // twice: then the table names the other place, which decodes alike.
  const int twice[3] = {0, 12, 398};
  for (int code : {WideGb, WideBig5, WideSjis}) {
    int others = 0, composed = 0;
    for (int bytes = 1; bytes <= 0xFF; ++bytes) {
      char32_t c = Decoded(code, bytes);
      if (c != 0) {
        EXPECT_EQ(Encoded(code, c), bytes);
      }
    }
    for (int bytes : Grid) {
      char32_t c = Decoded(code, bytes);
      if (c >= 0x80000000) ++composed;
      if (c == 0 || c >= 0x80000000 || Encoded(code, c) == bytes) continue;
      ++others;
      EXPECT_EQ(Decoded(code, Encoded(code, c)), c) << std::hex << bytes;
    }
    EXPECT_EQ(others, twice[code]) << WidenedCharsets[code];
    EXPECT_EQ(composed, code == WideBig5 ? 4 : 0) << WidenedCharsets[code];
  }
}

TEST(WidenedFiles, ExtensionTablesConvertTheWidenedCodesAndKeepWhatTheBaseTablesGive) {
  const struct {
    TableId table;
    int source, expected;
  } cases[] = {
      {.table = GbToBig5, .source = 0x8283, .expected = 0xADCC},        // 們, GBK only
      {.table = GbToBig5, .source = 0x8140, .expected = Big5Question},  // 丂 has no form in Big5
      {.table = GbToBig5, .source = 0x817F, .expected = 0},             // no character: the base table answers
      {.table = GbToBig5, .source = 0xB9FA, .expected = 0xB0EA},        // 国 to 國
      {.table = Big5ToGb, .source = 0xA5ED, .expected = 0x81B8},        // 伕: not in GB 2312, in GBK
      {.table = Big5ToGb, .source = 0x8840, .expected = GbQuestion},    // ㇀
      {.table = GbToSjis, .source = 0xB5C2, .expected = 0x93BF},        // 德 to 徳 as before, not CP932's 德
      {.table = SjisToGb, .source = 0x889F, .expected = 0xD1C7},        // 亜 to 亚 as before
      {.table = SjisToGb, .source = 0xFA40, .expected = 0xA2A1},        // ⅰ
      {.table = SjisToGb, .source = 0x815B, .expected = 0xA960},        // ー itself, where GB 2312 had only ―
  };
  for (const auto& c : cases) EXPECT_EQ(ExtensionCell(c.table, c.source), c.expected) << std::hex << c.source;
  // Where a base table gives a character, its extension gives the same,
  // but for the long vowel mark above.
  const std::vector<int> sources[4] = {
      Codes({{0xA1, 0xFE}}, {{0xA1, 0xFE}}), Codes({{0xA1, 0xFE}}, {{0x40, 0x7E}, {0xA1, 0xFE}}),
      Codes({{0xA1, 0xFE}}, {{0xA1, 0xFE}}), Codes({{0x81, 0x9F}, {0xE0, 0xEB}}, {{0x40, 0xFC}})};
  const int questions[4] = {Big5Question, GbQuestion, SjisQuestion, GbQuestion}, others[4] = {0, 1, 0, 1};
  for (TableId table : {GbToBig5, Big5ToGb, GbToSjis, SjisToGb}) {
    int given = 0, other = 0;
    for (int source : sources[table]) {
      int base = TableCell(table, source);
      if (base == questions[table]) continue;
      ++given;
      other += ExtensionCell(table, source) != base ? 1 : 0;
    }
    EXPECT_GT(given, 5000) << table;
    EXPECT_EQ(other, others[table]) << table;
  }
}

TEST(WidenedFiles, TheUnicodeFontDrawsGb2312AsItsFontAndAsciiAsTheSingleBytes) {
  const Bytes& font = BuiltFile("ZKUNI16.FON");
  const struct {
    char32_t c;
    bool present, wide;
  } cases[] = {
      {.c = 0x4E2D, .present = true, .wide = true},  // 中
      {.c = 'A', .present = true, .wide = false},
      {.c = 0x03B1, .present = true, .wide = true},    // α: narrow in Unifont, two cells in GB 2312
      {.c = 0x2500, .present = true, .wide = true},    // ─
      {.c = 0xFF71, .present = true, .wide = false},   // ｱ
      {.c = 0x0001, .present = false, .wide = false},  // control characters are the renderer's
      {.c = 0x007F, .present = false, .wide = false},
      {.c = 0xE000, .present = false, .wide = false},  // no glyph
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BitAt(font, c.c), c.present) << std::hex << static_cast<unsigned>(c.c);
    EXPECT_EQ(BitAt(font, 8 * 8192 + c.c), c.wide) << std::hex << static_cast<unsigned>(c.c);
  }
  EXPECT_EQ(UnicodeSlot(0x4E2D), UnifontBitmap(0x4E2D));
  Bytes a = BuiltGlyph(CodeGb, 'A');
  a.resize(32);
  EXPECT_EQ(UnicodeSlot('A'), a);
  int characters = 0, alike = 0;
  for (int code : Codes({{0xA1, 0xF7}}, {{0xA1, 0xFE}})) {
    char32_t c = Decode("GB2312", code);
    if (c == 0) continue;
    ++characters;
    alike += UnicodeSlot(c) == BuiltGlyph(CodeGb, code) && BitAt(font, 8 * 8192 + c) ? 1 : 0;
  }
  EXPECT_EQ(characters, 7445);
  EXPECT_EQ(alike, characters);
}

TEST(WidenedFiles, Gb18030FourByteCodesOfTheFirstPlaneAreIconvs) {
  const Bytes& table = BuiltFile("GB4UNI.TBL");
  int none = 0;
  for (size_t n = 0; n < 39420; ++n) {
    std::string bytes = {static_cast<char>(0x81 + n / 12600), static_cast<char>(0x30 + n / 1260 % 10),
                         static_cast<char>(0x81 + n / 10 % 126), static_cast<char>(0x30 + n % 10)};
    char32_t c = LittleEndian(table, 2 * n, 2);
    none += c == 0 ? 1 : 0;
    ASSERT_EQ(c, DecodeBytes("GB18030", bytes)) << n;
  }
  EXPECT_EQ(LittleEndian(table, 0, 2), 0x80u);
  EXPECT_EQ(LittleEndian(table, 2 * 39419, 2), 0xFFFFu);
  EXPECT_LT(none, 40);
}

// What Transcode wrote of `source` fed to it in pieces of `size` bytes (0:
// whole) as a file is, and what it counted; the output is "refused" when
// the sink refused a chunk.
std::pair<std::string, ConvertReport> TranscodeInPieces(int from, int to, const std::string& source, size_t size,
                                                        bool refuse = false) {
  TranscodeState state;
  if (!PrepareTranscode(&state, from, to, source.size() + 8)) return {"no tables", {}};
  std::string out;
  const ByteSink sink{[](void* handle, const uint8_t* bytes, size_t count) {
                        static_cast<std::string*>(handle)->append(reinterpret_cast<const char*>(bytes), count);
                        return count;
                      },
                      &out};
  const ByteSink refusing{[](void*, const uint8_t*, size_t) { return size_t{0}; }, nullptr};
  ConvertReport report;
  SourcePiece piece;
  piece.report = &report;
  std::string held;
  for (size_t at = 0;;) {
    const size_t take = size == 0 ? source.size() : std::min(size, source.size() - at);
    held += source.substr(at, take);
    at += take;
    piece.last = at == source.size();
    if (Transcode(refuse ? refusing : sink, state, reinterpret_cast<const uint8_t*>(held.data()), held.size(),
                  &piece) != 0)
      return {"refused", report};
    held.erase(0, piece.used);
    if (piece.last) return {out, report};
  }
}

TEST(Transcode, CarriesEveryCodeWholeAndInPiecesAndCountsWhatHasNoForm) {
  SetModulePath(DataFile("zk").c_str());
  const std::string ascii(70, 'x');
  // Characters whose forms lie in ASCII blocks, across pieces and in HZ's
  // modes; a byte-order mark; what a target lacks and a byte that is none.
  const struct {
    int from, to;
    std::string source, target;
    uint64_t lost = 0, illFormed = 0;
  } cases[] = {
      {.from = CodeGb, .to = CodeUtf8, .source = ascii + "\xB0\xA1", .target = ascii + "\xE5\x95\x8A"},
      {.from = CodeGb, .to = CodeUtf8, .source = "a\xFF\xB0", .target = "a\xEF\xBF\xBD\xEF\xBF\xBD", .illFormed = 2},
      // GB 18030's four bytes past the first plane: U+10000, and past Unicode's end.
      {.from = CodeGb,
       .to = CodeUtf8,
       .source = "\x90\x30\x81\x30\xE3\x32\x9A\x36",
       .target = "\xF0\x90\x80\x80\xEF\xBF\xBD",
       .illFormed = 4},
      {.from = CodeUtf8, .to = CodeHz, .source = "a\xE4\xBD\xA0", .target = "a~{Dc~}"},
      {.from = CodeUtf8, .to = CodeHz, .source = "~\xE4\xB8\x82\xF0\x9F\x98\x80", .target = "~~~{#?#?~}", .lost = 2},
      {.from = CodeHz, .to = CodeUtf8, .source = "~{Dc~}x~~", .target = "\xE4\xBD\xA0x~"},
      {.from = CodeUtf8, .to = CodeBig5, .source = "\xC3\x8A\xCC\x84\xC3\x8A", .target = "\x88\x62\x88\x66"},
      {.from = CodeUtf8,
       .to = CodeGb,
       .source = "\xEF\xBB\xBF"
                 "a\xEF\xBB\xBF",
       .target = "a\xA3\xBF",
       .lost = 1},
      {.from = CodeUtf8,
       .to = CodeUtf8,
       .source = "\xEF\xBB\xBF"
                 "a\x80",
       .target = "\xEF\xBB\xBF"
                 "a\xEF\xBF\xBD",
       .illFormed = 1},
      {.from = CodeUtf16Le,
       .to = CodeShiftJis,
       .source = std::string("\x42\x30\x00\xD8", 4),
       .target = "\x82\xA0\x81\x48",
       .illFormed = 2},
  };
  for (const auto& row : cases) {
    for (size_t size : {0, 1, 2, 3, 5, 64}) {
      SCOPED_TRACE(row.source + " in pieces of " + std::to_string(size));
      const auto [out, report] = TranscodeInPieces(row.from, row.to, row.source, size);
      EXPECT_EQ(out, row.target);
      EXPECT_EQ(report.lost, row.lost);
      EXPECT_EQ(report.illFormed, row.illFormed);
    }
    EXPECT_EQ(TranscodeInPieces(row.from, row.to, row.source, 0, true).first, "refused");
  }
}

TEST_F(ZkTest, RenderDrawsTheGlyphsOfTheFontOfTheCodeAsAsked) {
  const std::string samples = "'" ZK_SAMPLES_DIR "/";
  const struct {
    std::string arguments;
    int width, height;  // height 0: whole lines of 24 pixel rows
    int cell, top;      // where `c` is drawn
    char32_t c;
    bool japanese;
    Colour ink, back;
  } cases[] = {
      // The character after "ZK " of each sample; 80 cells and 2 more, lines
      // of 16 rows of glyph and 8 of spacing, 4 of them above.
      {samples + "gb.txt' -o out", 8 * 82, 0, 3, 4, 0x793A, false, White, DarkBlue},    // 示
      {samples + "big5.txt' -o out", 8 * 82, 0, 3, 4, 0x7BC4, false, White, DarkBlue},  // 範
      {samples + "sjis.txt' -o out", 8 * 82, 0, 3, 4, 0x30B5, true, White, DarkBlue},   // サ
      {samples + "hz.txt' -o out", 8 * 82, 0, 3, 4, 0x793A, false, White, DarkBlue},
      {"--first 2 --rows 1 --width 100 --spacing 2 --colours 11,4 three.gb -o out", 8 * 102, 18, 0, 1, 0x554A, false,
       Cyan, DarkRed},  // 啊
      // The same bytes read as Big5 are another character.
      {"--code big5 --first 2 --rows 1 three.gb -o out", 8 * 82, 24, 0, 4, Decode("BIG5", 0xB0A1), false, White,
       DarkBlue},
      // Rows past the end are not asked for: all three lines.
      {"--rows 50 three.gb -o out", 8 * 82, 3 * 24, 0, 4, 'a', false, White, DarkBlue},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    ASSERT_EQ(Run("zk render " + c.arguments).status, 0);
    Picture picture = ReadPicture(folder.File("out"));
    ASSERT_EQ(picture.width, c.width);
    ASSERT_EQ(picture.height, c.height ? c.height : std::max(24, picture.height / 24 * 24));
    // The glyph in its cells, and only the background above it.
    Bytes bitmap = UnifontBitmap(c.c, c.japanese);
    int cells = static_cast<int>(bitmap.size() / 16);
    ASSERT_GT(cells, 0);
    for (int row = 0; row < 16; ++row) {
      for (int x = 0; x < 8 * cells; ++x) {
        bool set = (bitmap[static_cast<size_t>(row * cells + x / 8)] >> (7 - x % 8)) & 1;
        ASSERT_EQ(picture.At(8 * c.cell + x, c.top + row), set ? c.ink : c.back) << "row " << row << ", pixel " << x;
      }
    }
    for (int x = 0; x < picture.width; ++x) ASSERT_EQ(picture.At(x, 0), c.back);
  }
}

TEST_F(ZkTest, UnicodeTextsDrawAsTheirLegacyFormsDo) {
  std::filesystem::create_symlink(DataFile("ZKUNI16.FON"), folder.File("ZKUNI16.FON"));
  // Every GB 2312 character, 40 to a line, in GB and in UTF-8 (with a mark before it) and UTF-16: the
  // pictures are equal pixel for pixel.
  std::string gb, utf8 = "\xEF\xBB\xBF", utf16 = "\xFF\xFE";
  int onLine = 0;
  for (int lead = 0xA1; lead <= 0xF7; ++lead) {
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      const char32_t c = Decode("GB2312", lead << 8 | trail);
      if (c == 0) continue;
      gb += {static_cast<char>(lead), static_cast<char>(trail)};
      utf8 += Utf8(c);
      utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
      if (++onLine == 40) {
        gb += "\r\n", utf8 += "\r\n", utf16 += std::string("\r\0\n\0", 4);
        onLine = 0;
      }
    }
  }
  const struct {
    std::string legacy, unicode;
  } pairs[] = {{.legacy = gb, .unicode = utf8}, {.legacy = gb, .unicode = utf16}};
  for (const auto& [legacy, unicode] : pairs) {
    WriteFile(folder.File("legacy"), ToBytes(legacy));
    WriteFile(folder.File("unicode"), ToBytes(unicode));
    ASSERT_EQ(Run("zk render --rows 200 legacy -o legacy.png").status, 0);
    ASSERT_EQ(Run("zk render --rows 200 unicode -o unicode.png").status, 0);
    const Picture legacyPicture = ReadPicture(folder.File("legacy.png")),
                  unicodePicture = ReadPicture(folder.File("unicode.png"));
    EXPECT_GT(legacyPicture.height, 0);
    EXPECT_EQ(legacyPicture.rgb, unicodePicture.rgb) << unicode.substr(0, 12);
  }
}
