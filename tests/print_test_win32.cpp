// The real ZK.exe printing under Wine onto a real spooler (a private print
// scheduler whose queue writes PostScript into a file, started by
// with_spooler.sh): page setup, the print dialog and the abort dialog driven
// as a user drives them, the spooled pages turned into pictures by
// Ghostscript and read as a person reads paper.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/file_name.h"
#include "document/glyph_font.h"
#include "document/line_bitmap.h"
#include "print/header_footer.h"
#include "print/page_layout.h"
#include "shell/font_path.h"
#include "shell/settings_file_win32.h"
#include "shell/settings_values.h"
#include "shell/view_scroll.h"
#include "shell/wide_text_win32.h"
#include "tests/spooler_support_win32.h"
#include "tests/test_support.h"

namespace {
// A line as the viewer renders it, copied out of the shared line bitmap.
struct Rendered {
  Bytes bits;
  int bytesPerRow = 0;
  int height = 0;
  int cells = 0;
  bool Bit(int x, int y) const { return (bits[static_cast<size_t>(y) * bytesPerRow + x / 8] >> (7 - x % 8) & 1) != 0; }
};

Rendered Render(const uint8_t* bytes, int count, size_t readable) {
  Rendered line;
  line.cells = RenderLine(bytes, count, readable);
  line.bytesPerRow = LineBitmap.bytesPerRow;
  line.height = LineBitmap.lineHeight;
  line.bits.assign(LineBitmap.bits.get(), LineBitmap.bits.get() + static_cast<size_t>(line.bytesPerRow) * line.height);
  return line;
}

// What one slot of a page must show: any of `forms` (a header or footer
// composed at either end of the job's minute).
struct Expected {
  std::string what;
  int y = 0;
  std::vector<Rendered> forms;
};

// Pixels of a printed line that differ from its rendering, each screen pixel
// sampled at the middle of the place it is stretched to on paper.
int Mismatches(const Page& page, const PageLayout& layout, POINT offset, int y, const Rendered& line) {
  const int cells = std::min(std::max(line.cells, layout.charsPerLine), line.bytesPerRow);
  const double scaleX = layout.printWidth / (8.0 * layout.charsPerLine);
  const double scaleY = static_cast<double>(layout.printLineHeight) / line.height;
  int wrong = 0;
  for (int row = 0; row < line.height; ++row) {
    int py = offset.y + y + static_cast<int>((row + 0.5) * scaleY);
    for (int col = 0; col < 8 * cells; ++col) {
      int px = offset.x + layout.margins.left + static_cast<int>((col + 0.5) * scaleX);
      if (page.Ink(px, py) != line.Bit(col, row)) ++wrong;
    }
  }
  return wrong;
}

// Ink outside the slots that should hold some, a pixel of slack around each.
int StrayInk(const Page& page, const PageLayout& layout, POINT offset, const std::vector<Expected>& slots) {
  std::vector<RECT> allowed;
  for (const Expected& slot : slots) {
    int cells = std::max(slot.forms[0].cells, layout.charsPerLine);
    int left = offset.x + layout.margins.left;
    allowed.push_back({left - 1, offset.y + slot.y - 1, left + PrintedCellsWidth(layout, cells) + 1,
                       offset.y + slot.y + layout.printLineHeight + 1});
  }
  int stray = 0;
  for (int y = 0; y < page.height; ++y) {
    const uint8_t* row = page.bits.data() + static_cast<size_t>(y) * page.rowBytes;
    for (int b = 0; b < page.rowBytes; ++b) {
      if (row[b] == 0) continue;
      for (int x = 8 * b; x < 8 * b + 8; ++x) {
        if (!page.Ink(x, y)) continue;
        bool inside = std::any_of(allowed.begin(), allowed.end(), [&](const RECT& r) {
          return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
        });
        if (!inside) ++stray;
      }
    }
  }
  return stray;
}

// Checks every page against what it must show: the slots of its lines, and
// nothing else. The tolerance allows for where scaling puts pixel edges.
void CheckPages(const std::vector<Page>& pages, const PageLayout& layout, POINT offset,
                const std::vector<std::vector<Expected>>& expected) {
  ASSERT_EQ(pages.size(), expected.size());
  for (size_t p = 0; p < pages.size(); ++p) {
    SCOPED_TRACE("page " + std::to_string(p + 1));
    ASSERT_FALSE(pages[p].bits.empty());
    for (const Expected& slot : expected[p]) {
      int best = INT32_MAX;
      for (const Rendered& form : slot.forms) best = std::min(best, Mismatches(pages[p], layout, offset, slot.y, form));
      int pixels = 8 * std::max(slot.forms[0].cells, layout.charsPerLine) * slot.forms[0].height;
      EXPECT_LE(best, pixels / 500) << slot.what;
    }
    EXPECT_EQ(StrayInk(pages[p], layout, offset, expected[p]), 0);
  }
}

struct Viewer {
  PROCESS_INFORMATION process{};
  HWND frame = nullptr;
};

std::string ClassNameOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

// The text the system keeps for a window of another process: read without
// a message, so even while that process is busy or stopped.
std::wstring Caption(HWND window) {
  wchar_t text[512] = L"";
  GetWindowTextW(window, text, 512);
  return text;
}

// What an edit control holds, which only its own process knows.
std::wstring TextOf(HWND window) {
  wchar_t text[512] = L"";
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &ignored);
  return text;
}

