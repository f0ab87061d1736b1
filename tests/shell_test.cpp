// The small shell routines: message texts and prompts, numbers in text,
// whole-file reads, paths beside the program, titles, command lines and the
// stored settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "document/document.h"
#include "document/file_name.h"
#include "shell/command_line.h"
#include "shell/error_messages.h"
#include "shell/file_io.h"
#include "shell/font_path.h"
#include "shell/integer_text.h"
#include "shell/memory.h"
#include "shell/prompts.h"
#include "shell/prompts_headless.h"
#include "shell/read_whole.h"
#include "shell/settings_store.h"
#include "shell/settings_values.h"
#include "tests/test_support.h"

namespace {
using Strings = std::vector<std::string>;

Strings Tokens(const char* text, size_t capacity = 1024) {
  Strings tokens;
  std::vector<char> token(capacity);
  size_t cursor = 0;
  while (NextCommandLineToken(text, &cursor, token.data(), token.size())) tokens.emplace_back(token.data());
  return tokens;
}

// A source of `available` bytes that records the size of every read.
struct RecordingSource {
  size_t available, position;
  std::vector<size_t> reads;
};
size_t ReadRecorded(void* handle, uint8_t* dest, size_t count) {
  auto* source = static_cast<RecordingSource*>(handle);
  source->reads.push_back(count);
  size_t take = std::min(count, source->available - source->position);
  std::memset(dest, 'r', take);
  source->position += take;
  return take;
}

// The stored file, as the profile functions would keep it.
std::map<std::string, std::string> stored;

bool ReadStored(const char* key, char* dest, size_t destSize) {
  auto found = stored.find(key);
  if (found == stored.end()) return false;
  std::snprintf(dest, destSize, "%s", found->second.c_str());
  return true;
}
void WriteStored(const char* key, const char* text) { stored.insert_or_assign(key, std::string(text)); }

// Reads "Key=value Key=value ..." as the stored file, over settings unlike
// any a file gives; then the settings, the code and the frame read.
std::vector<long long> ReadBack(const std::string& file) {
  stored.clear();
  std::istringstream entries(file);
  for (std::string entry; entries >> entry;)
    stored[entry.substr(0, entry.find('='))] = entry.substr(entry.find('=') + 1);
  Settings = SettingsRecord{33, 5, 3, 4, 0, 0, 7, 7};
  CodeType = -1;
  FramePlacement frame{-9, -9, -9, -9};
  ReadStoredSettings(ReadStored, &frame, &CodeType);
  const SettingsRecord& s = Settings;
  return {s.charsPerLine, s.lineSpacing, s.textIndex, s.backIndex, s.textColour, s.backColour, s.showToolbar,
          s.supportHZ,    CodeType,      frame.left,  frame.top,   frame.right,  frame.bottom};
}
}  // namespace

