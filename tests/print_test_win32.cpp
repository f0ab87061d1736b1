// The real ZK.exe printing under Wine onto a private print scheduler (with_spooler.sh): its dialogs driven as a
// user drives them, its PostScript pages rasterized and read as a person reads paper.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <array>

#include "base/profile_win32.h"
#include "base/program_path.h"
#include "base/settings_values.h"
#include "base/wide_text_win32.h"
#include "document/document.h"
#include "document/document_lines.h"
#include "document/glyph_font.h"
#include "document/line_bitmap.h"
#include "print/header_footer.h"
#include "print/page_layout.h"
#include "resources/resource_ids.h"
#include "shell/view_scroll.h"
#include "tests/spooler_support_win32.h"

namespace {
const wchar_t* const DocumentName = L"\u6253\u5370.gb";  // in GB, B4F2 D3A1
// The queue's letter page at 300 dpi: a printable area of 2450 x 3200, 50 pixels in from the paper's corner.
constexpr int PageWidth = 2450, PageHeight = 3200, Corner = 50;

// What the slot at `y` must show: the line bitmap of a line `cells` wide on paper, in any of its `forms` (a
// header or footer at either end of the job's minute).
struct Slot {
  int y = 0, cells = 0;
  std::vector<Bytes> forms{};
};
using Pages = std::vector<std::vector<Slot>>;

// The slot's line is on the page, whose printable area starts at (at, at): each screen pixel, sampled at the
// middle of the place it is stretched to, as rendered but for a few where scaling puts pixel edges.
bool Shows(const Page& page, const PageLayout& layout, int at, const Slot& slot) {
  const double scaleX = layout.printWidth / (8.0 * layout.charsPerLine);
  const double scaleY = static_cast<double>(layout.printLineHeight) / LineBitmap.lineHeight;
  int fewest = INT32_MAX;
  for (const Bytes& bits : slot.forms) {
    int wrong = 0;
    for (int row = 0; row < LineBitmap.lineHeight; ++row) {
      for (int col = 0; col < 8 * slot.cells; ++col) {
        bool ink = (bits[row * LineBitmap.bytesPerRow + col / 8] >> (7 - col % 8) & 1) != 0;
        wrong += ink != page.Ink(at + layout.margins.left + static_cast<int>((col + 0.5) * scaleX),
                                 at + slot.y + static_cast<int>((row + 0.5) * scaleY));
      }
    }
    fewest = std::min(fewest, wrong);
  }
  return fewest <= 8 * slot.cells * LineBitmap.lineHeight / 4000;
}

// Each page shows the lines of its slots, and no ink anywhere else.
void CheckPages(std::vector<Page> paper, const PageLayout& layout, int at, const Pages& expected) {
  ASSERT_EQ(paper.size(), expected.size());
  const int left = at + layout.margins.left;
  for (size_t p = 0; p < paper.size(); ++p) {
    Page& page = paper[p];
    for (const Slot& slot : expected[p])
      EXPECT_TRUE(Shows(page, layout, at, slot)) << "page " << p + 1 << " y " << slot.y;
    // Each slot cleared, a pixel of slack around it: ink left is misplaced.
    for (const Slot& slot : expected[p])
      for (int y = at + slot.y - 1; y <= at + slot.y + layout.printLineHeight; ++y)
        for (int x = left - 1; x <= left + PrintedCellsWidth(layout, slot.cells); ++x)
          if (page.Ink(x, y)) page.bits[y * page.rowBytes + x / 8] ^= static_cast<uint8_t>(0x80 >> x % 8);
    int stray = 0;
    for (int y = 0; y < page.height; ++y)
      for (int x = 0; x < page.width; ++x) stray += page.Ink(x, y);
    EXPECT_EQ(stray, 0) << "page " << p + 1;
  }
}

LocalTime Clock() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute};
}

