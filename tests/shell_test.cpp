// The shell around the document: message texts, numbers typed, whole-file reads, paths beside the program,
// titles, command lines, the stored settings, what the dialogs decide (the page's header and footer too),
// and the view: scrolling, painting, placing, and selecting lines and saving them.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "base/error_messages.h"
#include "base/file_io.h"
#include "base/integer_text.h"
#include "base/memory.h"
#include "base/program_path.h"
#include "base/prompts_headless.h"
#include "base/read_whole.h"
#include "base/settings_values.h"
#include "base/window_place.h"
#include "convert/character_tables.h"
#include "convert/convert_dialog.h"
#include "convert/convert_file.h"
#include "convert/converters.h"
#include "dialogs/colour_swatches.h"
#include "dialogs/dialog_fields.h"
#include "document/document.h"
#include "document/document_lines.h"
#include "document/file_name.h"
#include "document/glyph_font.h"
#include "document/line_bitmap.h"
#include "document/line_index.h"
#include "document/unicode_text.h"
#include "print/header_footer.h"
#include "print/print_state.h"
#include "shell/command_line.h"
#include "shell/command_state.h"
#include "shell/find_text.h"
#include "shell/frame_layout.h"
#include "shell/process_state.h"
#include "shell/save_part.h"
#include "shell/selection.h"
#include "shell/settings_store.h"
#include "shell/view_scroll.h"
#include "shell/view_state.h"
#include "tests/test_support.h"

using namespace std::string_literals;