TEST(ErrorMessages, ThePathFillsTheHoleTheTextAlwaysFitsAndPromptsRecordWhatWasShown) {
  const std::string longPath(5000, 'p'), fullPath = "C:\\" + std::string(256, 'd') + ".GB";
  const std::string table = "Cann't open the convert table file: ", hint = "\nCopy the file to ZK directory please.";
  const size_t Full = ErrorTextCapacity;
  const std::tuple<int, const char*, size_t, std::string> cases[] = {
      {ErrorOpenFile, "C:\\A.GB", Full, "Can not open the file : C:\\A.GB"},
      {ErrorOpenFontFile, "C:\\ZK\\ZKFT16.FON", Full, "Can not open the font file: C:\\ZK\\ZKFT16.FON"},
      {ErrorReadFile, "%s%n%x.txt", Full, "Can not read file : %s%n%x.txt"},  // copied, not interpreted
      {ErrorAllocMemory, "ignored", Full, "Can not alloc memory!"},
      {ErrorOpenFile, nullptr, Full, "Can not open the file : "},
      {ErrorOpenFile, "C:\\A.GB", 8, "Can not"},
      {ErrorOpenFile, "C:\\A.GB", 1, ""},
      {3, "x", Full, ""},
      {24, "x", Full, ""},
      {ErrorOpenConvertTable, fullPath.c_str(), Full, table + fullPath + hint},
      // A long path is cut; the line after it stays.
      {ErrorOpenConvertTable, longPath.c_str(), Full,
       table + longPath.substr(0, Full - 1 - table.size() - hint.size()) + hint}};
  for (const auto& [id, argument, capacity, expected] : cases) {
    std::vector<char> text(capacity + 1, 'X');
    FormatErrorText(text.data(), capacity, id, argument);
    EXPECT_EQ(std::string(text.data()), expected) << id << " " << capacity;
    EXPECT_EQ(text[capacity], 'X');
  }
  for (int id = FirstErrorId; id <= LastErrorId; ++id) {
    char text[ErrorTextCapacity];
    FormatErrorText(text, sizeof text, id, "x");
    EXPECT_GT(std::strlen(text), 10u) << id;
  }
  char untouched[4] = "abc";
  FormatErrorText(nullptr, 10, ErrorOpenFile, "x");
  FormatErrorText(untouched, 0, ErrorOpenFile, "x");
  EXPECT_STREQ(untouched, "abc");
  ShowErrorBox(nullptr, ErrorOpenFile, "C:\\A.GB", StyleStop);
  EXPECT_FALSE(AskYesNo(nullptr, "Overwrite?", "Message"));
  SetHeadlessQuestionHandler([](const char* text) { return std::strcmp(text, "Overwrite?") == 0; });
  EXPECT_TRUE(AskYesNo(nullptr, "Overwrite?", "Message"));
  EXPECT_FALSE(AskYesNo(nullptr, nullptr, nullptr));
  ShowNotice(nullptr, "Convert complete!", "OK");
  const std::tuple<std::string, int, int, std::string, std::string> shown[] = {
      {"error", 7, StyleStop, "Error", "Can not open the file : C:\\A.GB"},
      {"question", 0, 0, "Message", "Overwrite?"},
      {"question", 0, 0, "Message", "Overwrite?"},
      {"question", 0, 0, "", ""},
      {"notice", 0, 0, "OK", "Convert complete!"}};
  ASSERT_EQ(HeadlessPrompts().size(), std::size(shown));
  for (size_t i = 0; i < std::size(shown); ++i) {
    const HeadlessPrompt& p = HeadlessPrompts()[i];
    EXPECT_EQ(std::tie(p.kind, p.id, p.style, p.caption, p.text), shown[i]) << i;
  }
}

TEST(IntegerText, LeadingDigitsAfterBlanksAndOneSignHeldAtTheEdges) {
  const char *Huge = "99999999999999999999999", *MinusHuge = "-99999999999999999999999";
  const std::pair<const char*, int> plain[] = {{"40", 40}, {" 40 x", 40}, {"\t+7x", 7}, {"-5", -5}, {"abc", 0},
                                               {"", 0},    {nullptr, 0},  {"--5", 0},   {"- 5", 0}},
                                    edges[] = {{"2147483647", INT_MAX},  {"2147483648", INT_MAX},
                                               {Huge, INT_MAX},          {"-2147483648", INT_MIN},
                                               {"-2147483649", INT_MIN}, {MinusHuge, INT_MIN}};
  for (const auto& [text, value] : plain) EXPECT_EQ(ReadLeadingInteger(text), value) << (text ? text : "(null)");
  for (const auto& [text, value] : edges) EXPECT_EQ(ReadLeadingInteger(text), value) << text;
  const char digits[4] = {'1', '2', '3', '4'};  // no terminator
  EXPECT_EQ(std::make_pair(ReadLeadingInteger(digits, 2), ReadLeadingInteger(nullptr, 5)), std::make_pair(12, 0));
}

