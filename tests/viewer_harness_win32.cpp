#include "tests/viewer_harness_win32.h"

#include <dlgs.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include <commctrl.h>

#include "base/settings_values.h"
#include "base/wide_text_win32.h"
#include "document/line_bitmap.h"
#include "resources/resource_ids.h"
#include "shell/frame_win32.h"
#include "shell/open_document_win32.h"
#include "shell/settings_file_win32.h"
#include "shell/text_view_win32.h"

const std::string Title = "Larkspan for Windows(32) Ver.2.5";

Bytes TestFont(int code) {
  const size_t sizes[3] = {265792, 451232, 270208};
  Bytes font = MakeMarkedFont(sizes[code]);
  // GB as marked; Big5 inverted; Shift JIS with its low nibbles flipped.
  for (uint8_t& b : font) b = static_cast<uint8_t>(code == 1 ? ~b : code == 2 ? b ^ 0x0F : b);
  // A blank is blank in every real font; rows past the end are drawn with one.
  std::fill(font.begin() + 16 * ' ', font.begin() + 16 * (' ' + 1), 0);
  return font;
}

void WriteTestFonts(const std::string& folder, int skip) {
  const char* const names[3] = {"ZKJT16.FON", "ZKFT16.FON", "ZKJP16.FON"};
  for (int code = 0; code < 3; ++code) WriteFile(folder + "\\" + names[code], TestFont(code));
  // The Unicode font and the Unicode tables as the build made them: a
  // Unicode text shows in no other font, and a search and a copy go through
  // the tables.
  for (const char* built : {"ZKUNI16.FON", "GBUNI.TBL", "BIG5UNI.TBL", "SJISUNI.TBL", "UNIGB.TBL", "UNIBIG5.TBL",
                            "UNISJIS.TBL", "GB4UNI.TBL"})
    CopyFileA((ProgramFolder() + "\\..\\bin\\" + built).c_str(), (folder + "\\" + built).c_str(), FALSE);
  if (skip >= 0) DeleteFileA((folder + "\\" + names[skip]).c_str());
}

std::string ProgramFolder() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, std::strrchr(path, '\\'));
}

std::string InstallProgram(const ScratchFolder& folder) {
  CopyFileA((ProgramFolder() + "\\..\\bin\\ZK.exe").c_str(), folder.File("ZK.exe").c_str(), FALSE);
  WriteTestFonts(folder.path.string());
  return folder.File("ZK.exe");
}

HANDLE StartTool(const std::string& arguments) {
  // Built up in place: GCC takes "quote" + path for an overlapping copy.
  std::string line = ProgramFolder();
  line.insert(0, 1, '"');
  line.append("\\..\\bin\\zk-cli.exe\" ").append(arguments);
  std::wstring wide = WideFromUtf8(line.c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return nullptr;
  CloseHandle(process.hThread);
  return process.hProcess;
}

int WaitForTool(HANDLE process) {
  if (process == nullptr) return -1;
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process, 60000) != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &code))
    code = static_cast<DWORD>(-1);
  CloseHandle(process);
  return static_cast<int>(code);
}

int RunTool(const std::string& arguments) { return WaitForTool(StartTool(arguments)); }

void ForgetSettings() { DeleteFileW(WideFromUtf8(SettingsFilePath().c_str()).c_str()); }

void StoreSetting(const char* key, const char* value) { WriteProfileText(key, value); }

std::string StoredSetting(const char* key) {
  char text[64] = "";
  ReadProfileText(key, text, sizeof text);
  return text;
}

bool Pump() {
  bool quit = false;
  for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); DispatchMessageA(&message)) {
    quit = quit || message.message == WM_QUIT;
    TranslateMessage(&message);
  }
  return quit;
}

bool WaitFor(const std::function<bool()>& done, DWORD milliseconds) {
  for (DWORD start = GetTickCount(); !done(); Sleep(20)) {
    if (GetTickCount() - start > milliseconds) return false;
    Pump();
  }
  return true;
}

Strings DialogsShown;
std::string FileAnswer;