// A visible top-level window of the viewer's process, of class `className`,
// captioned `caption`, holding control `control` (0: any).
HWND FindWindowOf(const Viewer& zk, const char* className, const wchar_t* caption, int control) {
  struct Search {
    DWORD process;
    const char* className;
    const wchar_t* caption;
    int control;
    HWND found;
  } search{zk.process.dwProcessId, className, caption, control, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != s->process || !IsWindowVisible(window) || ClassNameOf(window) != s->className) return TRUE;
        if (s->caption != nullptr && Caption(window) != s->caption) return TRUE;
        if (s->control != 0 && GetDlgItem(window, s->control) == nullptr) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

template <typename Predicate>
bool WaitFor(Predicate predicate, DWORD milliseconds = 30000) {
  for (DWORD start = GetTickCount(); !predicate(); Sleep(1)) {
    if (GetTickCount() - start > milliseconds) return false;
  }
  return true;
}

bool StartViewer(const std::string& document, Viewer* zk) {
  std::wstring line = WideFromUtf8((std::string("\"") + RealProgramPath() + "\" \"" + document + "\"").c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &zk->process))
    return false;
  return WaitFor([&] { return (zk->frame = FindWindowOf(*zk, "ZK", nullptr, 0)) != nullptr; });
}

void CloseViewer(Viewer* zk) {
  if (zk->process.hProcess == nullptr) return;
  if (zk->frame != nullptr) PostMessageW(zk->frame, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(zk->process.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(zk->process.hProcess, 1);
  CloseHandle(zk->process.hThread);
  CloseHandle(zk->process.hProcess);
  zk->process = {};
}

constexpr int RadioAll = 0x420;
constexpr int RadioSelection = 0x421;

bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// What the abort dialog showed while a job ran, and how the job went.
struct JobWatch {
  std::set<std::wstring> pages;  // "Page: n/m" texts seen
  std::wstring fileName;
  bool frameEnabledWhilePrinting = false;
  std::wstring error;  // the text of an error box, closed with OK
};

BOOL CALLBACK CollectStatic(HWND child, LPARAM data) {
  if (ClassNameOf(child) == "Static") *reinterpret_cast<std::wstring*>(data) += Caption(child);
  return TRUE;
}

// Chooses File > Print, answers the print dialog (`check` may look at it
// first), then follows the job to its end: with `cancelText`, presses Cancel
// in the abort dialog as soon as it shows that text.
JobWatch PrintWithDialog(const Viewer& zk, int choice, const std::function<void(HWND)>& check,
                         const std::wstring& cancelText = L"") {
  JobWatch watch;
  DeleteFileW(WideFromUtf8(WindowsPath(JobFile()).c_str()).c_str());
  PostMessageW(zk.frame, WM_COMMAND, 10004, 0);
  HWND dialog = nullptr;
  EXPECT_TRUE(WaitFor([&] { return (dialog = FindWindowOf(zk, "#32770", L"Print", RadioAll)) != nullptr; }));
  if (dialog == nullptr) return watch;
  check(dialog);
  SendMessageW(GetDlgItem(dialog, choice), BM_CLICK, 0, 0);
  PostMessageW(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  // The job is over when its abort dialog has come and gone, or an error
  // ended it, or (a job too short to catch its dialog) the queue has it.
  bool seen = false;
  DWORD confirmed = GetTickCount();
  WaitFor([&] {
    if (HWND box = FindWindowOf(zk, "#32770", L"Error", 0)) {
      EnumChildWindows(box, CollectStatic, reinterpret_cast<LPARAM>(&watch.error));
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      WaitFor([&] { return !IsWindowVisible(box); });
    }
    HWND abort = FindWindowOf(zk, "#32770", L"Print", 1037);
    if (abort == nullptr) {
      return IsWindowEnabled(zk.frame) && FindWindowOf(zk, "#32770", L"Print", RadioAll) == nullptr &&
             (seen || !watch.error.empty() || Exists(JobFile()) || GetTickCount() - confirmed > 5000);
    }
    seen = true;
    std::wstring page = Caption(GetDlgItem(abort, 1037));
    if (page.empty() || watch.pages.count(page)) return false;
    // A new page: looked at with the program stopped, so that what is seen
    // belongs together.
    SuspendThread(zk.process.hThread);
    if (IsWindow(abort) && Caption(GetDlgItem(abort, 1037)) == page) {
      watch.pages.insert(page);
      watch.fileName = Caption(GetDlgItem(abort, 1036));
      if (IsWindowEnabled(zk.frame)) watch.frameEnabledWhilePrinting = true;
      if (page == cancelText) PostMessageW(abort, WM_COMMAND, IDCANCEL, 0);
    }
    ResumeThread(zk.process.hThread);
    return false;
  });
  return watch;
}

const wchar_t* const DocumentName = L"\u6253\u5370.gb";  // in GB, B4F2 D3A1
const char* const DocumentNameInGb = "\xB4\xF2\xD3\xA1.gb";

struct PrinterArea {
  int width = 0;
  int height = 0;
  POINT offset{};  // of the printable area on the paper
};

PrinterArea DefaultPrinterArea() {
  PrinterArea area;
  wchar_t name[256] = L"";
  DWORD size = 256;
  if (!GetDefaultPrinterW(name, &size)) return area;
  HDC dc = CreateDCW(L"WINSPOOL", name, nullptr, nullptr);
  if (dc == nullptr) return area;
  area = {GetDeviceCaps(dc, HORZRES),
          GetDeviceCaps(dc, VERTRES),
          {GetDeviceCaps(dc, PHYSICALOFFSETX), GetDeviceCaps(dc, PHYSICALOFFSETY)}};
  DeleteDC(dc);
  return area;
}

LocalTime Clock() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute};
}

class SpoolerPrint : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(SpoolDir().empty()) << "run through tests/with_spooler.sh";
    DeleteFileW(WideFromUtf8(SettingsFilePath().c_str()).c_str());
    DeleteFileW(WideFromUtf8(WindowsPath(JobFile()).c_str()).c_str());
    CreateDirectoryW(WideFromUtf8(WindowsPath(SpoolDir() + "/docs").c_str()).c_str(), nullptr);
    area = DefaultPrinterArea();
    ASSERT_GT(area.width, 0) << "no default printer";
  }
  void TearDown() override {
    CloseViewer(&zk);
    DeleteFileW(WideFromUtf8(SettingsFilePath().c_str()).c_str());
  }

  // Writes the document and the settings, and starts ZK.exe with it.
  void Open(const Bytes& text, const std::vector<std::pair<const char*, const char*>>& settings) {
    path = WindowsPath(SpoolDir() + "/docs/") + Utf8FromWide(DocumentName);
    WriteFile(path, text);
    for (const auto& [key, value] : settings) WriteProfileText(key, value);
    ASSERT_TRUE(StartViewer(path, &zk));
  }

  // Loads the document here as ZK.exe loaded it, to render what each
  // printed line must look like.
  void LoadHere(int width, int spacing) {
    ResetSharedState();
    Settings.charsPerLine = width;
    Settings.lineSpacing = spacing;
    ASSERT_TRUE(SetModulePath(RealProgramPath().c_str()));
    ASSERT_TRUE(LoadAndIndexDocument(nullptr, path.c_str()));
    ASSERT_TRUE(LoadCodeFont(nullptr));
    ASSERT_TRUE(AllocateLineBitmap(nullptr, 0));
  }

  // The pages a job must print: the lines of `range` in their slots, and the
  // header and footer composed from the templates at any of `times`.
  std::vector<std::vector<Expected>> ExpectedPages(const PageLayout& layout, PrintRange range, const char* head,
                                                   const char* foot, std::vector<LocalTime> times, int pageCount) {
    if (times.empty()) times.push_back(Clock());
    std::vector<std::vector<Expected>> pages(static_cast<size_t>(pageCount));
    for (int i = 0; i < range.count; ++i) {
      LinePlace place = PlaceJobLine(layout, i);
      if (place.page > pageCount) break;
      RowText row = RowTextForLine(range.first + i);
      pages[place.page - 1].push_back({"line " + std::to_string(range.first + i + 1),
                                       SlotTop(layout, place.slot),
                                       {Render(row.bytes, row.count, row.readable)}});
    }
    for (int p = 0; p < pageCount; ++p) {
      for (int which = 0; which < 2; ++which) {
        const char* templateText = which == 0 ? head : foot;
        if (templateText[0] == '\0') continue;
        Expected edge{which == 0 ? "header" : "footer", which == 0 ? HeaderTop(layout) : FooterTop(layout), {}};
        for (const LocalTime& now : times) {
          uint8_t line[MaxCharsPerLine];
          size_t length =
              ComposeHeaderFooter(templateText, p + 1, DocumentNameInGb, now, layout.charsPerLine, line, sizeof line);
          edge.forms.push_back(Render(line, static_cast<int>(length), length));
        }
        pages[static_cast<size_t>(p)].push_back(edge);
      }
    }
    return pages;
  }

  PageLayout Layout(const PageMargins& margins) {
    PageLayout layout;
    EXPECT_EQ(PlanPage(area.width, area.height, margins, Settings.charsPerLine, LineBitmap.lineHeight, &layout), 0);
    return layout;
  }

  PrinterArea area;
  Viewer zk;
  std::string path;
};