TEST(ReadWhole, ReadsInPiecesFilesByteForByteAndBlocksRefuseBadSizes) {
  const std::tuple<size_t, size_t, std::vector<size_t>, size_t> cases[] = {
      {32768, 32768, {32768}, 32768},
      {32769, 32769, {32768, 1}, 32769},
      {65536, 65536, {32768, 32768}, 65536},
      {5, 5, {5}, 5},
      {100000, 99999, {32768, 32768, 32768, 1696}, 0},
      {100000, 10, {32768}, 0},  // a short first piece stops at once
      {0, 0, {0}, 0}};
  for (const auto& [count, available, reads, result] : cases) {
    RecordingSource source{available, 0, {}};
    Bytes buffer(count + 1);
    EXPECT_EQ(ReadWholeWith(ReadRecorded, &source, buffer.data(), count), result) << count;
    EXPECT_EQ(source.reads, reads) << count;
  }
  ScratchFolder folder;
  Bytes bytes;
  // CR LF, Ctrl-Z and every other byte value: nothing may be translated.
  for (int i = 0; i < 300 * 256; ++i) bytes.push_back(static_cast<uint8_t>(i));
  WriteFile(folder.File("all.bin"), bytes);
  FileHandle file = OpenForReading(folder.File("all.bin").c_str());
  uint64_t size = 0;
  ASSERT_TRUE(file && MeasureFile(file.get(), &size));
  ASSERT_EQ(size, bytes.size());
  Bytes read(bytes.size());
  EXPECT_EQ(ReadWhole(file.get(), read.data(), read.size()), bytes.size());
  EXPECT_EQ(read, bytes);
  const std::string folderPath = folder.path.string(), missing = folder.File("missing.gb");
  for (const char* path : {folderPath.c_str(), missing.c_str(), "", static_cast<const char*>(nullptr)})
    EXPECT_FALSE(OpenForReading(path)) << (path ? path : "(null)");
  ReplacementRecord nameless;
  EXPECT_FALSE(StartReplacement(nullptr, &nameless) || StartReplacement("", &nameless));
  Block<uint32_t> block = AllocateZeroed<uint32_t>(4);
  EXPECT_FALSE(GrowBlock(block, 0) || GrowBlock(block, SIZE_MAX / 2) || AllocateZeroed<uint32_t>(SIZE_MAX / 2));
  EXPECT_TRUE(block);
}

TEST(Paths, TheFontLiesBesideTheProgramTheNameIsTheLastComponentAndTheTitleAddsThePath) {
  const std::string deep = std::string(PathCapacity - 8, 'f') + "/z", tooLong(PathCapacity, 'x');
  const char* const Refused = nullptr;
  const std::tuple<const char*, bool, int, size_t, const char*> cases[] = {
      {"C:\\ZK\\ZK.EXE", true, CodeBig5, PathCapacity, "C:\\ZK\\ZKFT16.FON"},
      {"C:\\ZK\\ZK.EXE", true, CodeGb, PathCapacity, "C:\\ZK\\ZKJT16.FON"},
      {"C:\\ZK\\ZK.EXE", true, CodeShiftJis, PathCapacity, "C:\\ZK\\ZKJP16.FON"},
      // A stored code out of range never indexes past the names.
      {"C:\\ZK\\ZK.EXE", true, 3, PathCapacity, "C:\\ZK\\ZKJT16.FON"},
      {"C:\\ZK\\ZK.EXE", true, -4, PathCapacity, "C:\\ZK\\ZKJT16.FON"},
      {"/opt/zk/bin/zk", true, 57, PathCapacity, "/opt/zk/bin/ZKJT16.FON"},
      {"C:\\a/b\\zk.exe", true, CodeShiftJis, PathCapacity, "C:\\a/b\\ZKJP16.FON"},
      {"ZK.EXE", true, CodeShiftJis, PathCapacity, "ZKJP16.FON"},
      {nullptr, true, CodeGb, PathCapacity, "ZKJT16.FON"},
      {tooLong.c_str(), false, CodeGb, PathCapacity, "ZKJT16.FON"},
      {deep.c_str(), true, CodeGb, PathCapacity, Refused},
      {"C:\\ZK\\ZK.EXE", true, CodeGb, 12, Refused},
      {"C:\\ZK\\ZK.EXE", true, CodeGb, 0, Refused}};
  for (const auto& [modulePath, accepted, code, capacity, fontPath] : cases) {
    SetModulePath("D:\\OLD\\ZK.EXE");
    EXPECT_EQ(SetModulePath(modulePath), accepted) << code;
    std::vector<char> path(capacity + 1, '\0');
    EXPECT_EQ(BuildFontPath(path.data(), capacity, code), fontPath != Refused) << code;
    EXPECT_STREQ(path.data(), fontPath ? fontPath : "") << code;
  }
  EXPECT_FALSE(BuildPathBesideProgram(nullptr, 10, "x"));
  const std::string longPath = "C:\\" + std::string(400, 'n');
  const std::pair<const char*, std::string> names[] = {{"C:\\TEXT\\A.GB", "A.GB"},
                                                       {"B.BIG5", "B.BIG5"},
                                                       {"/home/user/c.jp", "c.jp"},
                                                       {nullptr, "c.jp"},  // a failed open keeps the last name
                                                       {longPath.c_str(), std::string(255, 'n')}};
  for (const auto& [filePath, lastComponent] : names) {
    SetDocumentFileName(filePath);
    EXPECT_EQ(Document.fileName, lastComponent) << (filePath ? filePath : "(null)");
  }
  const char* product = "Larkspan for Windows(32) Ver.2.5";
  const std::tuple<size_t, const char*, std::string> titles[] = {
      {300, "C:\\TEXT\\A.GB", "Larkspan for Windows(32) Ver.2.5 - C:\\TEXT\\A.GB"},
      {300, nullptr, "Larkspan for Windows(32) Ver.2.5"},
      {10, "C:\\A.GB", "Larkspan "},
      {0, "C:\\A.GB", "unchanged"}};
  for (const auto& [titleCapacity, filePath, expected] : titles) {
    char title[300] = "unchanged";
    ComposeFrameTitle(title, titleCapacity, product, filePath);
    EXPECT_EQ(title, expected) << titleCapacity;
  }
  ComposeFrameTitle(nullptr, 10, product, "p");
}