// What a job with `margins` must print, rendered here from the document as ZK.exe loads it: the lines of `range`
// in their slots, and the header and footer composed from the templates at any of `times`.
Pages Expect(const std::string& path, int width, int spacing, const PageMargins& margins, PrintRange range,
             const char* head, const char* foot, int pageCount, std::vector<LocalTime> times, PageLayout* layout) {
  ResetSharedState();
  Settings.charsPerLine = width;
  Settings.lineSpacing = spacing;
  EXPECT_TRUE(SetModulePath(RealProgramPath().c_str()) && LoadAndIndexDocument(nullptr, path.c_str()) &&
              LoadCodeFont(nullptr) && AllocateLineBitmap(nullptr, 0));
  EXPECT_EQ(PlanPage(PageWidth, PageHeight, margins, width, LineBitmap.lineHeight, layout), 0);
  auto render = [&](Slot& slot, const uint8_t* bytes, int count, size_t readable) {
    slot.cells = std::min(std::max(RenderLine(bytes, count, readable), width), LineBitmap.bytesPerRow);
    slot.forms.emplace_back(LineBitmap.bits.get(),
                            LineBitmap.bits.get() + LineBitmap.bytesPerRow * LineBitmap.lineHeight);
  };
  Pages pages(pageCount);
  range.count = std::min(range.count, Document.lineCount - range.first);
  for (int i = 0; i < range.count; ++i) {
    LinePlace place = PlaceJobLine(*layout, i);
    RowText row = RowTextForLine(range.first + i);
    if (place.page > pageCount) break;
    render(pages[place.page - 1].emplace_back(Slot{SlotTop(*layout, place.slot)}), row.bytes, row.count, row.readable);
  }
  for (int p = 0; p < pageCount; ++p) {
    for (const char* text : {head, foot}) {
      if (*text == '\0') continue;
      Slot& edge = pages[p].emplace_back(Slot{text == head ? HeaderTop(*layout) : FooterTop(*layout)});
      for (const LocalTime& now : times) {
        uint8_t line[MaxCharsPerLine];
        size_t length = ComposeHeaderFooter(text, p + 1, "\xB4\xF2\xD3\xA1.gb", now, width, line, sizeof line);
        render(edge, line, static_cast<int>(length), length);
      }
    }
  }
  return pages;
}

template <typename Done>
bool WaitFor(Done done, DWORD milliseconds = 30000) {
  for (DWORD start = GetTickCount(); !done(); Sleep(1))
    if (GetTickCount() - start > milliseconds) return false;
  return true;
}

// The text the system keeps for a window of another process: read even while that process is stopped.
std::wstring Caption(HWND window) {
  wchar_t text[512] = L"";
  GetWindowTextW(window, text, 512);
  return text;
}

// What the abort dialog showed while a job ran, and what the job left.
struct Job {
  std::wstring page;   // the last "Page: n/m"
  std::wstring error;  // the text of an error box, closed with OK
  std::vector<Page> paper;
};

using Six = std::array<std::string, 6>;

