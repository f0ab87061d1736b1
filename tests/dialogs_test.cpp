// What the option dialogs and the Convert dialog decide: the numbers typed,
// the swatch chosen, the labels and buttons, and what Convert, View and the
// table commands do.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "convert/character_tables.h"
#include "convert/convert_dialog.h"
#include "convert/converters.h"
#include "dialogs/colour_swatches.h"
#include "dialogs/dialog_fields.h"
#include "shell/font_path.h"
#include "shell/prompts_headless.h"
#include "shell/settings_values.h"
#include "tests/test_support.h"

TEST(DialogFields, NumbersAreReadAsTypedAndKeptInRange) {
  const struct {
    const char* text;
    int width;
    int spacing;
  } cases[] = {
      {"abc", 16, 0}, {"300", 256, 16}, {" 40 then text", 40, 16}, {"-5", 16, 0}, {"-3", 16, 0}, {"20", 20, 16},
      {"1", 16, 1},   {"+12x", 16, 12}, {"99999999999", 256, 16},  {"", 16, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadLineWidthField(c.text), c.width) << c.text;
    EXPECT_EQ(ReadLineSpacingField(c.text), c.spacing) << c.text;
  }
}

TEST(ColourSwatches, AClickMovesTheChoiceWithinItsGroupOnly) {
  SwatchRecord swatch;
  EXPECT_FALSE(SwatchForButton(1002, &swatch));
  EXPECT_FALSE(SwatchForButton(1035, &swatch));
  // The defaults: white characters (15) on dark blue (1).
  for (int id = 1003; id <= 1034; ++id) EXPECT_EQ(IsSwatchChosen(id), id == 1003 + 15 || id == 1019 + 1) << id;
  PickSwatch(1003 + 4);
  EXPECT_EQ(Settings.textIndex, 4);
  EXPECT_EQ(Settings.backIndex, 1);
  PickSwatch(1019 + 14);
  EXPECT_EQ(Settings.textIndex, 4);
  EXPECT_EQ(Settings.backIndex, 14);
  PickSwatch(1019 + 4);  // the same colour for both is taken
  int chosen = 0;
  for (int id = 1003; id <= 1034; ++id) chosen += IsSwatchChosen(id) ? 1 : 0;
  EXPECT_EQ(chosen, 2);
  EXPECT_TRUE(IsSwatchChosen(1003 + 4) && IsSwatchChosen(1019 + 4));
  SwatchRect fill = SwatchFill({0, 0, 32, 20});
  EXPECT_EQ(fill.left, 3);
  EXPECT_EQ(fill.bottom, 17);
}

TEST(ConvertDialog, LabelsAndButtonsFollowTheModeAndTheNames) {
  const struct {
    int mode;
    const char* source;
    const char* target;
  } labels[] = {{ConvertModeBig5, "&Big5 Code", "Big&5 Code"},
                {ConvertModeSjis, "&Shift JIS Code", "Shift &JIS Code"},
                {ConvertModeHz, "&HZ Code", "H&Z Code"}};
  for (const auto& l : labels) {
    EXPECT_STREQ(ConvertLabels(l.mode).source, l.source);
    EXPECT_STREQ(ConvertLabels(l.mode).target, l.target);
  }
  const struct {
    const char* source;
    const char* target;
    bool view, convert;
  } buttons[] = {{"", "", false, false}, {"a.gb", "", false, false}, {"", "b.b5", true, false}, {"a", "b", true, true}};
  for (const auto& b : buttons) {
    EXPECT_EQ(ConvertButtons(b.source, b.target).view, b.view) << b.source << "|" << b.target;
    EXPECT_EQ(ConvertButtons(b.source, b.target).convert, b.convert) << b.source << "|" << b.target;
  }
}

TEST(ConvertDialog, ConvertAndViewRefuseWhatTheyCannotDo) {
  ScratchFolder folder;
  ConvertMode = ConvertModeHz;
  std::string source = folder.File("a.gb"), target = folder.File("A.GB");
  WriteFile(source, Bytes{'x', 0xB0, 0xA1});
  EXPECT_FALSE(ConvertNamedFiles(nullptr, source.c_str(), source.c_str(), true));
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].id, 11);
  // Names that differ only in case are different names: two files where
  // case matters, and where it does not, one file, refused as such.
  ClearHeadlessPrompts();
#ifdef _WIN32
  EXPECT_FALSE(ConvertNamedFiles(nullptr, source.c_str(), target.c_str(), true));
  EXPECT_EQ(HeadlessPrompts().back().id, 11);
  target = folder.File("b.hz");
  ClearHeadlessPrompts();
#endif
  EXPECT_TRUE(ConvertNamedFiles(nullptr, source.c_str(), target.c_str(), true));
  EXPECT_EQ(ReadFile(target), ToBytes("x~{0!"));
  EXPECT_EQ(HeadlessPrompts().back().text, "Convert complete!");
  ClearHeadlessPrompts();
  EXPECT_TRUE(ConvertNamedFiles(nullptr, target.c_str(), folder.File("back.gb").c_str(), false));
  EXPECT_EQ(ReadFile(folder.File("back.gb")), ReadFile(source));

  ClearHeadlessPrompts();
  EXPECT_FALSE(CanViewTarget(nullptr, ""));
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].text, "Target file name is null, cann't view!");
  EXPECT_TRUE(CanViewTarget(nullptr, "anything"));
}

TEST(TableCommands, TheFilesLieBesideTheProgramOrTheUserIsTold) {
  ScratchFolder folder;
  SetModulePath(folder.File("ZK.EXE").c_str());
  for (int table : {CharacterTableGb, CharacterTableBig5, CharacterTableSjis}) {
    EXPECT_TRUE(MakeCharacterTableFile(nullptr, table));
    EXPECT_EQ(ReadFile(folder.File(CharacterTableFileNames[table])).size(), CharacterTableFileSize(table));
  }
  EXPECT_TRUE(HeadlessPrompts().empty());
  // A program folder that cannot be written: message 9 with the path.
  SetModulePath(folder.File("gone/ZK.EXE").c_str());
  EXPECT_FALSE(MakeCharacterTableFile(nullptr, CharacterTableBig5));
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].text, "Can not create the file : " + folder.File("gone/BIG5TBL.BG5"));
}