// Margins that give the worked geometry on a printable area of 2450 x 3200:
// a print area of 2100 x 3000, lines 79 high, 35 to a page.
const PageMargins Worked = {100, 100, 175, 175};
const std::vector<std::pair<const char*, const char*>> WorkedMargins = {
    {"TopMargin", "100"}, {"BottomMargin", "100"}, {"LeftMargin", "175"}, {"RightMargin", "175"}};

std::vector<std::pair<const char*, const char*>> With(std::vector<std::pair<const char*, const char*>> settings,
                                                      std::initializer_list<std::pair<const char*, const char*>> more) {
  settings.insert(settings.end(), more);
  return settings;
}

TEST_F(SpoolerPrint, JobsOnPaper) {
  struct Row {
    const char* what;
    int lines, width, spacing;
    const char *head, *foot;
    int pages;            // printed
    const char* cancel;   // the abort dialog's text at which Cancel is pressed
    const char* picture;  // pages kept for a person to look at
  } rows[] = {
      // Header and footer at the page edges, whatever the view's colours.
      {"100 lines", 100, 80, 8, "&l&f&r&p", "&c&d &t", 3, "", "screenshots/print-zk-exe-%d.png"},
      {"35 lines", 35, 80, 8, "", "", 1, "", ""},
      {"36 lines", 36, 80, 8, "&l&f", "&r&p", 2, "", ""},
      // 98 lines a page: Cancel lands in the middle of page 3.
      {"a cancel on page 3", 400, 160, 2, "&c&f", "&cpage &p", 3, "Page: 3/5", "screenshots/print-cancel-%d.png"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::string width = std::to_string(row.width), spacing = std::to_string(row.spacing);
    Open(MakeDocument(row.lines, row.width), With(WorkedMargins, {{"Head", row.head},
                                                                  {"Foot", row.foot},
                                                                  {"CharsPerLine", width.c_str()},
                                                                  {"LinePitch", spacing.c_str()},
                                                                  {"TextColor", "14"},
                                                                  {"BackColor", "4"}}));
    LocalTime before = Clock();
    std::wstring cancel = WideFromUtf8(row.cancel);
    JobWatch watch = PrintWithDialog(
        zk, RadioAll,
        [](HWND dialog) {
          // No selection: printing one is not offered.
          EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, RadioSelection)));
          EXPECT_TRUE(Checked(GetDlgItem(dialog, RadioAll)));
        },
        cancel);
    ASSERT_TRUE(WaitForSpooledJob());
    LocalTime after = Clock();
    EXPECT_TRUE(watch.error.empty());
    EXPECT_FALSE(watch.frameEnabledWhilePrinting);
    EXPECT_TRUE(IsWindowEnabled(zk.frame));
    if (!cancel.empty()) {
      EXPECT_TRUE(watch.pages.count(cancel));
      EXPECT_FALSE(watch.pages.count(L"Page: 4/5"));
      EXPECT_EQ(watch.fileName, DocumentName);
    }
    LoadHere(row.width, row.spacing);
    PageLayout layout = Layout(Worked);
    std::vector<Page> pages = Rasterize(JobFile(), row.picture);
    ASSERT_EQ(static_cast<int>(pages.size()), row.pages);
    PrintRange range{0, Document.lineCount};
    if (!cancel.empty()) {
      // Page 3 ends where the cancel took effect, with its footer.
      int onPage3 = 0;
      for (int i = 2 * BodyLinesPerPage(layout); i < range.count; ++i) {
        RowText line = RowTextForLine(i);
        Rendered rendered = Render(line.bytes, line.count, line.readable);
        if (Mismatches(pages[2], layout, area.offset, SlotTop(layout, PlaceJobLine(layout, i).slot), rendered) >
            rendered.bytesPerRow * rendered.height / 10)
          break;
        ++onPage3;
      }
      EXPECT_LT(onPage3, BodyLinesPerPage(layout));
      RecordProperty("lines_on_page_3", onPage3);
      range.count = 2 * BodyLinesPerPage(layout) + onPage3;
    }
    CheckPages(pages, layout, area.offset,
               ExpectedPages(layout, range, row.head, row.foot, {before, after}, row.pages));
    CloseViewer(&zk);
  }
}