class SpoolerPrint : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(SpoolDir().empty()) << "run through tests/with_spooler.sh"; }
  void TearDown() override { Close(); }

  // A visible top-level window of ZK.exe holding control `control` (0: any).
  HWND Find(const wchar_t* caption, int control = 0, const wchar_t* className = L"#32770") {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, className, caption)) != nullptr;) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == zk.dwProcessId && IsWindowVisible(w) && (control == 0 || GetDlgItem(w, control))) return w;
    }
    return nullptr;
  }

  // Starts ZK.exe with the document from a fresh settings file: `width` cells, `spacing` rows between lines,
  // colours of its own, 31 lines seen.
  void Open(const Bytes& text, int width, int spacing) {
    Close();
    DeleteFileW(WideFromUtf8(SettingsFilePath().c_str()).c_str());
    WriteFile(path, text);
    const char* keys[] = {"CharsPerLine", "LinePitch", "TextColor", "BackColor", "Left", "Top", "Right", "Bottom"};
    const std::string values[] = {std::to_string(width), std::to_string(spacing), "14", "4", "0", "0", "900", "1000"};
    for (int k = 0; k < 8; ++k) WriteProfileText(keys[k], values[k].c_str());
    std::wstring line = WideFromUtf8((std::string("\"") + RealProgramPath() + "\" \"" + path + "\"").c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &zk));
    ASSERT_TRUE(WaitFor([&] { return (frame = Find(nullptr, 0, L"ZK")) != nullptr; }));
  }

  void Close() {
    if (zk.hProcess == nullptr) return;
    PostMessageW(frame, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(zk.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(zk.hProcess, 1);
    CloseHandle(zk.hThread);
    CloseHandle(zk.hProcess);
    zk = {};
  }

  // Page Setup as a user works it. From a fresh settings file it shows empty templates and 150 each, and OK
  // writes all six as typed. Opened again, margins show the numbers read, and Cancel after editing writes
  // nothing. Help opens over it and closes, leaving the edits.
  void PageSetup(const Six& typed) {
    int ids[] = {ZK_ID_HEAD, ZK_ID_FOOT, ZK_ID_TOP_MARGIN, ZK_ID_BOTTOM_MARGIN, ZK_ID_LEFT_MARGIN, ZK_ID_RIGHT_MARGIN};
    const char* const keys[] = {"Head", "Foot", "TopMargin", "BottomMargin", "LeftMargin", "RightMargin"};
    Six fresh = {"", "", "150", "150", "150", "150"}, read = typed, junk = {"changed", "", "9", "9", "9", "9"};
    for (int k = 2; k < 6; ++k) read[k] = std::to_string(std::atoi(typed[k].c_str()));
    for (auto [shown, entered, button] : std::initializer_list<std::tuple<const Six*, const Six*, int>>{
             {&fresh, &typed, IDOK}, {&read, &junk, IDCANCEL}}) {
      PostMessageW(frame, WM_COMMAND, ZK_CMD_PAGE_SETUP, 0);
      HWND dialog = nullptr, help = nullptr;
      ASSERT_TRUE(WaitFor([&] { return (dialog = Find(L"Page Setup", ZK_ID_HEAD)) != nullptr; }));
      wchar_t text[256] = L"";
      for (int k = 0; k < 6; ++k) {
        GetDlgItemTextW(dialog, ids[k], text, 256);
        EXPECT_EQ(Utf8FromWide(text), (*shown)[k]) << keys[k];
        SetDlgItemTextW(dialog, ids[k], WideFromUtf8((*entered)[k].c_str()).c_str());
      }
      PostMessageW(dialog, WM_COMMAND, ZK_ID_PAGE_SETUP_HELP, 0);
      ASSERT_TRUE(WaitFor([&] { return (help = Find(L"Help")) != nullptr; }));
      PostMessageW(help, WM_COMMAND, IDOK, 0);
      ASSERT_TRUE(WaitFor([&] { return !IsWindow(help); }));
      GetDlgItemTextW(dialog, ZK_ID_LEFT_MARGIN, text, 256);
      EXPECT_EQ(Utf8FromWide(text), (*entered)[4]);
      PostMessageW(dialog, WM_COMMAND, button, 0);
      ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
      for (int k = 0; k < 6; ++k) {
        char value[256] = "";
        ReadProfileText(keys[k], value, sizeof value);
        EXPECT_EQ(value, typed[k]) << keys[k];
      }
    }
  }

  // File > Print and OK, on Selection when there is one and All when not; the job followed to its end, the
  // frame disabled and the file named while it runs, and Cancel pressed once the abort dialog shows `cancelAt`.
  Job Print(const std::wstring& cancelAt, const std::string& picture) {
    Job job;
    Remove(JobFile());
    PostMessageW(frame, WM_COMMAND, ZK_CMD_PRINT, 0);
    HWND dialog = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (dialog = Find(L"Print", IDOK)) != nullptr; }));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    auto follow = [&] {
      if (HWND box = Find(L"Error")) {
        for (HWND part = nullptr; (part = FindWindowExW(box, part, L"Static", nullptr)) != nullptr;)
          job.error += Caption(part);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
      HWND abort = Find(L"Print", ZK_ID_PRINT_PAGE);
      if (abort == nullptr)
        return IsWindowEnabled(frame) && !Find(L"Print", IDOK) && (!job.error.empty() || WaitForSpooledJob(0));
      // Looked at with the program stopped, so that what is seen belongs together.
      SuspendThread(zk.hThread);
      std::wstring page = Caption(GetDlgItem(abort, ZK_ID_PRINT_PAGE));
      if (!page.empty() && page != job.page) {
        job.page = page;
        EXPECT_EQ(Caption(GetDlgItem(abort, ZK_ID_PRINT_FILE_NAME)), DocumentName) << page;
        EXPECT_FALSE(IsWindowEnabled(frame)) << page;
        if (page == cancelAt) PostMessageW(abort, WM_COMMAND, IDCANCEL, 0);
      }
      ResumeThread(zk.hThread);
      return false;
    };
    EXPECT_TRUE(WaitFor(follow, 90000));
    if (job.error.empty()) job.paper = Rasterize(JobFile(), picture);
    return job;
  }

  PROCESS_INFORMATION zk{};
  HWND frame = nullptr;
  std::string path = WindowsPath(SpoolDir() + "/") + Utf8FromWide(DocumentName);
};

