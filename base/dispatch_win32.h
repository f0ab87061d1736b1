// Table-driven window and dialog procedures: every procedure hands its
// arguments and a constant table to one of two dispatchers, and a window gets
// new behaviour by a new row and a handler.
#pragma once

#include <windows.h>

#include <cstdint>

// The default procedure for whatever a table does not list.
enum DefaultProcKind {
  DefaultNone = 0,
  DefaultWindow = 1,
};

using MessageHandler = int32_t (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// wParam whole (the id in its low 16 bits), the notification code, lParam.
using CommandHandler = int32_t (*)(HWND window, WPARAM wParam, WPARAM code, LPARAM lParam);

struct MessageEntry {
  uint32_t key;  // message number, all 32 bits compared
  MessageHandler handler;
};

struct CommandEntry {
  uint32_t key;  // command or control id, low 16 bits compared
  CommandHandler handler;
};

struct MessageTable {
  int32_t count;
  const MessageEntry* entries;
  int32_t defaultKind;
};

struct CommandTable {
  int32_t count;
  const CommandEntry* entries;
  int32_t defaultKind;
};

template <size_t N>
constexpr MessageTable MakeMessageTable(const MessageEntry (&rows)[N], int32_t kind) {
  return {static_cast<int32_t>(N), rows, kind};
}

template <size_t N>
constexpr CommandTable MakeCommandTable(const CommandEntry (&rows)[N], int32_t kind) {
  return {static_cast<int32_t>(N), rows, kind};
}

// Handlers' 32-bit results pass through unchanged; what a default procedure
// returns keeps its full width (handles among them).
LRESULT DispatchByMessage(const MessageTable& table, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DispatchByCommand(const CommandTable& table, HWND window, WPARAM wParam, LPARAM lParam);

// A WM_COMMAND handler that dispatches by `Table`.
template <const CommandTable& Table>
int32_t DispatchCommands(HWND window, UINT, WPARAM wParam, LPARAM lParam) {
  return static_cast<int32_t>(DispatchByCommand(Table, window, wParam, lParam));
}

int32_t CloseDialog(HWND dialog, WPARAM wParam, WPARAM code, LPARAM lParam);

// The procedure of a dialog that only shows itself: centred over its owner,
// ended by OK or Cancel.
INT_PTR CALLBACK PlainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Moves `window` to the middle of `owner`, kept on the screen.
void CentreDialog(HWND window, HWND owner);