TEST_F(SpoolerPrint, ASelectionMadeUpwardsPrintsItsLines) {
  Open(MakeDocument(100, 80), With(WorkedMargins, {{"Left", "0"}, {"Top", "0"}, {"Right", "900"}, {"Bottom", "1000"}}));
  // Nine lines down, then a drag from line 40 up to line 10.
  HWND view = FindWindowExW(zk.frame, nullptr, L"ClientWndClass", nullptr);
  ASSERT_NE(view, nullptr);
  for (int k = 0; k < 9; ++k) PostMessageW(view, WM_KEYDOWN, VK_DOWN, 0);
  const int rowHeight = 24;
  PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 30 * rowHeight + 12));
  PostMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 12));
  PostMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(20, 12));
  JobWatch watch = PrintWithDialog(zk, RadioSelection, [](HWND dialog) {
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, RadioSelection)));
    EXPECT_TRUE(Checked(GetDlgItem(dialog, RadioSelection)));
  });
  ASSERT_TRUE(WaitForSpooledJob());
  LoadHere(80, 8);
  PageLayout layout = Layout(Worked);
  CheckPages(Rasterize(JobFile()), layout, area.offset, ExpectedPages(layout, {9, 31}, "", "", {}, 1));
}

TEST_F(SpoolerPrint, MarginsTooBigPrintNothing) {
  Open(MakeDocument(10, 80), {{"LeftMargin", "1300"}, {"RightMargin", "1300"}});
  JobWatch watch = PrintWithDialog(zk, RadioAll, [](HWND) {});
  EXPECT_NE(watch.error.find(L"Margin is too big, please setup it once again!"), std::wstring::npos);
  Sleep(2000);
  EXPECT_FALSE(Exists(JobFile()));
  EXPECT_TRUE(IsWindowEnabled(zk.frame));
}

