// How fast the real frame and view show a large file under Wine: from the
// open to the first full paint, and per Page Down and per line step.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/open_document_win32.h"
#include "shell/frame_win32.h"
#include "shell/text_view_win32.h"
#include "shell/view_state.h"
#include "tests/viewer_harness_win32.h"

namespace {
double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now;
}

// About 50 MB of GB text: lines of hanzi and ASCII, some wider than a
// display line, a TAB now and then.
Bytes MakeSample(size_t target) {
  Bytes text;
  text.reserve(target + 256);
  unsigned line = 0;
  while (text.size() < target) {
    char head[32];
    int length = std::snprintf(head, sizeof head, "%07u\t", line);
    text.insert(text.end(), head, head + length);
    int hanzi = 20 + static_cast<int>(line % 41);
    for (int i = 0; i < hanzi; ++i) {
      text.push_back(static_cast<uint8_t>(0xB0 + (line + i) % 40));
      text.push_back(static_cast<uint8_t>(0xA1 + (line * 7 + i) % 94));
    }
    const char* tail = " ZK bench line.\r\n";
    text.insert(text.end(), tail, tail + std::strlen(tail));
    ++line;
  }
  return text;
}

void SettleWindows() { RedrawWindow(FrameWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }
}  // namespace

int main() {
  WriteTestFonts(ProgramFolder());
  ForgetSettings();
  ScratchFolder folder;
  std::string path = folder.File("sample-50mb.gb");
  WriteFile(path, MakeSample(50u * 1000 * 1000));
  if (!StartViewer()) {
    std::printf("the frame did not start\n");
    return 1;
  }
  SizeViewClient(800, 600);

  std::vector<double> opens;
  for (int round = 0; round < 5; ++round) {
    LARGE_INTEGER start = Now();
    OpenDocument(FrameWindow, path.c_str());
    SettleWindows();
    opens.push_back(Milliseconds(start, Now()));
    Pump();
  }
  std::sort(opens.begin(), opens.end());
  std::printf("file: %.1f MB, %d display lines, view %d x %d rows\n", Document.textLength / 1e6, Document.lineCount,
              ViewState.visibleColumns, ViewState.visibleRows);
  std::printf("open to first full paint: median %.1f ms, best %.1f ms (5 opens)\n", opens[2], opens[0]);

  const int pages = 300;
  LARGE_INTEGER start = Now();
  for (int i = 0; i < pages; ++i) SendMessageA(FrameWindow, WM_KEYDOWN, VK_NEXT, 0);
  double pageTime = Milliseconds(start, Now());
  std::printf("page down: %.3f ms per page (%d pages)\n", pageTime / pages, pages);

  const int steps = 300;
  double scrolling = 0;
  double painting = 0;
  for (int i = 0; i < steps; ++i) {
    LARGE_INTEGER keyed = Now();
    SendMessageA(FrameWindow, WM_KEYDOWN, VK_DOWN, 0);
    LARGE_INTEGER scrolled = Now();
    UpdateWindow(ViewWindow);
    scrolling += Milliseconds(keyed, scrolled);
    painting += Milliseconds(scrolled, Now());
  }
  std::printf(
      "line down: %.3f ms per step (moving the pixels %.3f ms, drawing the new row %.3f ms) "
      "(%d steps)\n",
      (scrolling + painting) / steps, scrolling / steps, painting / steps, steps);

  start = Now();
  SendMessageA(FrameWindow, WM_KEYDOWN, VK_END, 0);
  std::printf("end of the document: %.3f ms (top line %d)\n", Milliseconds(start, Now()), ViewState.firstLine);
  StopViewer();
  ForgetSettings();
  return 0;
}