TEST(CommandLine, NamesAreSplitAtBlanksUnlessQuotedAndANewInstanceGetsBothQuoted) {
  const std::tuple<const char*, size_t, Strings> cases[] = {
      {"", 1024, {}},
      {"   ", 1024, {}},
      {"a.gb", 1024, {"a.gb"}},
      {"\"C:\\My Files\\a b.gb\" c.gb", 1024, {"C:\\My Files\\a b.gb", "c.gb"}},
      {"C:\\My Files\\a.gb", 1024, {"C:\\My", "Files\\a.gb"}},
      {"  x.gb   y.gb\t z.gb ", 1024, {"x.gb", "y.gb", "z.gb"}},
      // A quote inside a plain name stays; an unclosed quote runs to the end.
      {"ab\"c d", 1024, {"ab\"c", "d"}},
      {"\"a b", 1024, {"a b"}},
      // Two quoted names keep their blanks; empty quotes name nothing.
      {"\"a b\" \"c d\"", 1024, {"a b", "c d"}},
      {"\"\" x \"\"", 1024, {"x"}},
      {"\"a\"\"b\"", 1024, {"a", "b"}},
      // A lone quote at the end names no file either: no box for an empty path.
      {"x \"", 1024, {"x"}},
      {"\"", 1024, {}},
      {"nnnnnnnnnnnnnnnnnnnnnnnn short", 16, {"nnnnnnnnnnnnnnn", "short"}},
      {"abc", 1, {""}}};
  for (const auto& [line, capacity, names] : cases) EXPECT_EQ(Tokens(line, capacity), names) << line;
  char token[4];
  size_t cursor = 0;
  EXPECT_FALSE(NextCommandLineToken("abc", &cursor, token, 0));
  char command[InstanceCommandCapacity];
  ASSERT_TRUE(FormatInstanceCommand(command, sizeof command, "C:\\Program Files\\ZK\\ZK.exe", "D:\\a b.gb"));
  EXPECT_STREQ(command, "\"C:\\Program Files\\ZK\\ZK.exe\" \"D:\\a b.gb\"");
  // The new instance reads its own name back as one token.
  EXPECT_EQ(Tokens(command), (Strings{"C:\\Program Files\\ZK\\ZK.exe", "D:\\a b.gb"}));
  // Exactly full fits (10 bytes and the terminator); one byte less does not.
  const std::string huge(4000, 'p');
  const std::tuple<size_t, const char*, const char*> commands[] = {
      {11, "cde", "\"ab\" \"cde\""}, {10, "cde", ""}, {InstanceCommandCapacity, huge.c_str(), ""}};
  for (const auto& [size, name, expected] : commands) {
    std::vector<char> dest(size, 'z');
    EXPECT_EQ(FormatInstanceCommand(dest.data(), size, "ab", name), *expected != '\0') << size;
    EXPECT_STREQ(dest.data(), expected);
  }
  // The whole command line the system hands over starts with the program.
  const std::pair<const char*, const char*> whole[] = {{"\"C:\\Program Files\\ZK.exe\"  a.gb", "a.gb"},
                                                       {"ZK.exe \"b c.gb\"", "\"b c.gb\""},
                                                       {"\"C:\\ZK.exe", ""},
                                                       {"ZK.exe", ""}};
  for (const auto& [line, rest] : whole) EXPECT_STREQ(SkipProgramName(line), rest) << line;
  EXPECT_STREQ(SkipProgramName(nullptr), "");
}