// The same job through ZK.exe on the spooler and through zk print, with the
// geometry of the printable area: the same pages, each line's ink in place.
TEST_F(SpoolerPrint, ZkPrintMakesTheSamePages) {
  Open(MakeDocument(40, 80), With(WorkedMargins, {{"Head", "&l&f&r&p"}, {"Foot", "&cpage &p"}}));
  PrintWithDialog(zk, RadioAll, [](HWND) {});
  ASSERT_TRUE(WaitForSpooledJob());
  std::vector<Page> printed = Rasterize(JobFile());
  std::string pdf = SpoolDir() + "/zk-print.pdf";
  std::string unixDocument = SpoolDir() + "/docs/" + Utf8FromWide(DocumentName);
  // The printable area in points (300 dpi: 12 points to 50 pixels).
  std::string paper = std::to_string(area.width * 72 / 300) + "x" + std::to_string(area.height * 72 / 300);
  std::string native = ProgramFolder();
  std::replace(native.begin(), native.end(), '\\', '/');
  native = native.substr(2, native.find("/windows/") - 2) + "/native/bin/zk";
  ASSERT_EQ(RunUnix(native + " print --paper " + paper + " --top 100 --bottom 100 --left 175 --right 175" +
                    " --head '&l&f&r&p' --foot '&cpage &p' " + unixDocument + " -o " + pdf),
            0);
  std::vector<Page> made = Rasterize(pdf, "screenshots/print-zk-print-%d.png");
  LoadHere(80, 8);
  PageLayout layout = Layout(Worked);
  std::vector<std::vector<Expected>> expected = ExpectedPages(layout, {0, 40}, "&l&f&r&p", "&cpage &p", {}, 2);
  CheckPages(printed, layout, area.offset, expected);
  CheckPages(made, layout, {0, 0}, expected);
}

