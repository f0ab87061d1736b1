#include "tests/viewer_harness_win32.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "document/document.h"
#include "document/glyph_font.h"
#include "document/line_bitmap.h"
#include "shell/font_path.h"
#include "shell/frame_win32.h"
#include "shell/selection.h"
#include "shell/settings_file_win32.h"
#include "shell/settings_store.h"
#include "shell/settings_values.h"
#include "shell/text_view_win32.h"
#include "shell/view_state.h"
#include "shell/wide_text_win32.h"

const char* const TestFontNames[3] = {"ZKJT16.FON", "ZKFT16.FON", "ZKJP16.FON"};

namespace {
constexpr size_t TestFontSizes[3] = {265792, 451232, 270208};

std::string ClassNameOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}
}  // namespace

Bytes TestFont(int code) {
  Bytes font = MakeMarkedFont(TestFontSizes[code]);
  // GB as marked; Big5 inverted; Shift JIS with its low nibbles flipped.
  for (uint8_t& b : font) {
    if (code == 1) b = static_cast<uint8_t>(~b);
    if (code == 2) b = static_cast<uint8_t>(b ^ 0x0F);
  }
  // A blank is blank in every real font; rows past the end are drawn with one.
  std::fill(font.begin() + 16 * ' ', font.begin() + 16 * (' ' + 1), 0);
  return font;
}

std::string ProgramFolder() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  return std::filesystem::path(path).parent_path().string();
}

std::string RealProgramPath() {
  return (std::filesystem::path(ProgramFolder()).parent_path() / "bin" / "ZK.exe").string();
}

void WriteTestFonts(const std::string& folder, int skip) {
  for (int code = 0; code < 3; ++code) {
    std::string path = (std::filesystem::path(folder) / TestFontNames[code]).string();
    if (code == skip)
      std::filesystem::remove(path);
    else
      WriteFile(path, TestFont(code));
  }
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
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit = true;
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return quit;
}

struct BoxWatcher::State {
  DWORD processId = 0;
  std::atomic<bool> running{true};
  std::mutex lock;
  std::vector<ShownBox> boxes;
  std::string openAnswer;
  std::thread thread;
};

namespace {
BOOL CALLBACK CollectStatic(HWND child, LPARAM data) {
  auto* text = reinterpret_cast<std::string*>(data);
  if (ClassNameOf(child) == "Static") {
    std::string part = WindowText(child);
    if (!part.empty()) *text += part;
  }
  return TRUE;
}

BOOL CALLBACK CloseBox(HWND window, LPARAM data) {
  auto* state = reinterpret_cast<BoxWatcher::State*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != state->processId || !IsWindowVisible(window) || ClassNameOf(window) != "#32770") return TRUE;
  ShownBox box;
  box.caption = WindowText(window);
  WPARAM answer = IDOK;
  if (box.caption == "Open File") {
    std::string path;
    {
      std::lock_guard<std::mutex> guard(state->lock);
      path = state->openAnswer;
    }
    if (path.empty()) {
      answer = IDCANCEL;
    } else {
      // The name field is a combo box's edit in the explorer-style dialog.
      for (int id : {0x47c, 0x480}) {
        HWND field = GetDlgItem(window, id);
        if (field != nullptr) SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
      }
    }
  } else {
    EnumChildWindows(window, CollectStatic, reinterpret_cast<LPARAM>(&box.text));
  }
  {
    std::lock_guard<std::mutex> guard(state->lock);
    state->boxes.push_back(box);
  }
  PostMessageA(window, WM_COMMAND, answer, 0);
  // Wait for the box to go, so that it is counted once.
  for (int i = 0; i < 100 && IsWindow(window) && IsWindowVisible(window); ++i) Sleep(20);
  return TRUE;
}
}  // namespace

BoxWatcher::BoxWatcher(DWORD processId) : state(new State) {
  state->processId = processId != 0 ? processId : GetCurrentProcessId();
  state->thread = std::thread([s = state] {
    while (s->running) {
      EnumWindows(CloseBox, reinterpret_cast<LPARAM>(s));
      Sleep(30);
    }
  });
}

BoxWatcher::~BoxWatcher() {
  state->running = false;
  state->thread.join();
  delete state;
}

void BoxWatcher::AnswerOpenWith(const std::string& path) {
  std::lock_guard<std::mutex> guard(state->lock);
  state->openAnswer = path;
}

std::vector<ShownBox> BoxWatcher::Boxes() {
  std::lock_guard<std::mutex> guard(state->lock);
  return state->boxes;
}

bool StartViewer() {
  ResetSharedState();
  bool started = InitApplication(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
  Pump();
  return started;
}

void StopViewer() {
  if (FrameWindow != nullptr && IsWindow(FrameWindow)) DestroyWindow(FrameWindow);
  Pump();
  FrameWindow = ViewWindow = ToolbarWindow = nullptr;
  FrameMenu = nullptr;
  UnregisterClassA("ZK", GetModuleHandleA(nullptr));
  UnregisterClassA(ViewClassName, GetModuleHandleA(nullptr));
}

void SizeViewClient(int width, int height) {
  for (int round = 0; round < 4; ++round) {
    RECT client{};
    GetClientRect(ViewWindow, &client);
    if (client.right == width && client.bottom == height) return;
    RECT frame{};
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

void SaveScreenshot(HWND window, const std::string& name) {
  RECT rect{};
  GetWindowRect(window, &rect);
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  HDC source = GetWindowDC(window);
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP picture = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
  GdiFlush();
  size_t rowBytes = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
  size_t imageBytes = rowBytes * height;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + imageBytes);
  std::filesystem::create_directories("screenshots");
  std::ofstream out("screenshots/" + name + ".bmp", std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(imageBytes));
  SelectObject(memory, previous);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(window, source);
}

namespace {
BOOL CALLBACK CollectFrame(HWND window, LPARAM data) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != GetCurrentProcessId() && ClassNameOf(window) == "ZK") {
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
  }
  return TRUE;
}
}  // namespace

std::vector<HWND> OtherFrames() {
  std::vector<HWND> frames;
  EnumWindows(CollectFrame, reinterpret_cast<LPARAM>(&frames));
  return frames;
}

std::string WindowText(HWND window) {
  char text[1024] = "";
  // A bounded wait: a window of another process may be busy.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                      &ignored);
  return text;
}

bool CloseOtherFrame(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId);
  PostMessageA(window, WM_CLOSE, 0, 0);
  if (process == nullptr) return false;
  bool ended = WaitForSingleObject(process, 20000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process, 1);
  CloseHandle(process);
  return ended;
}
