#include "tests/spooler_support_win32.h"

#include <algorithm>
#include <cstdlib>
#include <regex>

#include "base/wide_text_win32.h"

std::string SpoolDir() { return std::getenv("ZK_SPOOL_DIR") != nullptr ? std::getenv("ZK_SPOOL_DIR") : ""; }

std::string WindowsPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

bool Exists(const std::string& unixPath) {
  return GetFileAttributesW(WideFromUtf8(WindowsPath(unixPath).c_str()).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Remove(const std::string& unixPath) { DeleteFileW(WideFromUtf8(WindowsPath(unixPath).c_str()).c_str()); }

static std::string Text(const std::string& unixPath) {
  Bytes bytes = ReadFile(WindowsPath(unixPath));
  return {bytes.begin(), bytes.end()};
}

// Wine starts Unix programs but cannot wait for them: the shell leaves its status in a file, whole.
int RunUnix(const std::string& command, std::string* output, DWORD timeout) {
  static int serial = 0;
  std::string status = SpoolDir() + "/status-" + std::to_string(++serial);
  std::wstring line = WideFromUtf8(("/bin/sh -c \"{ " + command + "; } >" + status + ".out 2>&1; echo $? >" + status +
                                    ".part; mv " + status + ".part " + status + "\"")
                                       .c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return -1;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (DWORD start = GetTickCount(); !Exists(status); Sleep(20))
    if (GetTickCount() - start > timeout) return -1;
  if (output != nullptr) *output = Text(status + ".out");
  return std::atoi(Text(status).c_str());
}

std::string JobFile() { return SpoolDir() + "/out/job.ps"; }

bool WaitForSpooledJob(DWORD timeout) {
  for (DWORD start = GetTickCount(); !Exists(JobFile()) || RunUnix("test -z $(lpstat -o | head -c 1)") != 0; Sleep(100))
    if (GetTickCount() - start >= timeout) return false;
  return true;
}

std::vector<Page> Rasterize(const std::string& unixFile, const std::string& keep) {
  std::string gs = "gs -q -dSAFER -dBATCH -dNOPAUSE -r300 ", pbm = SpoolDir() + "/pages.pbm";
  std::string command = "rm -f " + pbm + " && " + gs + "-sDEVICE=pbmraw -sOutputFile=" + pbm + " " + unixFile;
  if (!keep.empty())
    command += " && mkdir -p screenshots && " + gs + "-sDEVICE=pnggray -sOutputFile=" + keep + " " + unixFile;
  std::vector<Page> pages;
  if (RunUnix(command) != 0) return pages;
  // The pages one after another, each "P4", comments, its width and height.
  std::string text = Text(pbm);
  std::regex header("P4\\s+(#[^\\n]*\\n\\s*)*(\\d+)\\s+(\\d+)\\s");
  std::smatch found;
  for (auto at = text.cbegin();
       std::regex_search(at, text.cend(), found, header, std::regex_constants::match_continuous);) {
    int width = std::stoi(found[2]), height = std::stoi(found[3]), size = (width + 7) / 8 * height;
    at += found.length(0);
    if (text.cend() - at < size) break;
    pages.push_back({width, height, (width + 7) / 8, Bytes(at, at + size)});
    at += size;
  }
  return pages;
}

Bytes MakeDocument(int count, int cells) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    std::string line = "\xB5\xDA" + std::to_string(i + 1) + "\xD0\xD0 ";
    for (int k = 0; static_cast<int>(line.size()) < cells - 12 - (i * 7) % 20; ++k) {
      if ((i + k) % 5 != 0) line += static_cast<char>(0xB0 + (i + k) % 40);
      line += static_cast<char>((i + k) % 5 == 0 ? 'a' + (i + k) % 26 : 0xA1 + (i * 7 + k) % 94);
    }
    // No line feed: the display line ends with the character begun in its last cell.
    text += i == 19 && cells == 80 ? std::string(79, 'x') + "\xD6\xD0" : line + "\n";
  }
  return ToBytes(text);
}

std::string RealProgramPath() {
  wchar_t module[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::string path = Utf8FromWide(module);
  return path.substr(0, path.rfind('\\', path.rfind('\\') - 1)) + "\\bin\\ZK.exe";
}

std::string NativeZk() {
  std::string path = RealProgramPath();
  std::replace(path.begin(), path.end(), '\\', '/');
  return path.substr(2, path.find("/windows/") - 2) + "/native/bin/zk";
}
