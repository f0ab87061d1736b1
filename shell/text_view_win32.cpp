#include "shell/text_view_win32.h"

#include <shellapi.h>

#include "base/dispatch_win32.h"
#include "base/program_path.h"
#include "base/wide_text_win32.h"
#include "document/document.h"
#include "document/draw_line_win32.h"
#include "document/line_bitmap.h"
#include "shell/commands_win32.h"
#include "shell/frame_windows_win32.h"
#include "shell/open_document_win32.h"
#include "shell/selection.h"
#include "shell/view_scroll.h"
#include "shell/view_state.h"

namespace {
void Repaint(HWND view) {
  InvalidateRect(view, nullptr, FALSE);
  UpdateWindow(view);
}

void SetBar(HWND view, int bar, const ScrollBarPlan& plan) {
  SetScrollRange(view, bar, 0, plan.shown ? plan.maximum : 0, FALSE);
  if (plan.shown) SetScrollPos(view, bar, plan.position, TRUE);
  ShowScrollBar(view, bar, plan.shown ? TRUE : FALSE);
}

// Draws the display lines from .. to that fall in the visible rows and
// brings both scroll bars up to date.
void PaintLines(HWND view, int from, int to) {
  SetBar(view, SB_VERT, PlanVerticalBar());
  SetBar(view, SB_HORZ, PlanHorizontalBar());
  // The resize a bar brings may have failed and closed the view.
  if (!IsWindow(view)) return;
  HDC dc = GetDC(view);
  // A bar shown or hidden above has resized the view: visibleRows is current.
  for (int line = from; line <= to && line <= ViewState.firstLine + ViewState.visibleRows; ++line) {
    RowText row = RowTextForLine(line);
    DrawDocumentLine(dc, row.bytes, row.count, row.readable, LineLeft(),
                     (line - ViewState.firstLine) * LineBitmap.lineHeight, row.selected);
  }
  ReleaseDC(view, dc);
}

int32_t OnViewCreate(HWND view, UINT, WPARAM, LPARAM) {
  SetClassLongPtrA(view, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(FrameBrush));
  return 0;
}

int32_t OnViewSize(HWND view, UINT, WPARAM, LPARAM lParam) {
  SetViewClientSize(LOWORD(lParam), HIWORD(lParam));
  if (!AllocateLineBitmap(view, ViewState.clientWidth)) DestroyWindow(view);
  return 0;
}

int32_t OnViewPaint(HWND view, UINT, WPARAM, LPARAM) {
  // Validate (and erase) first; the rows are drawn through a device context
  // of their own.
  PAINTSTRUCT paint;
  BeginPaint(view, &paint);
  EndPaint(view, &paint);
  LineRange lines = LinesToPaint(paint.rcPaint.top, paint.rcPaint.bottom);
  PaintLines(view, lines.from, lines.to);
  return 0;
}

int32_t OnViewVScroll(HWND view, UINT, WPARAM wParam, LPARAM) {
  int request = LOWORD(wParam);
  int position = HIWORD(wParam);
  if (request == ScrollThumbTrack || request == ScrollThumbPosition) {
    // The message carries 16 bits; the bar knows the whole position.
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    if (GetScrollInfo(view, SB_VERT, &info)) position = WidenThumbPosition(position, info.nTrackPos);
  }
  switch (ScrollVertically(request, position)) {
    case ScrollEffectRowDown:
      ScrollWindow(view, 0, ViewLineHeight(), nullptr, nullptr);
      SetScrollPos(view, SB_VERT, ViewState.firstLine, TRUE);
      break;
    case ScrollEffectRowUp:
      ScrollWindow(view, 0, -ViewLineHeight(), nullptr, nullptr);
      SetScrollPos(view, SB_VERT, ViewState.firstLine, TRUE);
      break;
    case ScrollEffectRepaint:
      Repaint(view);
      break;
    default:
      break;
  }
  return 0;
}

int32_t OnViewHScroll(HWND view, UINT, WPARAM wParam, LPARAM) {
  if (ScrollHorizontally(LOWORD(wParam), static_cast<int16_t>(HIWORD(wParam)))) Repaint(view);
  return 0;
}

int32_t OnViewKeyDown(HWND view, UINT, WPARAM wParam, LPARAM) {
  ScrollKey key;
  if (!ScrollRequestForKey(static_cast<int>(wParam), GetKeyState(VK_CONTROL) < 0, &key)) return 0;
  SendMessageA(view, key.bar == ScrollVertical ? WM_VSCROLL : WM_HSCROLL, static_cast<WPARAM>(key.request), 0);
  return 0;
}

int32_t OnViewDropFiles(HWND, UINT, WPARAM wParam, LPARAM) {
  HDROP drop = reinterpret_cast<HDROP>(wParam);
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    wchar_t wide[PathCapacity] = L"";
    char name[PathCapacity] = "";
    if (DragQueryFileW(drop, i, wide, PathCapacity) == 0 || !Utf8FromWide(wide, name, sizeof name)) continue;
    if (i == 0)
      OpenDocument(FrameWindow, name);
    else
      StartInstanceWithFile(name);
  }
  DragFinish(drop);
  return 0;
}