namespace {
std::map<std::string, std::function<void(HWND)>> scripts;
std::set<HWND> scripted;

bool IsFileDialog(const std::string& caption) {
  return caption == "Open File" || caption == "Save a part to a file" || caption == "Browse File";
}

void CALLBACK AnswerDialogs(HWND, UINT, UINT_PTR, DWORD) {
  for (HWND box = nullptr; (box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr;) {
    if (!IsWindowVisible(box) || scripted.count(box) != 0) continue;
    std::string caption = WindowText(box);
    auto script = scripts.find(caption);
    if (script != scripts.end()) {
      // Run inside the dialog's own loop; boxes it brings up are answered
      // by this same timer meanwhile.
      scripted.insert(box);
      DialogsShown.push_back(caption + ":");
      script->second(box);
      continue;
    }
    std::string seen = caption + ":";
    bool file = IsFileDialog(caption);
    for (HWND part = nullptr; !file && (part = FindWindowExA(box, part, "Static", nullptr)) != nullptr;) {
      std::string text = WindowText(part);
      if (!text.empty()) seen.append(" ").append(text);
    }
    DialogsShown.push_back(seen);
    // The name field: a combo box's edit in the explorer-style dialog.
    for (int id : {cmb13, edt1}) {
      if (file)
        SendDlgItemMessageW(box, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WideFromUtf8(FileAnswer.c_str()).c_str()));
    }
    // Hidden at once: a box of another process goes some time after its answer.
    ShowWindow(box, SW_HIDE);
    WPARAM answer = file && FileAnswer.empty() ? IDCANCEL : GetDlgItem(box, IDYES) != nullptr ? IDYES : IDOK;
    PostMessageA(box, WM_COMMAND, answer, 0);
  }
}
}  // namespace

void WatchDialogs() {
  DialogsShown.clear();
  FileAnswer.clear();
  scripts.clear();
  scripted.clear();
  [[maybe_unused]] static UINT_PTR timer = SetTimer(nullptr, 0, 30, AnswerDialogs);
}

void AnswerDialogWith(const std::string& caption, const std::function<void(HWND)>& script) {
  scripts[caption] = script;
}