// A GB text in UTF-8, by the system's own tables.
Bytes Utf8Of(const Bytes& gb) {
  const int units =
      MultiByteToWideChar(936, 0, reinterpret_cast<const char*>(gb.data()), static_cast<int>(gb.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(936, 0, reinterpret_cast<const char*>(gb.data()), static_cast<int>(gb.size()), wide.data(),
                      units);
  return ToBytes(Utf8FromWide(wide.c_str()));
}

TEST_F(SpoolerPrint, Jobs) {
  struct Row {
    const char *what, *head, *foot, *left;  // what: the name of its pictures; left: a margin as typed
    int lines, width, spacing, pages;       // no pages: the margins are too big
    bool selection;                         // dragged from line 40 up to line 10
    const char* cancelAt;                   // Cancel pressed when the abort dialog shows this
    bool zkPrint;                           // zk print must make the same pages
    bool utf8 = false;                      // the document in UTF-8, drawn from the Unicode font
  } rows[] = {
      // Margins of 100, 100, 175, 175 leave 2100 x 3000: 35 lines a page at 80 cells.
      {"zk-exe", "&l&f&r&p", "&c&d &t", "175", 100, 80, 8, 3, false, "", false},
      {"35-lines", "", "", "175", 35, 80, 8, 1, false, "", false},
      {"36-lines", "&l&f", "&cpage &p", "175", 36, 80, 8, 2, false, "", true},
      // 98 lines a page: Cancel lands in the middle of page 3.
      {"cancel", "&c&f", "&r&p", "175", 400, 160, 2, 3, false, "Page: 3/5", false},
      {"selection", "&c&p", "", "2cm", 100, 80, 8, 1, true, "", false},
      {"margins-too-big", "", "", "2300", 10, 80, 8, 0, false, "", false},
      {"utf-8", "", "&cpage &p", "175", 36, 80, 8, 2, false, "", false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Open(row.utf8 ? Utf8Of(MakeDocument(row.lines, row.width)) : MakeDocument(row.lines, row.width), row.width,
         row.spacing);
    PageSetup({row.head, row.foot, "100", "100", row.left, "175"});
    if (row.selection) {
      // Nine lines down, then a drag from line 40 up to line 10.
      HWND view = FindWindowExW(frame, nullptr, L"ClientWndClass", nullptr);
      for (int k = 0; k < 9; ++k) PostMessageW(view, WM_KEYDOWN, VK_DOWN, 0);
      PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 30 * 24 + 12));
      PostMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 12));
      PostMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(20, 12));
    }
    LocalTime before = Clock();
    Job job = Print(WideFromUtf8(row.cancelAt), std::string("screenshots/print-") + row.what + "-%d.png");
    if (row.pages == 0) {
      EXPECT_NE(job.error.find(L"Margin is too big, please setup it once again!"), std::wstring::npos);
      EXPECT_FALSE(WaitForSpooledJob(2000));
      continue;
    }
    EXPECT_EQ(job.error, L"");
    PageLayout layout;
    Pages expected = Expect(path, row.width, row.spacing, {100, 100, std::atoi(row.left), 175},
                            row.selection ? PrintRange{9, 31} : PrintRange{0, INT32_MAX}, row.head, row.foot, row.pages,
                            {before, Clock()}, &layout);
    ASSERT_EQ(job.paper.size(), expected.size());
    if (*row.cancelAt != '\0') {
      // Page 3 ends where the cancel took effect, with its footer.
      std::vector<Slot>& page3 = expected[2];
      int body = BodyLinesPerPage(layout), printed = 0;
      while (printed < body && Shows(job.paper[2], layout, Corner, page3[printed])) ++printed;
      EXPECT_LT(printed, body);
      page3.erase(page3.begin() + printed, page3.begin() + body);
    }
    CheckPages(job.paper, layout, Corner, expected);
    if (!row.zkPrint) continue;
    // The same job through zk print, on a page the size of the printable area.
    std::string pdf = SpoolDir() + "/zk-print.pdf";
    ASSERT_EQ(RunUnix(NativeZk() + " print --paper 588x768 --top 100 --bottom 100 --left 175 --right 175 --head '" +
                      row.head + "' --foot '" + row.foot + "' " + SpoolDir() + "/" + Utf8FromWide(DocumentName) +
                      " -o " + pdf),
              0);
    CheckPages(Rasterize(pdf, "screenshots/print-zk-print-%d.png"), layout, 0, expected);
  }
}
}  // namespace
