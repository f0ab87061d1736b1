// How fast printing goes: a 100-page job of ZK's own print job under Wine
// into the file queue of a private print scheduler (run through
// tests/with_spooler.sh), the same pages through zk print into a PDF file,
// and how soon a Cancel takes effect.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include "base/instance_win32.h"
#include "base/profile_win32.h"
#include "base/program_path.h"
#include "base/settings_values.h"
#include "base/wide_text_win32.h"
#include "bench/bench_clock_win32.h"
#include "document/document.h"
#include "document/document_lines.h"
#include "document/glyph_font.h"
#include "document/line_bitmap.h"
#include "print/page_layout.h"
#include "print/print_job_win32.h"
#include "tests/spooler_support_win32.h"

namespace {
HDC DefaultPrinter() {
  wchar_t name[256] = L"";
  DWORD size = 256;
  return GetDefaultPrinterW(name, &size) ? CreateDCW(L"WINSPOOL", name, nullptr, nullptr) : nullptr;
}

int SpooledPages() {
  std::string count;
  RunUnix("grep -c '^%%Page:' " + JobFile(), &count);
  return std::atoi(count.c_str());
}
}  // namespace

int main() {
  if (SpoolDir().empty()) {
    std::printf("run through tests/with_spooler.sh\n");
    return 1;
  }
  AppInstance = GetModuleHandleA(nullptr);
  DeleteFileW(WideFromUtf8(SettingsFilePath().c_str()).c_str());
  // Default margins on the queue's 2450 x 3200 printable area: 33 lines a
  // page, so 3300 lines make 100 pages.
  const int lines = 3300;
  std::string unixDocument = SpoolDir() + "/bench.gb";
  WriteFile(WindowsPath(unixDocument), MakeDocument(lines, 80));
  if (!SetModulePath(RealProgramPath().c_str()) || !LoadAndIndexDocument(nullptr, WindowsPath(unixDocument).c_str()) ||
      !LoadCodeFont(nullptr) || !AllocateLineBitmap(nullptr, 0)) {
    std::printf("the document or the font did not load\n");
    return 1;
  }

  Remove(JobFile());
  LARGE_INTEGER start = Now();
  PrintDocument(nullptr, DefaultPrinter(), PrintRange{0, Document.lineCount});
  LARGE_INTEGER drawn = Now();
  WaitForSpooledJob();
  LARGE_INTEGER spooled = Now();
  int pages = SpooledPages();
  double total = Milliseconds(start, spooled);
  std::printf("print job into the file queue: %.1f pages/s (%d pages of %d lines: %.0f ms in ZK, %.0f ms in all)\n",
              1000.0 * pages / total, pages, Document.lineCount, Milliseconds(start, drawn), total);

  // What every job costs however short: one line on one page.
  Remove(JobFile());
  LARGE_INTEGER shortStart = Now();
  PrintDocument(nullptr, DefaultPrinter(), PrintRange{0, 1});
  double shortJob = Milliseconds(shortStart, Now());
  WaitForSpooledJob();
  const double lineTime = (Milliseconds(start, drawn) - shortJob) / (lines - 1);
  std::printf("one line on one page: %.0f ms in ZK; each further line %.2f ms\n", shortJob, lineTime);

  std::string native = NativeZk();
  std::string pdf = SpoolDir() + "/bench.pdf";
  std::string output;
  RunUnix("s=$(date +%s%N); " + native + " print " + unixDocument + " -o " + pdf +
              " && e=$(date +%s%N) && echo $(( (e - s) / 1000000 )) $(stat -c %s " + pdf + ")",
          &output);
  double pdfMilliseconds = 0, pdfBytes = 0;
  if (std::sscanf(output.c_str(), "%lf %lf", &pdfMilliseconds, &pdfBytes) == 2 && pdfMilliseconds > 0) {
    std::printf("zk print to PDF: %.1f pages/s (100 pages in %.0f ms)\n", 100000.0 / pdfMilliseconds, pdfMilliseconds);
    std::printf("PDF size: %.1f KB per page (%.0f KB for 100 pages)\n", pdfBytes / 1024 / 100, pdfBytes / 1024);
  } else {
    std::printf("zk print failed: %s\n", output.c_str());
  }

  // Cancel pressed from another thread, as a click arrives, as soon as the
  // abort dialog shows page 3: the job stops after the line being printed.
  Remove(JobFile());
  std::atomic<bool> done{false};
  LARGE_INTEGER pressed{};
  std::thread user([&] {
    while (!done) {
      HWND dialog = FindWindowW(nullptr, L"Print");
      wchar_t text[64] = L"";
      if (dialog != nullptr) GetDlgItemTextW(dialog, 1037, text, 64);
      if (wcsncmp(text, L"Page: 3/", 8) == 0) {
        pressed = Now();
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
      }
      Sleep(0);
    }
  });
  PrintDocument(nullptr, DefaultPrinter(), PrintRange{0, Document.lineCount});
  LARGE_INTEGER ended = Now();
  done = true;
  user.join();
  WaitForSpooledJob();
  std::vector<Page> printed = Rasterize(JobFile());
  PageLayout layout;
  PlanPage(2450, 3200, PageMargins{}, 80, LineBitmap.lineHeight, &layout);
  int onPage3 = 0;
  if (printed.size() >= 3) {
    for (int slot = 1; slot <= BodyLinesPerPage(layout); ++slot) {
      int top = 50 + SlotTop(layout, slot);
      bool ink = false;
      for (int y = top; y < top + layout.printLineHeight && !ink; ++y)
        for (int x = 0; x < printed[2].width && !ink; ++x) ink = printed[2].Ink(x, y);
      if (ink) ++onPage3;
    }
  }
  std::printf(
      "cancel on page 3: %zu pages printed, %d lines of page 3, job over %.1f ms after Cancel (a line takes "
      "%.2f ms)\n",
      printed.size(), onPage3, Milliseconds(pressed, ended), lineTime);
  DeleteFileW(WideFromUtf8(SettingsFilePath().c_str()).c_str());
  return 0;
}
