#include "tests/viewer_harness_win32.h"

#include <dlgs.h>

#include <algorithm>
#include <cstring>

#include "shell/frame_win32.h"
#include "shell/settings_file_win32.h"
#include "shell/settings_store.h"
#include "shell/text_view_win32.h"
#include "shell/wide_text_win32.h"

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

std::vector<std::string> DialogsShown;
std::string OpenAnswer;

namespace {
void CALLBACK AnswerDialogs(HWND, UINT, UINT_PTR, DWORD) {
  for (HWND box = nullptr; (box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr;) {
    if (!IsWindowVisible(box)) continue;
    std::string seen = WindowText(box) + ":";
    bool open = seen == "Open File:";
    for (HWND part = nullptr; !open && (part = FindWindowExA(box, part, "Static", nullptr)) != nullptr;) {
      std::string text = WindowText(part);
      if (!text.empty()) seen.append(" ").append(text);
    }
    DialogsShown.push_back(seen);
    // The name field: a combo box's edit in the explorer-style dialog.
    for (int id : {cmb13, edt1}) {
      if (open) SendDlgItemMessageA(box, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(OpenAnswer.c_str()));
    }
    // Hidden at once: a box of another process goes some time after its answer.
    ShowWindow(box, SW_HIDE);
    PostMessageA(box, WM_COMMAND, open && OpenAnswer.empty() ? IDCANCEL : IDOK, 0);
  }
}
}  // namespace

void WatchDialogs() {
  DialogsShown.clear();
  OpenAnswer.clear();
  [[maybe_unused]] static UINT_PTR timer = SetTimer(nullptr, 0, 30, AnswerDialogs);
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
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::vector<std::string> FrameTitles() {
  std::vector<std::string> titles;
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
