#include "shell/commands_win32.h"

#include <commctrl.h>

#include <array>
#include <vector>

#include "base/dispatch_win32.h"
#include "base/instance_win32.h"
#include "base/settings_values.h"
#include "convert/character_tables.h"
#include "convert/convert_dialog_win32.h"
#include "convert/converters.h"
#include "dialogs/option_dialogs_win32.h"
#include "document/detect_code.h"
#include "document/document.h"
#include "document/line_index.h"
#include "print/page_setup_win32.h"
#include "print/print_job_win32.h"
#include "resources/resource_ids.h"
#include "shell/code_commands_win32.h"
#include "shell/command_state.h"
#include "shell/edit_commands_win32.h"
#include "shell/frame_windows_win32.h"
#include "shell/open_document_win32.h"
#include "shell/save_part_win32.h"
#include "shell/selection.h"
#include "shell/view_state.h"

namespace {
constexpr int NoImage = -1;
constexpr int ToolbarImageCount = 12;

struct FrameCommand {
  uint32_t id = 0;
  CommandHandler handler = nullptr;
  int image = NoImage;     // in the toolbar bitmap; NoImage: not on the toolbar
  bool gapBefore = false;  // a toolbar separator before its button
  uint8_t enabled = ConditionAlways;
  uint8_t checked = ConditionNever;  // a checked command with an image is one of a group
};

int32_t OnExit(HWND frame, WPARAM, WPARAM, LPARAM) {
  DestroyWindow(frame);
  return 0;
}

int32_t OnToggleToolbar(HWND frame, WPARAM, WPARAM, LPARAM) {
  ToggleSetting(&Settings.showToolbar);
  UpdateCommandState(frame);
  return 0;
}

int32_t OnToggleHz(HWND frame, WPARAM, WPARAM, LPARAM) {
  ToggleSetting(&Settings.supportHZ);
  UpdateCommandState(frame);
  return 0;
}

int32_t OnCode(HWND frame, WPARAM wParam, WPARAM, LPARAM) {
  // Unicode is the form the text's byte-order mark names, else UTF-8.
  const int id = LOWORD(wParam);
  const int code =
      id == ZK_CMD_CODE_UNICODE ? UnicodeCodeOf(Document.text.get(), Document.textLength) : id - ZK_CMD_CODE_GB;
  if (SelectCode(frame, code)) UpdateCommandState(frame);
  return 0;
}

int32_t OnConvert(HWND frame, WPARAM wParam, WPARAM, LPARAM) {
  ConvertDialogRecord record;
  const WORD id = LOWORD(wParam);
  record.mode = id == ZK_CMD_CONVERT_SJIS ? ConvertModeSjis : id == ZK_CMD_CONVERT_HZ ? ConvertModeHz : ConvertModeBig5;
  if (RunConvertDialog(frame, &record)) OpenDocument(frame, record.viewTarget.c_str());
  return 0;
}

int32_t OnTableFile(HWND frame, WPARAM wParam, WPARAM, LPARAM) {
  MakeCharacterTableFile(frame, LOWORD(wParam) - ZK_CMD_TABLE_GB);
  return 0;
}

int32_t OnPrint(HWND frame, WPARAM, WPARAM, LPARAM) {
  PrintRequest request;
  request.whole = LinesToPrint(false, Selection.anchor, Selection.end, Document.lineCount);
  request.selection = LinesToPrint(true, Selection.anchor, Selection.end, Document.lineCount);
  request.hasSelection = HasSelection();
  RunPrintDialog(frame, request);
  return 0;
}

int32_t OnPageSetup(HWND frame, WPARAM, WPARAM, LPARAM) {
  RunPageSetup(frame);
  return 0;
}

int32_t OnLineWidth(HWND frame, WPARAM, WPARAM, LPARAM) {
  LineWidthRecord record{Settings.charsPerLine, Settings.lineSpacing};
  if (!RunLineWidthDialog(frame, &record)) return 0;
  Settings.charsPerLine = record.charsPerLine;
  Settings.lineSpacing = record.lineSpacing;
  // The view lays itself out again and makes a line bitmap of the new size.
  RECT client{};
  GetClientRect(ViewWindow, &client);
  SendMessageA(ViewWindow, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
  // The lines are broken anew; the code the user is looking at, and its
  // font, stay: the code is detected only when a file is opened.
  int code = CodeType;
  BuildLineIndex(frame, Document.textLength, &code);
  ViewState.firstLine = 0;
  // Selected lines are no longer the lines shown.
  ClearSelection();
  UpdateCommandState(frame);
  InvalidateRect(frame, nullptr, FALSE);
  return 0;
}

int32_t OnColour(HWND frame, WPARAM, WPARAM, LPARAM) {
  ColourChoice choice{Settings.textIndex, Settings.backIndex};
  if (!RunColourDialog(frame, &choice)) return 0;
  Settings.textIndex = choice.textIndex;
  Settings.backIndex = choice.backIndex;
  ApplyColourIndexes();
  ApplyFrameBackground();
  InvalidateRect(frame, nullptr, FALSE);
  return 0;
}

int32_t OnAbout(HWND frame, WPARAM, WPARAM, LPARAM) {
  RunAboutBox(frame);
  return 0;
}

// The toolbar's buttons in the order they show.
constexpr FrameCommand FrameCommands[] = {
    {.id = ZK_CMD_OPEN, .handler = OnOpenCommand, .image = 0},
    {.id = ZK_CMD_SAVE_PART, .handler = SavePart, .image = 1, .enabled = ConditionSelection},
    {.id = ZK_CMD_PRINT, .handler = OnPrint, .image = 2, .enabled = ConditionLines},
    {.id = ZK_CMD_CONVERT_BIG5, .handler = OnConvert, .image = 8},
    {.id = ZK_CMD_CONVERT_HZ, .handler = OnConvert, .image = 10},
    {.id = ZK_CMD_CONVERT_SJIS, .handler = OnConvert, .image = 9},
    {.id = ZK_CMD_CODE_GB, .handler = OnCode, .image = 4, .gapBefore = true, .checked = ConditionCodeGb},
    {.id = ZK_CMD_CODE_BIG5, .handler = OnCode, .image = 5, .checked = ConditionCodeBig5},
    {.id = ZK_CMD_CODE_SJIS, .handler = OnCode, .image = 7, .checked = ConditionCodeSjis},
    {.id = ZK_CMD_CODE_UNICODE, .handler = OnCode, .image = 11, .checked = ConditionCodeUnicode},
    {.id = ZK_CMD_ABOUT, .handler = OnAbout, .image = 3, .gapBefore = true},
    {.id = ZK_CMD_COPY, .handler = OnCopy, .enabled = ConditionSelection},
    {.id = ZK_CMD_FIND, .handler = OnFind, .enabled = ConditionLines},
    {.id = ZK_CMD_FIND_NEXT, .handler = OnFindNext, .enabled = ConditionLines},
    {.id = ZK_CMD_GOTO_LINE, .handler = OnGoToLine, .enabled = ConditionLines},
    {.id = ZK_CMD_PAGE_SETUP, .handler = OnPageSetup},
    {.id = ZK_CMD_EXIT, .handler = OnExit},
    {.id = ZK_CMD_LINE_WIDTH, .handler = OnLineWidth},
    {.id = ZK_CMD_COLOUR, .handler = OnColour},
    {.id = ZK_CMD_SUPPORT_HZ, .handler = OnToggleHz, .checked = ConditionHzSupport},
    {.id = ZK_CMD_TOOLBAR, .handler = OnToggleToolbar, .checked = ConditionToolbar},
    {.id = ZK_CMD_TABLE_GB, .handler = OnTableFile},
    {.id = ZK_CMD_TABLE_BIG5, .handler = OnTableFile},
    {.id = ZK_CMD_TABLE_SJIS, .handler = OnTableFile},
};
constexpr size_t CommandCount = sizeof FrameCommands / sizeof FrameCommands[0];

constexpr std::array<CommandEntry, CommandCount> MakeDispatchRows() {
  std::array<CommandEntry, CommandCount> rows{};
  for (size_t k = 0; k < CommandCount; ++k) rows[k] = {FrameCommands[k].id, FrameCommands[k].handler};
  return rows;
}
constexpr std::array<CommandEntry, CommandCount> DispatchRows = MakeDispatchRows();
constexpr CommandTable FrameDispatch{static_cast<int32_t>(CommandCount), DispatchRows.data(), DefaultWindow};
}  // namespace

LRESULT RunFrameCommand(HWND frame, WPARAM wParam, LPARAM lParam) {
  return DispatchByCommand(FrameDispatch, frame, wParam, lParam);
}

void UpdateCommandState(HWND) {
  for (const FrameCommand& command : FrameCommands) {
    if (command.enabled != ConditionAlways) {
      const bool on = ConditionHolds(command.enabled);
      EnableMenuItem(FrameMenu, command.id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
      if (command.image != NoImage) SendMessageA(ToolbarWindow, TB_ENABLEBUTTON, command.id, MAKELPARAM(on, 0));
    }
    if (command.checked != ConditionNever) {
      const bool on = ConditionHolds(command.checked);
      CheckMenuItem(FrameMenu, command.id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
      if (command.image != NoImage) SendMessageA(ToolbarWindow, TB_CHECKBUTTON, command.id, MAKELPARAM(on, 0));
    }
  }
  ApplyToolbarVisibility();
}

HWND CreateCommandToolbar(HWND frame) {
  std::vector<TBBUTTON> buttons;
  for (const FrameCommand& command : FrameCommands) {
    if (command.image == NoImage) continue;
    if (command.gapBefore) buttons.push_back({0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0});
    const BYTE style = command.checked != ConditionNever ? BTNS_CHECKGROUP : BTNS_BUTTON;
    buttons.push_back({command.image, static_cast<int>(command.id), TBSTATE_ENABLED, style, {}, 0, 0});
  }
  return CreateToolbarEx(frame, WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS, ZK_TOOLBAR_ID, ToolbarImageCount, AppInstance,
                         ZK_TOOLBAR_BITMAP, buttons.data(), static_cast<int>(buttons.size()), 0, 0, 24, 23,
                         sizeof(TBBUTTON));
}