TEST(SettingsStore, StoredValuesAreReadIntoRangeAndWrittenOnesReadBackTheSame) {
  // Cells, spacing, text and background indexes and colours, toolbar, HZ, code, frame. "TextColor"
  // holds the background; a width typed as a huge number is the widest, not a negative one.
  const SettingsRecord s;
  const std::pair<std::string, std::vector<long long>> cases[] = {
      {"",
       {s.charsPerLine, s.lineSpacing, s.textIndex, s.backIndex, s.textColour, s.backColour, s.showToolbar, s.supportHZ,
        CodeGb, 0, 0, 0, 0}},
      {"TextColor=20 BackColor=-3 CharsPerLine=8 LinePitch=0 Country=7 ToolBar=0 SupportHZ=0 Left=100 Top=10 "
       "Right=50 Bottom=300",
       {16, 2, 1, 15, 0x800000, 0xFFFFFF, 0, 0, CodeGb, 100, 10, 50, 300}},
      {"CharsPerLine=1000 LinePitch=17 Country=2 TextColor=0 BackColor=14",
       {512, 16, 14, 0, 0x00FFFF, 0, 1, 1, CodeShiftJis, 0, 0, 0, 0}},
      {"CharsPerLine=4294967376 Country=-1 BackColor=0", {512, 8, 0, 1, 0, 0x800000, 1, 1, CodeGb, 0, 0, 0, 0}},
      {"CharsPerLine=100cells Country=1", {100, 8, 15, 1, 0xFFFFFF, 0x800000, 1, 1, CodeBig5, 0, 0, 0, 0}}};
  for (const auto& [file, read] : cases) EXPECT_EQ(ReadBack(file), read) << file;
  // The sixteen colours: bit 2 red, bit 1 green, bit 0 blue, bit 3 bright; 8 is light grey.
  auto colour = [](long long i) -> long long {
    if (i == 8) return 0xC0C0C0;
    long long level = (i & 8) ? 0xFF : 0x80;
    return ((i & 4) ? level : 0) | ((i & 2) ? level << 8 : 0) | ((i & 1) ? level << 16 : 0);
  };
  for (int index = 0; index < 16; ++index) {
    std::vector<long long> read =
        ReadBack("TextColor=" + std::to_string(index) + " BackColor=" + std::to_string(15 - index));
    EXPECT_EQ(std::make_pair(read[4], read[5]), std::make_pair(colour(15 - index), colour(index))) << index;
  }
  Settings = SettingsRecord{100, 4, 14, 2, 0x00FFFF, 0x008000, 0, 0};
  FramePlacement frame{5, 6, 705, 506};
  stored.clear();
  WriteStoredSettings(WriteStored, CodeBig5, &frame);
  std::string file;
  for (const auto& [key, value] : stored) file += key + "=" + value + " ";
  EXPECT_EQ(file,
            "BackColor=14 Bottom=506 CharsPerLine=100 Country=1 Left=5 LinePitch=4 Right=705 SupportHZ=0 TextColor=2 "
            "ToolBar=0 Top=6 ");
  EXPECT_EQ(ReadBack(file),
            (std::vector<long long>{100, 4, 14, 2, 0x00FFFF, 0x008000, 0, 0, CodeBig5, 5, 6, 705, 506}));
  // A maximised frame leaves the stored rectangle alone.
  WriteStored("Left", "1");
  WriteStoredSettings(WriteStored, CodeBig5, nullptr);
  EXPECT_EQ(stored["Left"], "1");
  const std::pair<FramePlacement, bool> frames[] = {
      {{10, 20, 810, 620}, true},  {{10, 20, 10, 620}, false},         {{10, 620, 810, 20}, false},
      {{100, 10, 50, 300}, false}, {{INT_MAX, 0, INT_MIN, 10}, false}, {{0, INT_MAX, 10, INT_MIN}, false}};
  for (const auto& [rect, usable] : frames) EXPECT_EQ(IsUsablePlacement(rect), usable) << rect.left << " " << rect.top;
  // A frame wholly off every screen's work area is not put there.
  const FramePlacement screens[] = {{0, 0, 1280, 994}, {1280, 0, 2560, 1024}};
  const std::pair<FramePlacement, bool> placed[] = {{{-5000, -5000, -10, -10}, false},
                                                    {{-300, 100, 1, 400}, true},
                                                    {{2560, 0, 3000, 500}, false},
                                                    {{2000, 900, 2100, 1000}, true},
                                                    {{100, 994, 400, 1200}, false}};
  for (const auto& [rect, seen] : placed)
    EXPECT_EQ(MeetsAnyArea(rect, screens, 2), seen) << rect.left << " " << rect.top;
  EXPECT_FALSE(MeetsAnyArea({0, 0, 10, 10}, screens, 0));
}