struct Field {
  int id;
  const char* key;
};
const Field PageSetupFields[] = {{1039, "Head"},         {1040, "Foot"},       {1043, "TopMargin"},
                                 {1045, "BottomMargin"}, {1044, "LeftMargin"}, {1046, "RightMargin"}};

std::string Stored(const char* key) {
  char text[256] = "";
  return ReadProfileText(key, text, sizeof text) ? text : "(none)";
}

TEST_F(SpoolerPrint, PageSetupStoresWhatIsTypedAndThePrintReadsIt) {
  Open(MakeDocument(30, 80), {});
  struct Row {
    const char* values[6];
    int button;
    const char* shownBefore[6];
    const char* storedAfter[6];
  } rows[] = {
      // A fresh settings file: empty templates, 150 each; OK writes all six.
      {{"&l&f", "&c&p", "100", "100", "2cm", "175"},
       IDOK,
       {"", "", "150", "150", "150", "150"},
       {"&l&f", "&c&p", "100", "100", "2cm", "175"}},
      // Cancel after editing writes nothing; the field shows the number read.
      {{"changed", "", "9", "9", "9", "9"},
       IDCANCEL,
       {"&l&f", "&c&p", "100", "100", "2", "175"},
       {"&l&f", "&c&p", "100", "100", "2cm", "175"}},
  };
  for (const Row& row : rows) {
    PostMessageW(zk.frame, WM_COMMAND, 10005, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = FindWindowOf(zk, "#32770", L"Page Setup", 1039)) != nullptr; }));
    for (int k = 0; k < 6; ++k) {
      EXPECT_EQ(Utf8FromWide(TextOf(GetDlgItem(dialog, PageSetupFields[k].id)).c_str()), row.shownBefore[k]);
      SendMessageW(GetDlgItem(dialog, PageSetupFields[k].id), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(WideFromUtf8(row.values[k]).c_str()));
    }
    // Help opens over the dialog and closes, leaving the edits.
    PostMessageW(dialog, WM_COMMAND, 1055, 0);
    HWND help = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (help = FindWindowOf(zk, "#32770", L"Help", 0)) != nullptr; }));
    PostMessageW(help, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(help); }));
    EXPECT_EQ(Utf8FromWide(TextOf(GetDlgItem(dialog, 1044)).c_str()), row.values[4]);
    PostMessageW(dialog, WM_COMMAND, row.button, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    for (int k = 0; k < 6; ++k) EXPECT_EQ(Stored(PageSetupFields[k].key), row.storedAfter[k]) << PageSetupFields[k].key;
  }
  // "2cm" prints as a left margin of 2.
  PrintWithDialog(zk, RadioAll, [](HWND) {});
  ASSERT_TRUE(WaitForSpooledJob());
  LoadHere(80, 8);
  PageLayout layout = Layout({100, 100, 2, 175});
  CheckPages(Rasterize(JobFile()), layout, area.offset, ExpectedPages(layout, {0, 30}, "&l&f", "&c&p", {}, 1));
}
}  // namespace
