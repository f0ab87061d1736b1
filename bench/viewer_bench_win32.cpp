// How fast the real frame and view show large files under Wine: from the
// open to the first full paint, per Page Down and per line step, a file
// too large to hold, and the memory an open takes. The files are named on
// the command line:
//   viewer_bench TEXT LINEFEEDS [LARGE [TOO_LARGE]]
// Every figure is one line "name value" that scripts/bench reads.
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_clock_win32.h"
#include "document/document.h"
#include "shell/frame_win32.h"
#include "shell/open_document_win32.h"
#include "shell/text_view_win32.h"
#include "shell/view_state.h"
#include "tests/viewer_harness_win32.h"

namespace {
void Report(const char* name, double value) {
  std::printf("%s %.3f\n", name, value);
  std::fflush(stdout);
}

void SettleWindows() { RedrawWindow(FrameWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

// The median time from the open to the first full paint over `rounds` opens;
// an open slower than 10 s is judged by itself.
double MedianOpen(const char* path, int rounds) {
  std::vector<double> opens;
  for (int round = 0; round < rounds && (opens.empty() || opens[0] < 10000); ++round) {
    LARGE_INTEGER start = Now();
    OpenDocument(FrameWindow, path);
    SettleWindows();
    opens.push_back(Milliseconds(start, Now()));
    Pump();
  }
  std::sort(opens.begin(), opens.end());
  return opens[opens.size() / 2];
}

// Opens `path` while another thread watches the cursor; true when the wait
// cursor showed.
bool WaitCursorShowsDuringOpen(const char* path) {
  const HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
  std::atomic<bool> done{false};
  std::atomic<bool> seen{false};
  std::thread watcher([&] {
    while (!done) {
      CURSORINFO info{};
      info.cbSize = sizeof info;
      if (GetCursorInfo(&info) && info.hCursor == wait) seen = true;
      Sleep(1);
    }
  });
  OpenDocument(FrameWindow, path);
  done = true;
  watcher.join();
  Pump();
  return seen;
}

double MebiBytes(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

PROCESS_MEMORY_COUNTERS MemoryCounters() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters;
}

// The median, the 95th percentile and the slowest of `steps` key presses,
// each from the key to the window repainted.
void MeasureKey(const char* name, WPARAM key, int steps) {
  std::vector<double> times;
  for (int i = 0; i < steps; ++i) {
    LARGE_INTEGER start = Now();
    SendMessageA(FrameWindow, WM_KEYDOWN, key, 0);
    UpdateWindow(ViewWindow);
    times.push_back(Milliseconds(start, Now()));
  }
  std::sort(times.begin(), times.end());
  std::string prefix = name;
  Report((prefix + "_median_ms").c_str(), times[times.size() / 2]);
  Report((prefix + "_p95_ms").c_str(), times[times.size() * 95 / 100]);
  Report((prefix + "_slowest_ms").c_str(), times.back());
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: viewer_bench TEXT LINEFEEDS [LARGE [TOO_LARGE]]\n", stderr);
    return 2;
  }
  WriteTestFonts(ProgramFolder());
  ForgetSettings();
  if (!StartViewer()) {
    std::printf("the frame did not start\n");
    return 1;
  }
  SizeViewClient(800, 600);

  Report("text_open_ms", MedianOpen(argv[1], 5));
  Report("text_lines", Document.lineCount);
  MeasureKey("page_down", VK_NEXT, 300);
  MeasureKey("line_step", VK_DOWN, 300);

  Report("linefeeds_open_ms", MedianOpen(argv[2], 3));
  Report("linefeeds_lines", Document.lineCount);
  Report("wait_cursor_seen", WaitCursorShowsDuringOpen(argv[2]) ? 1 : 0);

  if (argc > 4) {
    WatchDialogs();
    OpenDocument(FrameWindow, argv[4]);
    bool refused = DialogsShown == Strings{"Error: Can not alloc memory!"} && Document.lineCount == 0;
    Report("too_large_refused", refused ? 1 : 0);
  }
  if (argc > 3) {
    ClearDocument();  // the large file's figures count only its own memory
    Report("large_open_ms", MedianOpen(argv[3], 1));
    Report("large_lines", Document.lineCount);
    Report("large_held_mib", MebiBytes(MemoryCounters().WorkingSetSize));
    Report("large_peak_mib", MebiBytes(MemoryCounters().PeakWorkingSetSize));
  }
  StopViewer();
  ForgetSettings();
  return 0;
}
