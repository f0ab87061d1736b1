// "Change Color": the character and background colours from the palette.
#include <array>

#include "base/dispatch_win32.h"
#include "base/instance_win32.h"
#include "base/settings_values.h"
#include "dialogs/colour_swatches.h"
#include "dialogs/option_dialogs_win32.h"
#include "resources/resource_ids.h"

namespace {
ColourChoice* ChoiceOf(HWND dialog) { return reinterpret_cast<ColourChoice*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

int32_t ColourDialogInit(HWND dialog, UINT, WPARAM, LPARAM lParam) {
  SetWindowLongPtrA(dialog, DWLP_USER, lParam);
  CentreDialog(dialog, GetWindow(dialog, GW_OWNER));
  return 1;
}

// A swatch draws itself when its button asks, so that a click or a change of
// focus never leaves a button blank: the colour inset from the edges, and a
// frame around the current choice of its group.
int32_t DrawSwatch(HWND dialog, UINT, WPARAM, LPARAM lParam) {
  auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  const ColourChoice* choice = ChoiceOf(dialog);
  SwatchRecord swatch;
  if (item == nullptr || choice == nullptr || !SwatchForButton(static_cast<int>(item->CtlID), &swatch)) return 0;
  const RECT& box = item->rcItem;
  SwatchRect fill = SwatchFill({box.left, box.top, box.right, box.bottom});
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  FillRect(item->hDC, &box, face);
  HBRUSH colour = CreateSolidBrush(ColourPalette[swatch.index]);
  HGDIOBJ previous = SelectObject(item->hDC, colour);
  Rectangle(item->hDC, fill.left, fill.top, fill.right, fill.bottom);
  if (IsSwatchChosen(static_cast<int>(item->CtlID), *choice)) {
    SelectObject(item->hDC, GetStockObject(NULL_BRUSH));
    Rectangle(item->hDC, box.left, box.top, box.right, box.bottom);
  }
  SelectObject(item->hDC, previous);
  DeleteObject(colour);
  return 1;
}

int32_t PickColour(HWND dialog, WPARAM wParam, WPARAM, LPARAM) {
  PickSwatch(LOWORD(wParam), ChoiceOf(dialog));
  // Every button draws again, so the frame leaves the old choice for the new.
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  return 0;
}

// The choice made goes back to the caller only on OK.
int32_t ColourDialogOk(HWND dialog, WPARAM, WPARAM, LPARAM) {
  EndDialog(dialog, IDOK);
  return 1;
}

int32_t ColourDialogCancel(HWND dialog, WPARAM, WPARAM, LPARAM) {
  EndDialog(dialog, IDCANCEL);
  return 1;
}

// OK, Cancel, and one row for each of the 32 swatches, all served by
// PickColour.
constexpr std::array<CommandEntry, 2 + 32> MakeColourCommandRows() {
  std::array<CommandEntry, 2 + 32> rows{};
  rows[0] = {IDOK, ColourDialogOk};
  rows[1] = {IDCANCEL, ColourDialogCancel};
  for (int k = 0; k < 32; ++k) rows[2 + k] = {static_cast<uint32_t>(ZK_FIRST_TEXT_SWATCH + k), PickColour};
  return rows;
}
constexpr std::array<CommandEntry, 2 + 32> ColourCommandRows = MakeColourCommandRows();
constexpr CommandTable ColourCommands{static_cast<int32_t>(ColourCommandRows.size()), ColourCommandRows.data(),
                                      DefaultNone};

const MessageEntry ColourMessageRows[] = {
    {WM_DRAWITEM, DrawSwatch},
    {WM_COMMAND, DispatchCommands<ColourCommands>},
    {WM_INITDIALOG, ColourDialogInit},
};
constexpr MessageTable ColourMessages = MakeMessageTable(ColourMessageRows, DefaultNone);

INT_PTR CALLBACK ColourDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByMessage(ColourMessages, dialog, message, wParam, lParam);
}
}  // namespace

bool RunColourDialog(HWND owner, ColourChoice* choice) {
  ColourChoice working = *choice;
  if (DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(ZK_DIALOG_COLOUR), owner, ColourDialogProc,
                      reinterpret_cast<LPARAM>(&working)) != IDOK)
    return false;
  *choice = working;
  return true;
}