// The y of a mouse message, which the capture lets run outside the view.
int MessageY(LPARAM lParam) { return static_cast<int16_t>(HIWORD(lParam)); }

void ApplySelectionStep(HWND view, const SelectionStep& step) {
  ViewState.firstLine = step.firstLine;
  Selection = step.selection;
  if (step.repaint) Repaint(view);
}

constexpr UINT_PTR DragTimer = 0;
constexpr UINT DragTimerPeriod = 100;

int32_t OnViewLButtonDown(HWND view, UINT, WPARAM, LPARAM lParam) {
  bool wasDragging = Selection.dragging != 0;
  ApplySelectionStep(view, PressAt(ViewState.firstLine, Selection, MessageY(lParam), Document.lineCount));
  if (Selection.dragging != 0 && !wasDragging) {
    SetCapture(view);
    SetTimer(view, DragTimer, DragTimerPeriod, nullptr);
  }
  return 0;
}

int32_t OnViewMouseMove(HWND view, UINT, WPARAM, LPARAM lParam) {
  if (Selection.dragging == 0) return 0;
  RECT client{};
  GetClientRect(view, &client);
  ApplySelectionStep(view, DragTo(ViewState.firstLine, ViewState.visibleRows, Selection, MessageY(lParam),
                                  client.bottom, Document.lineCount));
  return 0;
}

int32_t OnViewTimer(HWND view, UINT, WPARAM, LPARAM) {
  if (Selection.dragging == 0) return 0;
  POINT pointer{};
  GetCursorPos(&pointer);
  ScreenToClient(view, &pointer);
  ApplySelectionStep(view,
                     StepTimer(ViewState.firstLine, ViewState.visibleRows, Selection, pointer.y, Document.lineCount));
  return 0;
}

// Ends a drag: no timer left running, the menu and toolbar brought up to
// date; the selection stays.
void EndDrag(HWND view) {
  Selection.dragging = 0;
  KillTimer(view, DragTimer);
  UpdateCommandState(FrameWindow);
}

int32_t OnViewLButtonUp(HWND view, UINT, WPARAM, LPARAM) {
  bool wasDragging = Selection.dragging != 0;
  // Ended before the capture goes, so that losing it ends nothing more.
  EndDrag(view);
  if (wasDragging) ReleaseCapture();
  return 0;
}

// Another window took the mouse: no release will come, so the drag ends here.
int32_t OnViewCaptureChanged(HWND view, UINT, WPARAM, LPARAM lParam) {
  if (Selection.dragging != 0 && reinterpret_cast<HWND>(lParam) != view) EndDrag(view);
  return 0;
}

const MessageEntry ViewMessageRows[] = {
    {WM_PAINT, OnViewPaint},         {WM_KEYDOWN, OnViewKeyDown},
    {WM_VSCROLL, OnViewVScroll},     {WM_HSCROLL, OnViewHScroll},
    {WM_SIZE, OnViewSize},           {WM_LBUTTONDOWN, OnViewLButtonDown},
    {WM_LBUTTONUP, OnViewLButtonUp}, {WM_MOUSEMOVE, OnViewMouseMove},
    {WM_TIMER, OnViewTimer},         {WM_CAPTURECHANGED, OnViewCaptureChanged},
    {WM_CREATE, OnViewCreate},       {WM_DROPFILES, OnViewDropFiles},
};
constexpr MessageTable ViewMessages = MakeMessageTable(ViewMessageRows, DefaultWindow);
}  // namespace

LRESULT CALLBACK ViewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByMessage(ViewMessages, window, message, wParam, lParam);
}