namespace {
using Strings = std::vector<std::string>;
constexpr int Row = 24;  // the default line height

// The texts shown since the last look, cleared.
Strings Shown() {
  Strings shown;
  for (const HeadlessPrompt& prompt : HeadlessPrompts()) shown.push_back(prompt.text);
  ClearHeadlessPrompts();
  return shown;
}

Strings Tokens(const char* text, size_t capacity = 1024) {
  Strings tokens;
  std::vector<char> token(capacity);
  size_t cursor = 0;
  while (NextCommandLineToken(text, &cursor, token.data(), token.size())) tokens.emplace_back(token.data());
  return tokens;
}

// A source of `available` bytes that records the size of every read.
size_t available;
std::vector<size_t> reads;
size_t ReadRecorded(void*, uint8_t* dest, size_t count) {
  reads.push_back(count);
  size_t take = std::min(count, available);
  std::memset(dest, 'r', take);
  available -= take;
  return take;
}

// The stored file, as the profile functions would keep it.
std::map<std::string, std::string> stored;
bool ReadStored(const char* key, char* dest, size_t destSize) {
  auto found = stored.find(key);
  return found != stored.end() && std::snprintf(dest, destSize, "%s", found->second.c_str()) >= 0;
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

// A text of `lines` lines "Lnn" CR LF.
std::string Lines(int lines) {
  std::string text;
  for (int k = 0; k < lines; ++k) text.append("L").append(std::to_string(k)).append("\r\n");
  return text;
}

void Open(const std::string& text) {
  ASSERT_TRUE(PutDocumentText(nullptr, reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  int code = CodeGb;
  ASSERT_TRUE(BuildLineIndex(nullptr, static_cast<uint32_t>(text.size()), &code));
}

// What a key does: the effect of a vertical step, 1 or 0 for whether a
// horizontal one moved, -1 for a key that does not scroll.
int Press(int virtualKey, bool control = false) {
  ScrollKey key;
  if (!ScrollRequestForKey(virtualKey, control, &key)) return -1;
  if (key.bar == ScrollVertical) return ScrollVertically(key.request, 0);
  return ScrollHorizontally(key.request, 0) ? 1 : 0;
}

auto Tied(const SelectionRecord& s) { return std::make_tuple(s.anchor, s.end, s.dragging); }
}  // namespace

TEST(Texts, AMessageTakesItsPathAndFitsANumberTypedIsReadAfterBlanksAndKeptInRange) {
  const std::string longPath(5000, 'p'), fullPath = "C:\\" + std::string(256, 'd') + ".GB";
  const std::string table = "Cann't open the convert table file: ", hint = "\nCopy the file to ZK directory please.";
  const size_t Full = ErrorTextCapacity;
  // An argument is copied, not interpreted; a long path is cut, the line after it stays. A number
  // typed; then the number read, and the line width (16 to 256) and spacing (0 to 16) a dialog takes.
  // clang-format off
  const std::tuple<int, const char*, size_t, std::string> messages[] = {
      {ErrorOpenFile, "C:\\A.GB", Full, "Can not open the file : C:\\A.GB"},
      {ErrorOpenFile, nullptr, Full, "Can not open the file : "}, {ErrorOpenFile, "C:\\A.GB", 8, "Can not"},
      {ErrorOpenFontFile, "C:\\ZK\\ZKFT16.FON", Full, "Can not open the font file: C:\\ZK\\ZKFT16.FON"},
      {ErrorReadFile, "%s%n%x.txt", Full, "Can not read file : %s%n%x.txt"},
      {ErrorAllocMemory, "ignored", Full, "Can not alloc memory!"}, {ErrorOpenFile, "C:\\A.GB", 1, ""},
      {3, "x", Full, ""}, {24, "x", Full, ""}, {ErrorOpenConvertTable, fullPath.c_str(), Full, table + fullPath + hint},
      {ErrorOpenConvertTable, longPath.c_str(), Full,
       table + longPath.substr(0, Full - 1 - table.size() - hint.size()) + hint}};
  const std::tuple<const char*, int, int, int> numbers[] = {{"40", 40, 40, 16}, {" 40 then text", 40, 40, 16},
      {"\t+7x", 7, 16, 7}, {"+12x", 12, 16, 12}, {"-5", -5, 16, 0}, {"1", 1, 16, 1}, {"17", 17, 17, 16},
      {"300", 300, 256, 16}, {"abc", 0, 16, 0}, {"", 0, 16, 0}, {nullptr, 0, 16, 0}, {"--5", 0, 16, 0},
      {"- 5", 0, 16, 0}, {"2147483647", INT_MAX, 256, 16}, {"2147483648", INT_MAX, 256, 16},
      {"99999999999999999999999", INT_MAX, 256, 16}, {"-2147483648", INT_MIN, 16, 0}, {"-2147483649", INT_MIN, 16, 0},
      {"-99999999999999999999999", INT_MIN, 16, 0}};
  // clang-format on
  for (const auto& [id, argument, capacity, expected] : messages) {
    std::vector<char> text(capacity + 1, 'X');
    FormatErrorText(text.data(), capacity, id, argument);
    EXPECT_EQ(std::string(text.data()) + text[capacity], expected + "X") << id << " " << capacity;
  }
  char untouched[4] = "abc";
  FormatErrorText(nullptr, 10, ErrorOpenFile, "x");
  FormatErrorText(untouched, 0, ErrorOpenFile, "x");
  EXPECT_STREQ(untouched, "abc");
  SetHeadlessQuestionHandler([](const char* text) { return *text == '\0'; });
  EXPECT_TRUE(AskYesNo(nullptr, nullptr, nullptr));  // a question without a text is asked as an empty one
  for (const auto& [text, value, width, spacing] : numbers)
    EXPECT_EQ(std::make_tuple(ReadLeadingInteger(text), ReadLineWidthField(text), ReadLineSpacingField(text)),
              std::make_tuple(value, width, spacing))
        << (text ? text : "(null)");
  const char digits[4] = {'1', '2', '3', '4'};  // no terminator
  EXPECT_EQ(std::make_pair(ReadLeadingInteger(digits, 2), ReadLeadingInteger(nullptr, 5)), std::make_pair(12, 0));
}

TEST(ReadWhole, AskedBytesComeInPiecesAndAShortPieceStopsAtOnce) {
  struct Row {
    size_t asked, there;
    std::vector<size_t> pieces;  // the reads made, in order
    size_t result;
  };
  const Row rows[] = {
      {.asked = 32768, .there = 32768, .pieces = {32768}, .result = 32768},
      {.asked = 32769, .there = 32769, .pieces = {32768, 1}, .result = 32769},
      {.asked = 65536, .there = 65536, .pieces = {32768, 32768}, .result = 65536},
      {.asked = 5, .there = 5, .pieces = {5}, .result = 5},
      {.asked = 100000, .there = 99999, .pieces = {32768, 32768, 32768, 1696}, .result = 0},
      {.asked = 100000, .there = 10, .pieces = {32768}, .result = 0},
      {.asked = 0, .there = 0, .pieces = {0}, .result = 0},
  };
  for (const Row& row : rows) {
    Bytes buffer(row.asked + 1);
    std::tie(available, reads) = std::make_pair(row.there, std::vector<size_t>{});
    EXPECT_EQ(ReadWholeWith(ReadRecorded, nullptr, buffer.data(), row.asked), row.result) << row.asked;
    EXPECT_EQ(reads, row.pieces) << row.asked;
  }
}

TEST(Files, AFolderAMissingFileAndNoNameAreNeitherReadNorWritten) {
  // A file arrives byte for byte through LoadDocument (document_test).
  ScratchFolder folder;
  const std::string folderPath = folder.path.string(), missing = folder.File("missing.gb");
  for (const char* path : {folderPath.c_str(), missing.c_str(), "", static_cast<const char*>(nullptr)})
    EXPECT_FALSE(OpenForReading(path)) << (path ? path : "(null)");
  ReplacementRecord nameless;
  EXPECT_FALSE(StartReplacement(nullptr, &nameless) || StartReplacement("", &nameless));
}

TEST(Memory, ABlockThatCannotGrowOrBeHadStaysAsItWas) {
  Block<uint32_t> block = AllocateZeroed<uint32_t>(4);
  EXPECT_FALSE(GrowBlock(block, 0) || GrowBlock(block, SIZE_MAX / 2) || AllocateZeroed<uint32_t>(SIZE_MAX / 2));
  EXPECT_TRUE(block);
}

TEST(ProgramPath, TheFontOfEachCodeLiesBesideTheProgram) {
  const std::string deep = std::string(PathCapacity - 8, 'f') + "/z", tooLong(PathCapacity, 'x');
  const char *const Zk = "C:\\ZK\\ZK.EXE", *const Refused = nullptr;
  // A stored code out of range never indexes past the names.
  struct Row {
    const char* program;
    bool accepted;  // the program's path is kept
    int code;
    size_t capacity = PathCapacity;
    const char* font;  // Refused: the path does not fit
  };
  const Row rows[] = {
      {.program = Zk, .accepted = true, .code = CodeBig5, .font = "C:\\ZK\\ZKFT16.FON"},
      {.program = Zk, .accepted = true, .code = CodeGb, .font = "C:\\ZK\\ZKJT16.FON"},
      {.program = Zk, .accepted = true, .code = CodeShiftJis, .font = "C:\\ZK\\ZKJP16.FON"},
      {.program = Zk, .accepted = true, .code = 3, .font = "C:\\ZK\\ZKJT16.FON"},
      {.program = Zk, .accepted = true, .code = -4, .font = "C:\\ZK\\ZKJT16.FON"},
      {.program = "/opt/zk/bin/zk", .accepted = true, .code = 57, .font = "/opt/zk/bin/ZKJT16.FON"},
      {.program = "C:\\a/b\\zk.exe", .accepted = true, .code = CodeShiftJis, .font = "C:\\a/b\\ZKJP16.FON"},
      {.program = "ZK.EXE", .accepted = true, .code = CodeShiftJis, .font = "ZKJP16.FON"},
      {.program = nullptr, .accepted = true, .code = CodeGb, .font = "ZKJT16.FON"},
      {.program = tooLong.c_str(), .accepted = false, .code = CodeGb, .font = "ZKJT16.FON"},
      {.program = deep.c_str(), .accepted = true, .code = CodeGb, .font = Refused},
      {.program = Zk, .accepted = true, .code = CodeGb, .capacity = 12, .font = Refused},
      {.program = Zk, .accepted = true, .code = CodeGb, .capacity = 0, .font = Refused},
  };
  for (const Row& row : rows) {
    SetModulePath("D:\\OLD\\ZK.EXE");
    EXPECT_EQ(SetModulePath(row.program), row.accepted) << row.code;
    std::vector<char> path(row.capacity + 1, '\0');
    EXPECT_EQ(BuildFontPath(path.data(), row.capacity, row.code), row.font != Refused) << row.code;
    EXPECT_STREQ(path.data(), row.font ? row.font : "") << row.code;
  }
  EXPECT_FALSE(BuildPathBesideProgram(nullptr, 10, "x"));
}

TEST(FileName, TheDocumentIsNamedByThePathsLastComponentAndANullPathKeepsTheName) {
  const std::string longPath = "C:\\" + std::string(400, 'n');
  struct Row {
    const char* path;
    std::string name;
  };
  const Row rows[] = {
      {.path = "C:\\TEXT\\A.GB", .name = "A.GB"},
      {.path = "B.BIG5", .name = "B.BIG5"},
      {.path = "/home/user/c.jp", .name = "c.jp"},
      {.path = nullptr, .name = "c.jp"},
      {.path = longPath.c_str(), .name = std::string(255, 'n')},
  };
  for (const Row& row : rows) {
    SetDocumentFileName(row.path);
    EXPECT_EQ(Document.fileName, row.name) << (row.path ? row.path : "(null)");
  }
}

TEST(FileName, TheTitleAddsThePathAndIsCutToItsRoom) {
  const std::string product = "Larkspan for Windows(32) Ver.2.5";
  struct Row {
    size_t capacity;
    const char* path;
    std::string title;
  };
  const Row rows[] = {
      {.capacity = 300, .path = "C:\\TEXT\\A.GB", .title = product + " - C:\\TEXT\\A.GB"},
      {.capacity = 300, .path = nullptr, .title = product},
      {.capacity = 10, .path = "C:\\A.GB", .title = "Larkspan "},
      {.capacity = 0, .path = "C:\\A.GB", .title = "unchanged"},
  };
  for (const Row& row : rows) {
    char title[300] = "unchanged";
    ComposeFrameTitle(title, row.capacity, product.c_str(), row.path);
    EXPECT_EQ(title, row.title) << row.capacity;
  }
  ComposeFrameTitle(nullptr, 10, product.c_str(), "p");
}

TEST(CommandLine, NamesAreSplitAtBlanksUnlessQuotedAndANewInstanceGetsBothQuoted) {
  // A quote inside a plain name stays; an unclosed quote runs to the end; two quoted names keep their
  // blanks; empty quotes, and a lone quote at the end, name nothing (no box for an empty path). The
  // whole command line the system hands over starts with the program.
  // clang-format off
  const std::tuple<const char*, size_t, Strings> cases[] = {{"", 1024, {}}, {"   ", 1024, {}}, {"a.gb", 1024, {"a.gb"}},
      {"\"C:\\My Files\\a b.gb\" c.gb", 1024, {"C:\\My Files\\a b.gb", "c.gb"}},
      {"C:\\My Files\\a.gb", 1024, {"C:\\My", "Files\\a.gb"}},
      {"  x.gb   y.gb\t z.gb ", 1024, {"x.gb", "y.gb", "z.gb"}}, {"ab\"c d", 1024, {"ab\"c", "d"}},
      {"\"a b", 1024, {"a b"}}, {"\"a b\" \"c d\"", 1024, {"a b", "c d"}}, {"\"\" x \"\"", 1024, {"x"}},
      {"\"a\"\"b\"", 1024, {"a", "b"}}, {"x \"", 1024, {"x"}}, {"\"", 1024, {}},
      {"nnnnnnnnnnnnnnnnnnnnnnnn short", 16, {"nnnnnnnnnnnnnnn", "short"}}, {"abc", 1, {""}}, {"abc", 0, {}}};
  const std::pair<const char*, const char*> whole[] = {{"\"C:\\Program Files\\ZK.exe\"  a.gb", "a.gb"},
      {"ZK.exe \"b c.gb\"", "\"b c.gb\""}, {"\"C:\\ZK.exe", ""}, {"ZK.exe", ""}, {nullptr, ""}};
  // clang-format on
  for (const auto& [line, capacity, names] : cases) EXPECT_EQ(Tokens(line, capacity), names) << line;
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
  for (const auto& [line, rest] : whole) EXPECT_STREQ(SkipProgramName(line), rest) << (line ? line : "(null)");
}

TEST(SettingsStore, StoredValuesAreReadIntoRangeAndWrittenOnesReadBack) {
  // Cells, spacing, text and background indexes and colours, toolbar, HZ, code, frame. "TextColor"
  // holds the background; a width typed as a huge number is the widest, not a negative one.
  const std::pair<std::string, std::vector<long long>> cases[] = {
      {"", {80, 8, 15, 1, 0xFFFFFF, 0x800000, 1, 1, CodeGb, 0, 0, 0, 0}},
      {"TextColor=20 BackColor=-3 CharsPerLine=8 LinePitch=0 Country=7 ToolBar=0 SupportHZ=0 Left=100 Top=10 "
       "Right=50 Bottom=300",
       {16, 2, 1, 15, 0x800000, 0xFFFFFF, 0, 0, CodeGb, 100, 10, 50, 300}},
      {"CharsPerLine=1000 LinePitch=17 Country=2 TextColor=0 BackColor=14",
       {512, 16, 14, 0, 0x00FFFF, 0, 1, 1, CodeShiftJis, 0, 0, 0, 0}},
      {"CharsPerLine=4294967376 Country=-1 BackColor=0", {512, 8, 0, 1, 0, 0x800000, 1, 1, CodeGb, 0, 0, 0, 0}},
      {"CharsPerLine=100cells Country=1", {100, 8, 15, 1, 0xFFFFFF, 0x800000, 1, 1, CodeBig5, 0, 0, 0, 0}},
      {"Country=3", {80, 8, 15, 1, 0xFFFFFF, 0x800000, 1, 1, CodeUtf8, 0, 0, 0, 0}},
      {"Country=4", {80, 8, 15, 1, 0xFFFFFF, 0x800000, 1, 1, CodeGb, 0, 0, 0, 0}}};
  for (const auto& [file, read] : cases) EXPECT_EQ(ReadBack(file), read) << file;
  // Every Unicode form is stored as Unicode.
  for (int code : {int{CodeUtf8}, int{CodeUtf16Le}, int{CodeUtf16Be}}) {
    stored.clear();
    WriteStoredSettings(WriteStored, code, nullptr);
    EXPECT_EQ(stored["Country"], "3") << code;
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
}

TEST(SettingsStore, AStoredFrameIsUsedOnlyWithSizeAndOnAScreen) {
  const FramePlacement screens[] = {{0, 0, 1280, 994}, {1280, 0, 2560, 1024}};
  struct Row {
    FramePlacement frame;
    bool usable;  // it has width and height
    bool seen;    // it meets a screen's work area (read only for a usable one)
  };
  const Row rows[] = {
      {.frame = {10, 20, 810, 620}, .usable = true, .seen = true},
      {.frame = {10, 20, 10, 620}, .usable = false, .seen = true},
      {.frame = {10, 620, 810, 20}, .usable = false, .seen = true},
      {.frame = {100, 10, 50, 300}, .usable = false, .seen = true},
      {.frame = {INT_MAX, 0, INT_MIN, 10}, .usable = false, .seen = false},
      {.frame = {0, INT_MAX, 10, INT_MIN}, .usable = false, .seen = false},
      {.frame = {-5000, -5000, -10, -10}, .usable = true, .seen = false},
      {.frame = {-300, 100, 1, 400}, .usable = true, .seen = true},
      {.frame = {2560, 0, 3000, 500}, .usable = true, .seen = false},
      {.frame = {2000, 900, 2100, 1000}, .usable = true, .seen = true},
      {.frame = {100, 994, 400, 1200}, .usable = true, .seen = false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(IsUsablePlacement(row.frame), row.usable) << row.frame.left << " " << row.frame.top;
    EXPECT_EQ(MeetsAnyArea(row.frame, screens, 2), row.seen) << row.frame.left << " " << row.frame.top;
  }
  EXPECT_FALSE(MeetsAnyArea({0, 0, 10, 10}, screens, 0));
}

TEST(ColourSwatches, AClickMovesItsGroupsChoiceOnlyAndTheChoiceIsFramed) {
  // Buttons 1003..1018 are the character colours, 1019..1034 the background;
  // the defaults are white (15) on dark blue (1).
  SwatchRecord swatch;
  EXPECT_FALSE(SwatchForButton(1002, &swatch) || SwatchForButton(1035, &swatch));
  struct Row {
    int button;  // 0: none yet
    int text, back;
  };
  ColourChoice choice;
  const Row rows[] = {
      {.button = 0, .text = 15, .back = 1},
      {.button = 1003 + 4, .text = 4, .back = 1},
      {.button = 1019 + 14, .text = 4, .back = 14},
      {.button = 1019 + 4, .text = 4, .back = 4},
  };
  for (const Row& row : rows) {
    if (row.button != 0) PickSwatch(row.button, &choice);
    EXPECT_EQ(std::make_pair(choice.textIndex, choice.backIndex), std::make_pair(row.text, row.back)) << row.button;
    for (int id = 1003; id <= 1034; ++id)
      EXPECT_EQ(IsSwatchChosen(id, choice), id == 1003 + row.text || id == 1019 + row.back) << row.button << " " << id;
  }
  SwatchRect fill = SwatchFill({0, 0, 32, 20});
  EXPECT_EQ(std::make_tuple(fill.left, fill.top, fill.right, fill.bottom), std::make_tuple(3, 3, 29, 17));
}

TEST(ConvertDialog, LabelsAndButtonsFollowTheModeAndNamesAndTheCommandsRefuseWhatTheyCannotDo) {
  // The first code's buttons, then the other's, in each group.
  for (const auto& [mode, texts] : {std::pair{int{ConvertModeBig5}, "&GB Code|G&B Code|&Big5 Code|Big&5 Code"},
                                    {int{ConvertModeSjis}, "&GB Code|G&B Code|&Shift JIS Code|Shift &JIS Code"},
                                    {int{ConvertModeHz}, "&GB Code|G&B Code|&HZ Code|H&Z Code"},
                                    {int{ConvertModeGbUtf8}, "&GB Code|G&B Code|&UTF-8|UTF-&8"},
                                    {int{ConvertModeBig5Utf8}, "&Big5 Code|Big&5 Code|&UTF-8|UTF-&8"},
                                    {int{ConvertModeSjisUtf8}, "&Shift JIS Code|Shift &JIS Code|&UTF-8|UTF-&8"},
                                    {int{ConvertModeHzUtf8}, "&HZ Code|H&Z Code|&UTF-8|UTF-&8"}}) {
    const ConvertLabelsRecord labels = ConvertLabels(mode);
    EXPECT_EQ(labels.firstSource + "|"s + labels.firstTarget + "|" + labels.source + "|" + labels.target, texts)
        << mode;
  }
  // View needs a target, Convert both names.
  const std::tuple<const char*, const char*, bool, bool> buttons[] = {
      {"", "", false, false}, {"a.gb", "", false, false}, {"", "b.b5", true, false}, {"a", "b", true, true}};
  for (const auto& [source, target, view, convert] : buttons)
    EXPECT_EQ(std::make_pair(ConvertButtons(source, target).view, ConvertButtons(source, target).convert),
              std::make_pair(view, convert))
        << source << "|" << target;
  ScratchFolder folder;
  ConvertMode = ConvertModeHz;
  std::string source = folder.File("a.gb"), target = folder.File("A.GB");
  WriteFile(source, Bytes{'x', 0xB0, 0xA1});
  EXPECT_FALSE(ConvertNamedFiles(nullptr, source.c_str(), source.c_str(), true));
  const std::string same = "The target file name is same as source file name, cann't convert!";
  EXPECT_EQ(Shown(), Strings{same});
  // Names that differ only in case are different names: two files where
  // case matters, and where it does not, one file, refused as such.
#ifdef _WIN32
  EXPECT_FALSE(ConvertNamedFiles(nullptr, source.c_str(), target.c_str(), true));
  EXPECT_EQ(Shown(), Strings{same});
  target = folder.File("b.hz");
#endif
  EXPECT_TRUE(ConvertNamedFiles(nullptr, source.c_str(), target.c_str(), true));
  EXPECT_EQ(ReadFile(target), ToBytes("x~{0!"));
  EXPECT_TRUE(ConvertNamedFiles(nullptr, target.c_str(), folder.File("back.gb").c_str(), false));
  EXPECT_EQ(ReadFile(folder.File("back.gb")), ReadFile(source));
  EXPECT_FALSE(CanViewTarget(nullptr, ""));
  EXPECT_TRUE(CanViewTarget(nullptr, "anything"));
  // A program folder that cannot be written: the table command names the file it could not make; one
  // whose path leaves no room for a name: the table command and a conversion name their file alone.
  SetModulePath(folder.File("gone/ZK.EXE").c_str());
  EXPECT_FALSE(MakeCharacterTableFile(nullptr, CharacterTableBig5));
  SetModulePath((std::string(PathCapacity - 8, 'f') + "/z").c_str());
  EXPECT_FALSE(MakeCharacterTableFile(nullptr, CharacterTableGb));
  ConvertMode = ConvertModeBig5;
  EXPECT_FALSE(ConvertNamedFiles(nullptr, source.c_str(), target.c_str(), true));
  EXPECT_EQ(
      Shown(),
      (Strings{"Convert complete!", "Convert complete!", "Target file name is null, cann't view!",
               "Can not create the file : " + folder.File("gone/BIG5TBL.BG5"), "Can not create the file : GBTBL.GB",
               "Cann't open the convert table file: GBBIG5.TBL\nCopy the file to ZK directory please."}));
}

TEST(HeaderFooter, PartsAreComposedAlignedAndCutToTheLine) {
  const LocalTime June6 = {1996, 6, 6, 9, 5};
  auto chars = [](size_t count, char c = ' ') { return std::string(count, c); };
  const std::string name60 = "A"s + chars(38, 'n') + "Z" + chars(20, 'n'), name200 = chars(200, 'n');
  const std::string L30 = "&l" + chars(30, 'L');
  // Template, page, cells, file name, time; then the line. Unknown codes and a lone "&" insert nothing;
  // numbers are not padded, date and time are; later parts overwrite earlier ones, bytes as they are; a
  // part longer than the line keeps its start; a part holds at most 255 bytes.
  // clang-format off
  const std::tuple<std::string, int, int, std::string, LocalTime, std::string> cases[] = {
      {"&c&f &d &t", 1, 40, "SAMPLE.GB", June6, chars(7) + "SAMPLE.GB 1996/06/06 09:05" + chars(7)},
      {"&c&p", 1, 40, "", June6, chars(19) + "1" + chars(20)},
      {"Draft", 1, 40, "", June6, chars(17) + "Draft" + chars(18)},
      {"&lPage &p&r&d", 1, 40, "", June6, "Page 1" + chars(24) + "1996/06/06"},
      {"&cA&cB", 1, 40, "", June6, chars(19) + "B" + chars(20)}, {"", 1, 40, "", June6, ""}, {"x", 1, 0, "", June6, ""},
      {"x", 1, -5, "", June6, ""}, {"&l&r", 1, 40, "", June6, chars(40)},
      {"&F&P&D&T&&x", 1, 40, "", June6, chars(19) + "x" + chars(20)}, {"&lab&", 1, 40, "", June6, "ab" + chars(38)},
      {"&l&p", 9, 40, "", June6, "9" + chars(39)}, {"&l&p", 10, 40, "", June6, "10" + chars(38)},
      {"&l&d &t", 1, 40, "", {2001, 1, 2, 0, 0}, "2001/01/02 00:00" + chars(24)},
      {"&l&t", 1, 40, "", {2001, 1, 2, 23, 59}, "23:59" + chars(35)},
      {"&l\xB5\xDA&p", 1, 40, "", June6, "\xB5\xDA" "1" + chars(37)},
      {L30 + "&r" + chars(15, 'R'), 1, 40, "", June6, chars(25, 'L') + chars(15, 'R')},
      {L30 + "&c" + chars(10, 'C'), 1, 40, "", June6, chars(15, 'L') + chars(10, 'C') + chars(5, 'L') + chars(10)},
      {"&l" + chars(39, 'L') + "\xB5\xDA&rR", 1, 40, "", June6, chars(39, 'L') + "R"},
      {"&c&f", 1, 40, name60, June6, name60.substr(0, 40)}, {"&r&f", 1, 40, name60, June6, name60.substr(0, 40)},
      {"&l&f", 1, 40, name60, June6, name60.substr(0, 40)}, {"&c" + chars(41, 'c'), 1, 40, "", June6, chars(40, 'c')},
      {"&l&f&f", 1, 512, name200, June6, chars(255, 'n') + chars(257)},
      {"&l&f&f&r&f&f", 1, 512, name200, June6, chars(255, 'n') + chars(2) + chars(255, 'n')}};
  // clang-format on
  for (const auto& [text, page, width, fileName, now, expected] : cases) {
    uint8_t line[600];
    size_t length = ComposeHeaderFooter(text.c_str(), page, fileName.c_str(), now, width, line, sizeof line);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(line), length), expected) << text;
  }
  // The line stays within its buffer.
  uint8_t line[20];
  line[19] = 0xEE;
  EXPECT_EQ(ComposeHeaderFooter("&cWide", 1, "F", June6, 512, line, 19), 19u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(line), 20), chars(7) + "Wide" + chars(8) + "\xEE");
}

TEST(ViewScrolling, AHundredLinesInThirtyRowsAndEightyCellsInSeventyFiveColumns) {
  // Line spacing, client size; then what the view makes of them (the dialog's 0 is drawn as set). A key,
  // a bar's request and position, or a view size; then the effect, first line and first column.
  // Page Down keeps one row and may run past lineCount - visibleRows (the rows below are blank);
  // Ctrl+Right pages 74 columns, held at the last 5; a view lower than a row pages by one line, and one
  // 12 columns wide by 11 columns.
  enum Kind { Key, Ctrl, VBar, HBar, Size };
  constexpr int None = ScrollEffectNone, RowDown = ScrollEffectRowDown, RowUp = ScrollEffectRowUp,
                Repaint = ScrollEffectRepaint, Moved = 1, Stayed = 0, Ignored = -1;
  constexpr int Track = ScrollThumbTrack, Thumb = ScrollThumbPosition, Top = ScrollTop, Bottom = ScrollBottom,
                Back = ScrollLineUp, Ahead = ScrollLineDown, Enter = 13, Q = 0x51, Unknown = 99;
  // clang-format off
  const std::tuple<int, int, int, int, int, int, int> cases[] = {{8, 645, 730, 645, 80, 30, 24},
      {16, 0x10000 + 100, 64, 100, 12, 2, 32}, {0, 640, 36, 640, 80, 2, 16}, {-4, 640, 36, 640, 80, 2, 16},
      {8, 640, 10, 640, 80, 0, 24}};
  const std::tuple<Kind, int, int, int, int, int> steps[] = {{Key, KeyUp, 0, None, 0, 0},
      {Key, KeyDown, 0, RowUp, 1, 0}, {Key, KeyUp, 0, RowDown, 0, 0}, {Key, KeyEnd, 0, Repaint, 70, 0},
      {Ctrl, KeyDown, 0, None, 70, 0}, {Key, KeyHome, 0, Repaint, 0, 0}, {Key, KeyPageDown, 0, Repaint, 29, 0},
      {Key, KeyPageUp, 0, Repaint, 0, 0}, {Key, KeyPageDown, 0, Repaint, 29, 0}, {Key, KeyPageDown, 0, Repaint, 58, 0},
      {Key, KeyPageDown, 0, Repaint, 87, 0}, {Key, KeyPageDown, 0, None, 87, 0}, {Key, Enter, 0, Ignored, 87, 0},
      {Ctrl, Q, 0, Ignored, 87, 0}, {VBar, Track, 42, Repaint, 42, 0}, {VBar, Thumb, 7, Repaint, 7, 0},
      {VBar, Unknown, 0, None, 7, 0}, {Ctrl, KeyRight, 0, Moved, 7, 5}, {Key, KeyRight, 0, Stayed, 7, 5},
      {Ctrl, KeyRight, 0, Stayed, 7, 5}, {HBar, Bottom, 0, Stayed, 7, 5}, {Key, KeyLeft, 0, Moved, 7, 4},
      {Ctrl, KeyLeft, 0, Moved, 7, 0}, {Key, KeyLeft, 0, Stayed, 7, 0}, {Ctrl, KeyLeft, 0, Stayed, 7, 0},
      {HBar, Ahead, 0, Moved, 7, 1}, {HBar, Back, 0, Moved, 7, 0}, {HBar, Top, 0, Stayed, 7, 0},
      {HBar, Bottom, 0, Moved, 7, 5}, {HBar, Top, 0, Moved, 7, 0}, {HBar, Thumb, 3, Stayed, 7, 0},
      {HBar, Track, 3, Moved, 7, 3}, {Size, 100, 10, None, 7, 3}, {Ctrl, KeyRight, 0, Moved, 7, 14},
      {Ctrl, KeyLeft, 0, Moved, 7, 3}, {Key, KeyPageDown, 0, Repaint, 8, 3}, {Key, KeyPageUp, 0, Repaint, 7, 3},
      {VBar, Track, 0, Repaint, 0, 3}, {Key, KeyPageUp, 0, Repaint, 0, 3}, {Key, KeyEnd, 0, Repaint, 100, 3},
      {Size, 600, 240, None, 100, 3}, {VBar, Track, 3, Repaint, 3, 3}, {Key, KeyPageUp, 0, Repaint, 0, 3},
      {Size, 600, 2500, None, 0, 3}, {Key, KeyEnd, 0, Repaint, 0, 3}, {Key, KeyPageDown, 0, None, 0, 3},
      {Key, KeyDown, 0, None, 0, 3}};
  // clang-format on
  for (const auto& [spacing, width, height, clientWidth, columns, rows, rowHeight] : cases) {
    Settings.lineSpacing = spacing;
    SetViewClientSize(width, height);
    EXPECT_EQ(std::make_tuple(ViewState.clientWidth, ViewState.visibleColumns, ViewState.visibleRows, ViewLineHeight()),
              std::tie(clientWidth, columns, rows, rowHeight))
        << spacing << " " << width << "x" << height;
  }
  Open(Lines(100));
  SetViewClientSize(600, 30 * Row + 10);
  ScrollBarPlan vertical = PlanVerticalBar(), horizontal = PlanHorizontalBar();
  EXPECT_EQ(std::make_tuple(vertical.shown, vertical.maximum, horizontal.shown, horizontal.maximum),
            std::make_tuple(true, 70, true, 5));
  for (size_t i = 0; i < std::size(steps); ++i) {
    const auto& [kind, a, b, effect, firstLine, firstColumn] = steps[i];
    int done = kind == Key    ? Press(a)
               : kind == Ctrl ? Press(a, true)
               : kind == VBar ? ScrollVertically(a, b)
               : kind == HBar ? (ScrollHorizontally(a, b) ? Moved : Stayed)
                              : (SetViewClientSize(a, b), None);
    EXPECT_EQ(std::tie(done, ViewState.firstLine, ViewState.firstColumn), std::tie(effect, firstLine, firstColumn))
        << "step " << i;
  }
  // As many rows as lines: no vertical bar. Widened past the line, the
  // horizontal bar goes and the view returns to column 0; so without a document.
  EXPECT_EQ(std::make_pair(PlanVerticalBar().shown, PlanVerticalBar().maximum), std::make_pair(false, 0));
  SetViewClientSize(800, 240);
  EXPECT_EQ(std::make_pair(PlanHorizontalBar().shown, ViewState.firstColumn), std::make_pair(false, 0));
  ClearDocument();
  SetViewClientSize(300, 240);
  ViewState.firstColumn = 4;
  EXPECT_FALSE(PlanVerticalBar().shown || PlanHorizontalBar().shown);
  EXPECT_EQ(ViewState.firstColumn, 0);
  const std::tuple<int, int, int> thumbs[] = {
      {0x1234, 0x51234, 0x51234}, {0x1234, 0x51235, 0x1234}, {0xFFFF, -1, 0xFFFF}, {0x10005, 5, 5}};
  for (const auto& [position16, track, wideLine] : thumbs)
    EXPECT_EQ(WidenThumbPosition(position16, track), wideLine) << track;
}

TEST(ViewLayout, OnlyRowsMeetingTheRectangleArePaintedTheViewFillsTheClientAndDialogsCentreOverTheOwner) {
  // Pixel rows to paint: 30 whole rows and the partial one below; one row; rows straddled; none; no more
  // than the view holds. The bytes of a row, how many may be read (up to the 0 after the text), its
  // highlight; a blank past either end. A frame shrunk to its caption leaves no room, never a negative
  // size. A dialog: truncated; owner off the left edge; (10 - 200) / 2 truncating to -95; pulled back
  // inside; larger than the screen.
  // clang-format off
  const std::tuple<int, int, int, int> paints[] = {{0, 30 * Row + 10, 10, 40}, {29 * Row, 30 * Row, 39, 39},
      {0, Row, 10, 10}, {23, 25, 10, 11}, {-5, Row, 10, 10}, {50, 50, 0, -1}, {0, 2000, 10, 40}};
  const std::tuple<int, std::string, size_t, bool> rows[] = {{0, "L0\r\n", 13, false}, {1, "L1\r\n", 9, true},
      {2, "L2\r\n", 5, true}, {3, " ", 2, false}, {-1, " ", 2, false}};
  const std::tuple<int, int, bool, int, int, int> frames[] = {{800, 600, true, 29, 800, 571},
      {800, 600, false, 0, 800, 600}, {0, 10, true, 29, 0, 0}, {-4, 10, false, 0, 0, 10}};
  const std::tuple<int, int, int, int> dialogs[] = {{100, 400, 200, 200}, {100, 401, 200, 200}, {-300, 400, 200, 0},
      {-100, 10, 200, 0}, {900, 400, 200, 824}, {0, 100, 1200, 0}, {1000, 400, 1200, -176}};
  // clang-format on
  Open(Lines(100));
  SetViewClientSize(640, 30 * Row + 10);
  ViewState.firstLine = 10;
  for (const auto& [top, bottom, from, to] : paints) {
    LineRange range = LinesToPaint(top, bottom);
    EXPECT_EQ(std::tie(range.from, range.to), std::tie(from, to)) << top << ".." << bottom;
  }
  ViewState.firstColumn = 3;
  EXPECT_EQ(LineLeft(), -24);
  Open(Lines(3));
  Selection = {2, 1, 0};
  for (const auto& [line, bytes, readable, selected] : rows) {
    RowText row = RowTextForLine(line);
    EXPECT_EQ(
        std::make_tuple(std::string(reinterpret_cast<const char*>(row.bytes), row.count), row.readable, row.selected),
        std::tie(bytes, readable, selected))
        << line;
  }
  for (const auto& [width, height, toolbar, y, viewWidth, viewHeight] : frames) {
    ViewPlacement place = PlaceView(width, height, toolbar, 28);
    EXPECT_EQ(std::tie(place.x, place.y, place.width, place.height), std::make_tuple(0, y, viewWidth, viewHeight))
        << width << "x" << height;
  }
  for (const auto& [ownerStart, ownerSize, dialogSize, start] : dialogs)
    EXPECT_EQ(CentreCoordinate(ownerStart, ownerSize, dialogSize, 1024), start) << ownerStart << " " << dialogSize;
}

TEST(Selection, PressDragAndTimerPickWholeLinesScrollingOutsideTheViewAndASavedPartHoldsTheirBytes) {
  // A view of 30 whole rows and a partial one, 740 pixels high.
  enum Kind { PressAtY, DragToY, TimerAtY };
  const SelectionRecord None{}, Dragging{10, 10, 1}, Held{3, 50, 1};
  // One long text line broken into display lines of 16 cells, then more: 16, 16, 8 + CR LF, then three
  // lines. A piece of a long line saves no line end; dragged upwards is document order; past the end
  // adds nothing; the row below the last line alone nothing at all.
  const std::string text = std::string(40, 'a') + "\r\n" + Lines(3);
  // The step, first line, selection, y and line count; then the first line, selection and repaint.
  // clang-format off
  const std::pair<SelectionRecord, std::string> saved[] = {{{1, 1, 0}, std::string(16, 'a')},
      {{4, 0, 0}, text.substr(0, text.find("L2"))}, {{5, 9, 0}, "L2\r\n"}, {{6, 6, 0}, ""}};
  const std::tuple<Kind, int, SelectionRecord, int, int, int, SelectionRecord, bool> steps[] = {
      {PressAtY, 0, None, 3 * Row + 5, 10, 0, {3, 3, 1}, true}, {PressAtY, 4, None, Row - 1, 10, 4, {4, 4, 1}, true},
      // The row just below the last line starts one, further below nothing does.
      {PressAtY, 0, None, 10 * Row, 10, 0, {10, 10, 1}, true}, {PressAtY, 0, None, 11 * Row, 10, 0, None, false},
      // A selection is only cleared; without a document nothing happens.
      {PressAtY, 0, None, -3, 10, 0, None, false}, {PressAtY, 0, {2, 6, 0}, 3 * Row, 10, 0, None, true},
      {PressAtY, 0, None, 3 * Row, 0, 0, None, false},
      {DragToY, 0, Dragging, 12 * Row + 3, 100, 0, {10, 12, 1}, true},
      {DragToY, 0, Dragging, 0, 100, 0, {10, 0, 1}, true}, {DragToY, 20, Dragging, 5 * Row, 100, 20, {10, 25, 1}, true},
      {DragToY, 0, Dragging, 741, 100, 1, {10, 31, 1}, true},
      // The partial row is still inside; at the end the view stays; the end may pass a short document.
      {DragToY, 0, Dragging, 740, 100, 0, {10, 30, 1}, true}, {DragToY, 70, Dragging, 780, 100, 70, {10, 100, 1}, true},
      {DragToY, 0, {2, 2, 1}, 20 * Row, 5, 0, {2, 20, 1}, true}, {DragToY, 5, Dragging, -1, 100, 4, {10, 4, 1}, true},
      {DragToY, 0, Dragging, -200, 100, 0, {10, 0, 1}, true},
      // Over a whole row the timer does nothing; on the partial row and below it scrolls a line toward the
      // end, the end on the row below the last whole one; above the view it scrolls back.
      {TimerAtY, 40, Held, 10 * Row, 100, 40, Held, false}, {TimerAtY, 0, Held, 30 * Row + 2, 100, 1, {3, 31, 1}, true},
      {TimerAtY, 69, Held, 800, 100, 70, {3, 100, 1}, true}, {TimerAtY, 70, Held, 800, 100, 70, {3, 100, 1}, true},
      {TimerAtY, 40, Held, -5, 100, 39, {3, 39, 1}, true}, {TimerAtY, 0, Held, -5, 100, 0, {3, 0, 1}, true}};
  // clang-format on
  for (const auto& [kind, first, before, y, lines, newFirst, after, repaint] : steps) {
    SelectionStep step = kind == PressAtY  ? PressAt(first, before, y, lines)
                         : kind == DragToY ? DragTo(first, 30, before, y, 740, lines)
                                           : StepTimer(first, 30, before, y, lines);
    EXPECT_EQ(std::tuple_cat(std::tie(step.firstLine), Tied(step.selection), std::tie(step.repaint)),
              std::tuple_cat(std::tie(newFirst), Tied(after), std::tie(repaint)))
        << kind << " " << first << " " << y;
  }
  ScratchFolder folder;
  const std::string path = folder.File("part.txt");
  Settings.charsPerLine = 16;
  Open(text);
  for (const auto& [selection, bytes] : saved) {
    Selection = selection;
    std::remove(path.c_str());
    ASSERT_TRUE(WriteSelectedLines(nullptr, path.c_str()));
    EXPECT_EQ(ReadFile(path), ToBytes(bytes));
    EXPECT_EQ(Tied(Selection), Tied(selection));  // the save leaves the selection alone
  }
  EXPECT_EQ(Shown(), Strings{});
}

TEST(SavePart, AFileIsReplacedOnlyOnYesAndWholeTheOpenDocumentNeverAndEveryFailureIsShown) {
  ScratchFolder folder;
  const std::string document = folder.File("document.txt"), old = folder.File("old.txt"),
                    nowhere = folder.File("missing/part.txt"), full = FullDevice(), text = Lines(3000);
  WriteFile(document, ToBytes(text));
  std::filesystem::create_directory(PathFromUtf8(folder.File("sub")));
  std::filesystem::create_hard_link(PathFromUtf8(document), PathFromUtf8(folder.File("hard.txt")));
  ASSERT_TRUE(LoadAndIndexDocument(nullptr, document.c_str()));
  static bool yes;
  SetHeadlessQuestionHandler([](const char*) { return yes; });
  const std::string same = "The target file name is same as source file name, cann't convert!", two = "L1\r\nL2\r\n";
  auto question = [](const std::string& path) { return "File " + path + " is existed, Overwrite it ?"; };
  struct Case {
    std::string path;
    bool yes;
    Strings shown;
    std::optional<std::string> left;  // what the file then holds; none: nothing there
    int lastLine = 2;                 // the selection runs from line 1
  };
  std::vector<Case> cases = {
      {folder.File("new.txt"), false, {}, two},  // nothing there: no question
      {old, false, {question(old)}, "old"},
      {old, true, {question(old)}, two},
      // The open document, by its own name or another, is refused before any question.
      {document, true, {same}, text},
      {folder.File("./sub/../document.txt"), true, {same}, text},
      {folder.File("hard.txt"), true, {same}, text},
      {nowhere, true, {"Can not create the file : " + nowhere}, std::nullopt},
  };
  // A disk that is full fails the write: at the close for a small part, at once for one larger
  // than the file's buffer.
  if (!full.empty()) {
    for (int lastLine : {2, 2999})
      cases.push_back({full, true, {question(full), "Can not write the file: " + full}, std::nullopt, lastLine});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    WriteFile(old, ToBytes("old"));
    yes = c.yes;
    Selection = {1, c.lastLine, 0};
    EXPECT_EQ(WriteSelectedLines(nullptr, c.path.c_str()), c.left == two);
    EXPECT_EQ(Shown(), c.shown);
    if (c.path == full) continue;
    EXPECT_EQ(std::filesystem::exists(PathFromUtf8(c.path)), c.left.has_value());
    if (c.left) {
      EXPECT_EQ(ReadFile(c.path), ToBytes(*c.left));
    }
  }
  // Nothing but what the cases wrote.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path), {}), 5);
}

TEST(SavePart, APartOfAUtf16TextHasItsByteOrderMarkInFront) {
  ScratchFolder folder;
  const std::string part = folder.File("part.txt");
  // Two lines of "ab" CR LF in each byte order, the mark in front; a part from the first line has the
  // mark already, one from the second gets it.
  const struct {
    Bytes text;
    int firstLine;
    Bytes saved;
  } cases[] = {
      {.text = {0xFF, 0xFE, 'a', 0, '\r', 0, '\n', 0, 'b', 0, '\r', 0, '\n', 0},
       .firstLine = 1,
       .saved = {0xFF, 0xFE, 'b', 0, '\r', 0, '\n', 0}},
      {.text = {0xFE, 0xFF, 0, 'a', 0, '\r', 0, '\n', 0, 'b', 0, '\r', 0, '\n'},
       .firstLine = 1,
       .saved = {0xFE, 0xFF, 0, 'b', 0, '\r', 0, '\n'}},
      {.text = {0xFF, 0xFE, 'a', 0, '\r', 0, '\n', 0, 'b', 0, '\r', 0, '\n', 0},
       .firstLine = 0,
       .saved = {0xFF, 0xFE, 'a', 0, '\r', 0, '\n', 0}},
      // A UTF-8 part is its bytes alone.
      {.text = ToBytes("\xEF\xBB\xBF\xE4\xB8\xAD\r\nb\r\n"), .firstLine = 1, .saved = ToBytes("b\r\n")},
  };
  for (const auto& [text, firstLine, saved] : cases) {
    WriteFile(folder.File("text"), text);
    ASSERT_TRUE(LoadAndIndexDocument(nullptr, folder.File("text").c_str()));
    std::filesystem::remove(PathFromUtf8(part));
    Selection = {firstLine, firstLine, 0};
    EXPECT_TRUE(WriteSelectedLines(nullptr, part.c_str()));
    EXPECT_EQ(ReadFile(part), saved) << CodeType;
  }
}

TEST(CommandState, EachConditionReadsTheRecordItNames) {
  struct Row {
    int condition;
    bool atStart;    // no document, GB, HZ decoded, the toolbar shown
    bool afterward;  // a Big5 document with a line selected, HZ off, the toolbar hidden
  };
  const Row rows[] = {
      {.condition = ConditionAlways, .atStart = true, .afterward = true},
      {.condition = ConditionNever, .atStart = false, .afterward = false},
      {.condition = ConditionSelection, .atStart = false, .afterward = true},
      {.condition = ConditionLines, .atStart = false, .afterward = true},
      {.condition = ConditionCodeGb, .atStart = true, .afterward = false},
      {.condition = ConditionCodeBig5, .atStart = false, .afterward = true},
      {.condition = ConditionCodeSjis, .atStart = false, .afterward = false},
      {.condition = ConditionCodeUnicode, .atStart = false, .afterward = false},
      {.condition = ConditionHzSupport, .atStart = true, .afterward = false},
      {.condition = ConditionToolbar, .atStart = true, .afterward = false},
  };
  for (const Row& row : rows) EXPECT_EQ(ConditionHolds(row.condition), row.atStart) << row.condition;
  ASSERT_TRUE(PutDocumentText(nullptr, ToBytes("a\nb\n").data(), 4) && SwitchDocumentCode(nullptr, CodeBig5));
  Selection = SelectionRecord{.anchor = 1, .end = 0};
  ToggleSetting(&Settings.supportHZ);
  ToggleSetting(&Settings.showToolbar);
  for (const Row& row : rows) EXPECT_EQ(ConditionHolds(row.condition), row.afterward) << row.condition;
  // UTF-8 and UTF-16 alike are the one Unicode command.
  for (int code : {CodeUtf8, CodeUtf16Le, CodeUtf16Be}) {
    CodeType = code;
    EXPECT_TRUE(ConditionHolds(ConditionCodeUnicode) && !ConditionHolds(ConditionCodeGb)) << code;
  }
}

TEST(CommandState, AToggleTurnsAnyStoredValueOnOrOff) {
  struct Row {
    int stored;
    int toggled;
  };
  for (const Row row : {Row{.stored = 0, .toggled = 1}, Row{.stored = 1, .toggled = 0}, Row{.stored = 7, .toggled = 0},
                        Row{.stored = -1, .toggled = 0}}) {
    int value = row.stored;
    ToggleSetting(&value);
    EXPECT_EQ(value, row.toggled) << row.stored;
  }
}

TEST(ProcessState, TheResetPutsEveryRecordBackAsTheProgramStarts) {
  ASSERT_TRUE(PutDocumentText(nullptr, ToBytes("a\n").data(), 2) && SwitchDocumentCode(nullptr, CodeShiftJis));
  std::strcpy(Document.fileName, "a.txt");
  Settings.charsPerLine = 40;
  ViewState.firstLine = 3;
  Selection.anchor = 0;
  GlyphFont.size = 5;
  LineBitmap.bytesPerRow = 4;
  ConvertMode = ConvertModeHz;
  ConvertOutputBuffer.count = 3;
  PrintState.totalPages = 2;
  SetModulePath("/zk/zk");
  FailAllocationsAfter(0);
  ResetProcessState();
  EXPECT_TRUE(Document.text == nullptr && Document.LineIndex == nullptr && Document.textLength == 0 &&
              Document.lineCount == 0 && Document.fileName[0] == '\0' && CodeType == CodeGb);
  EXPECT_EQ(std::make_tuple(Settings.charsPerLine, ViewState.firstLine, HasSelection(), GlyphFont.size,
                            LineBitmap.bytesPerRow, ConvertMode, ConvertOutputBuffer.count, PrintState.totalPages),
            std::make_tuple(80, 0, false, size_t{0}, 0, int{ConvertModeBig5}, size_t{0}, 0));
  EXPECT_EQ(std::string(ModulePath), "");
  EXPECT_NE(AllocateZeroed<uint8_t>(1), nullptr);
}

TEST(Selection, ALineIsSelectedBetweenAnchorAndEndInEitherOrder) {
  struct Row {
    SelectionRecord selection;
    std::vector<int> selected;  // of lines 0 to 5
  };
  const Row rows[] = {
      {.selection = {}, .selected = {}},
      {.selection = {.anchor = 1, .end = 3}, .selected = {1, 2, 3}},
      {.selection = {.anchor = 4, .end = 2}, .selected = {2, 3, 4}},
      {.selection = {.anchor = 5, .end = 5}, .selected = {5}},
  };
  for (const Row& row : rows) {
    Selection = row.selection;
    std::vector<int> selected;
    for (int line = 0; line <= 5; ++line)
      if (IsLineSelected(line)) selected.push_back(line);
    EXPECT_EQ(selected, row.selected) << row.selection.anchor << " " << row.selection.end;
  }
}

TEST(FindText, ASearchStartsAfterTheSelectionOrAtTheViewAsksAtTheEndAndSaysWhatItCannotFind) {
  // Twelve lines, "ab" on lines 3 and 9; a view of four rows from line 5.
  std::string text;
  for (int line = 0; line < 12; ++line) text += line == 3 || line == 9 ? "xab\n" : "xyz\n";
  ASSERT_TRUE(PutDocumentText(nullptr, ToBytes(text).data(), text.size()));
  int code = CodeGb;
  ASSERT_TRUE(BuildLineIndex(nullptr, Document.textLength, &code));
  CodeType = CodeGb;
  static bool answer = true;
  SetHeadlessQuestionHandler([](const char*) { return answer; });
  struct Row {
    SelectionRecord selection;
    bool forward;
    bool yes;  // the answer at the end
    int found;
    std::vector<std::string> asked;
  };
  const std::string end = "The end of the text is reached. Go on from the top?",
                    top = "The top of the text is reached. Go on from the end?";
  const Row rows[] = {
      // From the view's top (line 5) on, and from its bottom (line 9, not in it) back.
      {.selection = {}, .forward = true, .yes = true, .found = 9, .asked = {}},
      {.selection = {}, .forward = false, .yes = true, .found = 3, .asked = {}},
      // After the selection, either order of its ends; before it backwards.
      {.selection = {.anchor = 4, .end = 2}, .forward = true, .yes = true, .found = 9, .asked = {}},
      {.selection = {.anchor = 9, .end = 9}, .forward = false, .yes = true, .found = 3, .asked = {}},
      // Past the end: asked, then from the other end, or nothing on No.
      {.selection = {.anchor = 9, .end = 9}, .forward = true, .yes = true, .found = 3, .asked = {end}},
      {.selection = {.anchor = 9, .end = 10}, .forward = true, .yes = false, .found = -1, .asked = {end}},
      {.selection = {.anchor = 3, .end = 3}, .forward = false, .yes = true, .found = 9, .asked = {top}},
  };
  FindRecord find;
  find.text = {'A', 'B'};
  for (const Row& row : rows) {
    ClearHeadlessPrompts();
    Selection = row.selection;
    ViewState.firstLine = 5;
    ViewState.visibleRows = 4;
    answer = row.yes;
    find.forward = row.forward;
    EXPECT_EQ(FindNextLine(nullptr, find), row.found) << row.selection.anchor << " " << row.forward;
    std::vector<std::string> asked;
    for (const HeadlessPrompt& prompt : HeadlessPrompts()) asked.push_back(prompt.text);
    EXPECT_EQ(asked, row.asked);
  }
  // Only where the case is the same when asked; a text found nowhere is said so.
  find.matchCase = true;
  find.forward = true;
  ClearHeadlessPrompts();
  Selection = {};
  ViewState.firstLine = 0;
  EXPECT_EQ(FindNextLine(nullptr, find), -1);
  std::vector<std::string> said;
  for (const HeadlessPrompt& prompt : HeadlessPrompts()) said.push_back(prompt.text);
  // A character the code lacks, and any text in an empty document, without a search.
  find.text = {0x1F600};
  EXPECT_EQ(FindNextLine(nullptr, find), -1);
  find.text = {'A', 'B'};
  Document.lineCount = 0;
  EXPECT_EQ(FindNextLine(nullptr, find), -1);
  for (size_t k = said.size(); k < HeadlessPrompts().size(); ++k) said.push_back(HeadlessPrompts()[k].text);
  EXPECT_EQ(said, (std::vector<std::string>{"Cannot find \"AB\"", "Cannot find \"😀\"", "Cannot find \"AB\""}));
  // The line found is selected alone, and brought into the view when out of it.
  ViewState.firstLine = 0;
  ShowFoundLine(2);
  EXPECT_EQ(std::make_tuple(Selection.anchor, Selection.end, ViewState.firstLine), std::make_tuple(2, 2, 0));
  ShowFoundLine(11);
  EXPECT_EQ(std::make_tuple(Selection.anchor, Selection.end, ViewState.firstLine), std::make_tuple(11, 11, 9));
  // Go to Line's number, within the lines.
  const std::tuple<const char*, int, int> numbers[] = {
      {"7", 12, 7}, {"0", 12, 1}, {"99", 12, 12}, {"x", 12, 1}, {"5", 0, 1}};
  for (const auto& [typed, count, line] : numbers) EXPECT_EQ(ReadLineNumberField(typed, count), line) << typed;
}

TEST(UnicodeText, ARunOfTextBecomesUtf16WithCrLfLineEndsAndMarksForBytesThatAreNoCharacter) {
  const struct {
    int code;
    std::string bytes;
    std::u16string text;
  } rows[] = {
      {CodeGb, "ab\ncd\r\n", u"ab\r\ncd\r\n"},
      {CodeUtf8, "\xEF\xBB\xBF\xE4\xB8\xAD\xF0\x9F\x98\x80\n", u"\u4E2D\U0001F600\r\n"},
      {CodeUtf8, "a\xFF\xE4\xB8", u"a\uFFFD\uFFFD\uFFFD"},  // one mark a byte, as the view shows them
      {CodeUtf16Le, std::string("\xFF\xFE\x2D\x4E\n\0", 6), u"\u4E2D\r\n"},
      {CodeUtf16Be, std::string("\x4E\x2D\x00\x0A\xD8", 5), u"\u4E2D\r\n\uFFFD"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(TextAsUtf16(row.code, ToBytes(row.bytes).data(), row.bytes.size()), row.text) << row.code;
}