bool StartViewer() {
  ResetSharedState();
  bool started = InitApplication(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
  Pump();
  return started;
}

void StopViewer() {
  if (IsWindow(FrameWindow)) DestroyWindow(FrameWindow);
  Pump();
  FrameWindow = ViewWindow = ToolbarWindow = nullptr;
  UnregisterClassA("ZK", GetModuleHandleA(nullptr));
  UnregisterClassA(ViewClassName, GetModuleHandleA(nullptr));
}

void SizeViewClient(int width, int height) {
  for (int round = 0; round < 4; ++round) {
    RECT client{}, frame{};
    GetClientRect(ViewWindow, &client);
    if (client.right == width && client.bottom == height) return;
    GetWindowRect(FrameWindow, &frame);
    SetWindowPos(FrameWindow, nullptr, 0, 0, frame.right - frame.left + width - client.right,
                 frame.bottom - frame.top + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
  }
}

COLORREF ViewPixel(int x, int y) {
  HDC dc = GetDC(ViewWindow);
  COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(ViewWindow, dc);
  return colour;
}

std::string WindowText(HWND window) {
  // The text as the window keeps it (and its caption shows it), asked of
  // no window procedure.
  wchar_t text[1024] = L"";
  InternalGetWindowText(window, text, 1024);
  return Utf8FromWide(text);
}

Strings FrameTitles() {
  Strings titles;
  for (HWND frame = nullptr; (frame = FindWindowExA(nullptr, frame, "ZK", nullptr)) != nullptr;) {
    titles.push_back(WindowText(frame));
  }
  std::sort(titles.begin(), titles.end());
  return titles;
}

void CloseFrames() {
  for (HWND frame = nullptr; (frame = FindWindowExA(nullptr, frame, "ZK", nullptr)) != nullptr;) {
    PostMessageA(frame, WM_CLOSE, 0, 0);
  }
  WaitFor([] { return FrameTitles().empty(); });
}

void SaveScreenshot(HWND window, const std::string& name) {
  RECT rect{};
  GetWindowRect(window, &rect);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFOHEADER header{sizeof header, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP picture = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  DWORD imageBytes = ((static_cast<DWORD>(width) * 3 + 3) & ~3u) * static_cast<DWORD>(height);
  const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof header;
  BITMAPFILEHEADER file{0x4D42, offset + imageBytes, 0, 0, offset};
  std::filesystem::create_directories("screenshots");
  std::ofstream out("screenshots/" + name + ".bmp", std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(static_cast<const char*>(bits), imageBytes);
  SelectObject(memory, previous);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

void Viewer::SetUp() {
  ForgetSettings();
  WriteTestFonts(ProgramFolder());
  WatchDialogs();
}

void Viewer::TearDown() {
  StopViewer();
  CloseFrames();
  ForgetSettings();
}

std::string Viewer::Open(const std::string& name, const std::string& text) {
  std::string path = folder.File(name);
  WriteFile(path, ToBytes(text));
  OpenDocument(FrameWindow, path.c_str());
  Pump();
  return path;
}

int MenuFlags(UINT id) {
  UINT state = GetMenuState(FrameMenu, id, MF_BYCOMMAND);
  return state == static_cast<UINT>(-1) ? Absent : static_cast<int>(state & (MF_CHECKED | MF_GRAYED));
}

int ButtonFlags(UINT id) {
  return static_cast<int>(SendMessageA(ToolbarWindow, TB_GETSTATE, id, 0)) & (TBSTATE_ENABLED | TBSTATE_CHECKED);
}

void ExpectCodeChecked(int checked) {
  for (int id : {ZK_CMD_CODE_GB, ZK_CMD_CODE_BIG5, ZK_CMD_CODE_SJIS, ZK_CMD_CODE_UNICODE}) {
    EXPECT_EQ(MenuFlags(id), id == checked ? MF_CHECKED : 0) << id;
    EXPECT_EQ(ButtonFlags(id), id == checked ? TBSTATE_ENABLED | TBSTATE_CHECKED : TBSTATE_ENABLED) << id;
  }
}

int ViewTop() {
  POINT origin{0, 0};
  MapWindowPoints(ViewWindow, FrameWindow, &origin, 1);
  return origin.y;
}

void Send(UINT message, WPARAM wParam, LPARAM lParam) {
  SendMessageA(FrameWindow, message, wParam, lParam);
  Pump();
}

void Type(std::initializer_list<BYTE> keys) {
  for (BYTE key : keys) keybd_event(key, 0, 0, 0);
  for (BYTE key : keys) keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
}

Glyph Narrow(size_t c) { return {16 * c, 1}; }
Glyph Wide(size_t g, size_t half) { return {4096 + 32 * g + half, 2}; }

bool CellShowsIn(int row, int cell, int code, Glyph glyph, COLORREF ink, COLORREF paper) {
  static const Bytes fonts[3] = {TestFont(0), TestFont(1), TestFont(2)};
  int top = row * LineBitmap.lineHeight + (LineBitmap.lineHeight - 16) / 2, wrong = 0;
  for (int k = 0; k < 16; ++k) {
    for (int bit = 0; bit < 8; ++bit) {
      bool set = ((fonts[code][glyph.at + glyph.step * k] >> (7 - bit)) & 1) != 0;
      wrong += ViewPixel(8 * cell + bit, top + k) != (set ? ink : paper);
    }
  }
  return wrong == 0;
}

bool CellShows(int row, int cell, int code, Glyph glyph) {
  return CellShowsIn(row, cell, code, glyph, Settings.textColour, Settings.backColour);
}

int OffBackground(int left, int top, int right, int bottom, int step) {
  int off = 0;
  for (int y = top; y < bottom; y += step) {
    for (int x = left; x < right; x += step) off += ViewPixel(x, y) != Settings.backColour;
  }
  return off;
}

std::string Lines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += static_cast<char>('A' + i % 26);
    text += std::to_string(1000 + i).substr(1);
    text += " 0123456789\r\n";
  }
  return text;
}

bool RowShowsLine(int row, int line) {
  return CellShows(row, 0, 0, Narrow('A' + line % 26)) && CellShows(row, 3, 0, Narrow('0' + line % 10));
}

std::vector<int> RowsRedrawn(const std::function<void()>& action) {
  const COLORREF marker = 0x00FF00;
  RECT client{};
  GetClientRect(ViewWindow, &client);
  HDC dc = GetDC(ViewWindow);
  for (int y = 0; y < client.bottom; ++y) SetPixel(dc, client.right - 1, y, marker);
  ReleaseDC(ViewWindow, dc);
  action();
  std::vector<int> rows;
  for (int row = 0; (row + 1) * LineBitmap.lineHeight <= client.bottom; ++row) {
    if (ViewPixel(client.right - 1, row * LineBitmap.lineHeight) != marker) rows.push_back(row);
  }
  return rows;
}
