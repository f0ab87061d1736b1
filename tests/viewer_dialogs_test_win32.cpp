// The dialogs of the real program, opened by their commands and used as a
// user uses them: fields typed, buttons clicked, OK, Cancel or Esc.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include "base/settings_values.h"
#include "base/wide_text_win32.h"
#include "document/line_bitmap.h"
#include "resources/resource_ids.h"
#include "shell/frame_win32.h"
#include "shell/view_state.h"
#include "tests/viewer_harness_win32.h"

namespace {
void SetField(HWND dialog, int id, const std::string& text) {
  SetDlgItemTextW(dialog, id, WideFromUtf8(text.c_str()).c_str());
}

std::string Field(HWND dialog, int id) {
  wchar_t text[1024] = L"";
  GetDlgItemTextW(dialog, id, text, 1024);
  return Utf8FromWide(text);
}

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

// Esc, typed into the dialog's focused control.
void Escape(HWND dialog) {
  HWND focus = GetFocus();
  PostMessageA(focus != nullptr ? focus : dialog, WM_KEYDOWN, VK_ESCAPE, 0);
}

// The texts of a dialog's static controls, in order.
Strings Statics(HWND dialog) {
  Strings texts;
  for (HWND part = nullptr; (part = FindWindowExA(dialog, part, "Static", nullptr)) != nullptr;) {
    bool picture = (GetWindowLongPtrA(part, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP;
    if (!picture && !WindowText(part).empty()) texts.push_back(WindowText(part));
  }
  return texts;
}

// The files the zk tool beside ZK.exe makes, for comparison.
Bytes ConvertWithTool(const std::string& options, const std::string& source, const std::string& target) {
  RunTool("convert --force " + options + " \"" + source + "\" \"" + target + "\"");
  return ReadFile(target);
}
}  // namespace

TEST_F(Viewer, TheLineWidthDialogBreaksTheLinesAnewKeepingTheCodeAndIsKept) {
  ASSERT_TRUE(StartViewer());
  std::string line(100, 'a');
  for (size_t k = 40; k < line.size(); ++k) line[k] = 'b';
  Open("wide.txt", line + "\r\n" + Lines(60));
  Send(WM_COMMAND, ZK_CMD_CODE_BIG5);  // chosen by hand; the width change keeps it
  Send(WM_KEYDOWN, VK_NEXT);
  SendMessageA(ViewWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(ViewWindow, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ASSERT_EQ(MenuFlags(ZK_CMD_SAVE_PART), 0);
  // Cancel and Esc change nothing.
  AnswerDialogWith("Change Line Width", [](HWND dialog) {
    EXPECT_EQ(Field(dialog, ZK_LINE_WIDTH_FIELD), "80");
    EXPECT_EQ(Field(dialog, ZK_LINE_SPACING_FIELD), "8");
    SetField(dialog, ZK_LINE_WIDTH_FIELD, "20");
    Click(dialog, IDCANCEL);
  });
  Send(WM_COMMAND, ZK_CMD_LINE_WIDTH);
  AnswerDialogWith("Change Line Width", [](HWND dialog) {
    SetField(dialog, ZK_LINE_WIDTH_FIELD, "20");
    Escape(dialog);
  });
  Send(WM_COMMAND, ZK_CMD_LINE_WIDTH);
  EXPECT_EQ(Settings.charsPerLine, 80);
  EXPECT_NE(ViewState.firstLine, 0);

  AnswerDialogWith("Change Line Width", [](HWND dialog) {
    SaveScreenshot(dialog, "line-width-dialog");
    SetField(dialog, ZK_LINE_WIDTH_FIELD, " 40 cells");
    SetField(dialog, ZK_LINE_SPACING_FIELD, "-3");
    Click(dialog, IDOK);
  });
  Send(WM_COMMAND, ZK_CMD_LINE_WIDTH);
  // 40 cells a row, rows of 16 pixels, from the first line, drawn by the
  // Big5 font still; the selection is gone with the lines it named.
  EXPECT_EQ(ViewState.firstLine, 0);
  EXPECT_EQ(LineBitmap.lineHeight, 16);
  for (int cell : {0, 39}) EXPECT_TRUE(CellShows(0, cell, 1, Narrow('a'))) << cell;
  for (int row : {1, 2}) EXPECT_TRUE(CellShows(row, 0, 1, Narrow('b'))) << row;
  EXPECT_EQ(OffBackground(40 * 8, 0, 80 * 8, 16), 0);
  ExpectCodeChecked(ZK_CMD_CODE_BIG5);
  EXPECT_EQ(MenuFlags(ZK_CMD_SAVE_PART), MF_GRAYED);
  int low = 0, high = 0;
  GetScrollRange(ViewWindow, SB_VERT, &low, &high);
  EXPECT_EQ(high + ViewState.visibleRows, 3 + 60);  // the long line is three rows now
  SaveScreenshot(FrameWindow, "line-width-40");
  StopViewer();
  EXPECT_EQ(StoredSetting("CharsPerLine"), "40");
  EXPECT_EQ(StoredSetting("LinePitch"), "0");
}

TEST_F(Viewer, TheColourDialogRepaintsInTheChosenColoursAndCancelPutsThemBack) {
  ASSERT_TRUE(StartViewer());
  Open("colours.gb", "A\r\n");
  // The swatches with a frame, as the screen shows them once drawn.
  auto framed = [](HWND dialog) {
    GdiFlush();
    HDC screen = GetDC(nullptr);
    std::vector<int> ids;
    for (int id = ZK_FIRST_TEXT_SWATCH; id <= ZK_LAST_SWATCH; ++id) {
      RECT box{};
      GetWindowRect(GetDlgItem(dialog, id), &box);
      if (GetPixel(screen, box.left, box.top) == 0) ids.push_back(id);
    }
    ReleaseDC(nullptr, screen);
    return ids;
  };
  AnswerDialogWith("Change Color", [&](HWND dialog) {
    // One framed swatch in each group: the colours in use; a click moves it.
    std::vector<int> expected{ZK_FIRST_TEXT_SWATCH + 15, ZK_FIRST_BACK_SWATCH + 1};
    EXPECT_TRUE(WaitFor([&] { return framed(dialog) == expected; }, 3000));
    Click(dialog, ZK_FIRST_TEXT_SWATCH + 2);
    Click(dialog, ZK_FIRST_BACK_SWATCH + 7);
    expected = {ZK_FIRST_TEXT_SWATCH + 2, ZK_FIRST_BACK_SWATCH + 7};
    EXPECT_TRUE(WaitFor([&] { return framed(dialog) == expected; }, 3000));
    SaveScreenshot(dialog, "colour-dialog");
    Click(dialog, IDCANCEL);
  });
  Send(WM_COMMAND, ZK_CMD_COLOUR);
  EXPECT_TRUE(CellShowsIn(0, 0, 0, Narrow('A'), ColourPalette[15], ColourPalette[1]));

  AnswerDialogWith("Change Color", [](HWND dialog) {
    Click(dialog, ZK_FIRST_TEXT_SWATCH + 14);  // yellow on
    Click(dialog, ZK_FIRST_BACK_SWATCH + 4);   // dark red
    Click(dialog, IDOK);
  });
  Send(WM_COMMAND, ZK_CMD_COLOUR);
  EXPECT_TRUE(WaitFor([] { return CellShowsIn(0, 0, 0, Narrow('A'), ColourPalette[14], ColourPalette[4]); }, 5000));
  // The class background, a handle stored whole, erases in the new colour.
  LOGBRUSH brush{};
  GetObjectA(reinterpret_cast<HBRUSH>(GetClassLongPtrA(ViewWindow, GCLP_HBRBACKGROUND)), sizeof brush, &brush);
  EXPECT_EQ(brush.lbColor, ColourPalette[4]);
  RECT client{};
  GetClientRect(ViewWindow, &client);
  EXPECT_EQ(ViewPixel(client.right - 2, client.bottom - 2), ColourPalette[4]);
  SaveScreenshot(FrameWindow, "colours-yellow-on-dark-red");
  StopViewer();
  EXPECT_EQ(StoredSetting("TextColor"), "4");
  EXPECT_EQ(StoredSetting("BackColor"), "14");
}

TEST_F(Viewer, TheAboutBoxShowsTheTitleVersionsAndLogo) {
  ASSERT_TRUE(StartViewer());
  for (bool byEscape : {false, true}) {
    AnswerDialogWith("About ZK", [byEscape](HWND dialog) {
      EXPECT_EQ(Statics(dialog), (Strings{Title, "Made by the makers of the ZK project", "95/12/20 Ver.1.0",
                                          "96/06/06 Ver.2.5", "E-Mail:", "makers@zk-project.invalid"}));
      BITMAP logo{};
      auto image = reinterpret_cast<HBITMAP>(SendDlgItemMessageA(dialog, ZK_ABOUT_LOGO, STM_GETIMAGE, IMAGE_BITMAP, 0));
      ASSERT_NE(GetObjectA(image, sizeof logo, &logo), 0);
      EXPECT_EQ(logo.bmWidth, 83);
      EXPECT_EQ(logo.bmHeight, 46);
      if (byEscape) {
        Escape(dialog);
      } else {
        SaveScreenshot(dialog, "about-box");
        Click(dialog, IDOK);
      }
    });
    Send(WM_COMMAND, ZK_CMD_ABOUT);
  }
  EXPECT_EQ(DialogsShown, (Strings{"About ZK:", "About ZK:"}));
}

TEST_F(Viewer, TheConvertDialogConvertsLikeTheToolInEveryModeAndViewsTheTarget) {
  for (const char* table : {"GBBIG5.TBL", "BIG5GB.TBL", "GBSJIS.TBL", "SJISGB.TBL", "GBBIG5X.TBL", "BIG5GBX.TBL",
                            "GBSJISX.TBL", "SJISGBX.TBL"}) {
    CopyFileA((ProgramFolder() + "\\..\\bin\\" + table).c_str(), (ProgramFolder() + "\\" + table).c_str(), FALSE);
  }
  ASSERT_TRUE(StartViewer());
  const std::string gb = folder.File("源文件.gb");
  // 国家~ and 发: in every code, and back the same.
  WriteFile(gb, Bytes{'Z', 'K', ' ', 0xB9, 0xFA, 0xBC, 0xD2, '~', '\r', '\n', 0xB7, 0xA2, '\r', '\n'});
  const struct {
    int command;
    const char* option;
    const char* label;
  } modes[] = {{ZK_CMD_CONVERT_BIG5, "--big5", "Big&5 Code"},
               {ZK_CMD_CONVERT_SJIS, "--sjis", "Shift &JIS Code"},
               {ZK_CMD_CONVERT_HZ, "--hz", "H&Z Code"}};
  for (const auto& mode : modes) {
    SCOPED_TRACE(mode.option);
    std::string there = folder.File(std::string("目标") + mode.option), back = folder.File("back.gb");
    std::filesystem::remove(PathFromUtf8(back));
    AnswerDialogWith("Convert", [&](HWND dialog) {
      // From GB to the other code, both buttons off until named.
      EXPECT_EQ(IsDlgButtonChecked(dialog, ZK_SOURCE_IS_GB) + IsDlgButtonChecked(dialog, ZK_TARGET_IS_OTHER), 2u);
      EXPECT_EQ(Field(dialog, ZK_TARGET_IS_OTHER), mode.label);
      Pump();
      EXPECT_FALSE(Enabled(dialog, IDOK) || Enabled(dialog, ZK_VIEW_TARGET));
      SetField(dialog, ZK_TARGET_FIELD, there);
      EXPECT_TRUE(Enabled(dialog, ZK_VIEW_TARGET) && !Enabled(dialog, IDOK));
      // The first time by the Browse button, a name in any script.
      if (mode.command == ZK_CMD_CONVERT_BIG5) {
        FileAnswer = gb;
        Click(dialog, ZK_BROWSE_SOURCE);
        EXPECT_EQ(Field(dialog, ZK_SOURCE_FIELD), gb);
      } else {
        SetField(dialog, ZK_SOURCE_FIELD, gb);
      }
      EXPECT_TRUE(Enabled(dialog, IDOK));
      Click(dialog, IDOK);
      // Back again: the target group's GB moves the source to the other code.
      Click(dialog, ZK_TARGET_IS_GB);
      EXPECT_EQ(IsDlgButtonChecked(dialog, ZK_SOURCE_IS_OTHER), 1u);
      SetField(dialog, ZK_SOURCE_FIELD, there);
      SetField(dialog, ZK_TARGET_FIELD, back);
      Click(dialog, IDOK);
      SetField(dialog, ZK_TARGET_FIELD, there);  // the same name twice
      Click(dialog, IDOK);
      SaveScreenshot(dialog, std::string("convert-dialog") + mode.option);
      Click(dialog, IDCANCEL);
    });
    DialogsShown.clear();
    Send(WM_COMMAND, static_cast<WPARAM>(mode.command));
    Strings shown{"Convert:", "Browse File:", "OK: Convert complete!", "OK: Convert complete!",
                  "Error: The target file name is same as source file name, cann't convert!"};
    if (mode.command != ZK_CMD_CONVERT_BIG5) shown.erase(shown.begin() + 1);
    EXPECT_EQ(DialogsShown, shown);
    EXPECT_EQ(ReadFile(back), ReadFile(gb));
    Bytes converted = ReadFile(there);
    EXPECT_EQ(converted, ConvertWithTool(mode.option, gb, folder.File("tool.out")));
    EXPECT_EQ(ConvertWithTool(std::string(mode.option) + " --to-gb", there, folder.File("back-tool.gb")), ReadFile(gb));
  }
  // View opens the target in the main window and closes the dialog.
  std::string target = folder.File(std::string("目标") + "--big5");
  AnswerDialogWith("Convert", [&](HWND dialog) {
    SetField(dialog, ZK_TARGET_FIELD, target);
    Click(dialog, ZK_VIEW_TARGET);
  });
  Send(WM_COMMAND, ZK_CMD_CONVERT_BIG5);
  EXPECT_EQ(WindowText(FrameWindow), Title + " - " + target);
  ExpectCodeChecked(ZK_CMD_CODE_BIG5);
}

TEST_F(Viewer, WithTabFileTheTableCommandsWriteTheirFilesBesideTheProgram) {
  StoreSetting("TabFile", "1");
  ASSERT_TRUE(StartViewer());
  const struct {
    int command;
    const char* name;
    size_t size;
    uint8_t first, last;
  } tables[] = {{ZK_CMD_TABLE_GB, "GBTBL.GB", 19740, 0xA1, 0xFE},
                {ZK_CMD_TABLE_BIG5, "BIG5TBL.BG5", 31584, 0xA1, 0xFE},
                {ZK_CMD_TABLE_SJIS, "SJISTBL.JP", 23880, 0x81, 0xFC}};
  for (const auto& table : tables) {
    std::string path = ProgramFolder() + "\\" + table.name;
    Send(WM_COMMAND, static_cast<WPARAM>(table.command));
    Bytes file = ReadFile(path);
    ASSERT_EQ(file.size(), table.size) << table.name;
    EXPECT_EQ(file.front(), '\n');
    EXPECT_EQ(file[22], table.first);  // the first row's first character
    EXPECT_EQ(file.back(), table.last);
    DeleteFileA(path.c_str());
  }
  EXPECT_EQ(DialogsShown, Strings{});
}
