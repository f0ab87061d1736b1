#include "tests/spooler_support_win32.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "shell/wide_text_win32.h"

// The Unix side: the spool folder, the scheduler's tools, Ghostscript.
std::string SpoolDir() {
  const char* dir = std::getenv("ZK_SPOOL_DIR");
  return dir != nullptr ? dir : "";
}

std::string WindowsPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

bool Exists(const std::string& unixPath) {
  return GetFileAttributesW(WideFromUtf8(WindowsPath(unixPath).c_str()).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Wine starts Unix programs but cannot wait for them: the shell leaves the
// status in a file.
int RunUnix(const std::string& command, std::string* output, DWORD timeout) {
  static int serial = 0;
  std::string status = SpoolDir() + "/status-" + std::to_string(++serial);
  std::string printed = status + ".out";
  std::wstring line = WideFromUtf8((std::string("/bin/sh -c \"{ ") + command + "; } >" + printed + " 2>&1; echo $? >" +
                                    status + ".part; mv " + status + ".part " + status + "\"")
                                       .c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return -1;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (DWORD start = GetTickCount(); !Exists(status); Sleep(20)) {
    if (GetTickCount() - start > timeout) return -1;
  }
  Bytes text = ReadFile(WindowsPath(status));
  DeleteFileW(WideFromUtf8(WindowsPath(status).c_str()).c_str());
  if (output != nullptr) {
    Bytes out = ReadFile(WindowsPath(printed));
    output->assign(out.begin(), out.end());
  }
  DeleteFileW(WideFromUtf8(WindowsPath(printed).c_str()).c_str());
  return std::atoi(std::string(text.begin(), text.end()).c_str());
}

std::string JobFile() { return SpoolDir() + "/out/job.ps"; }

// The queue holds no job any more, and its file is there.
bool WaitForSpooledJob() {
  for (DWORD start = GetTickCount(); GetTickCount() - start < 60000; Sleep(100)) {
    if (Exists(JobFile()) && RunUnix("test -z $(lpstat -o | head -c 1)") == 0) return true;
  }
  return false;
}

namespace {
Page ReadPbm(const std::string& unixPath) {
  Bytes file = ReadFile(WindowsPath(unixPath));
  Page page;
  size_t at = 2;
  int numbers[2] = {0, 0};
  for (int& number : numbers) {
    while (at < file.size() && (file[at] == '#' || std::isspace(file[at]))) {
      if (file[at] == '#')
        while (at < file.size() && file[at] != '\n') ++at;
      ++at;
    }
    while (at < file.size() && std::isdigit(file[at])) number = number * 10 + (file[at++] - '0');
  }
  ++at;
  page.width = numbers[0];
  page.height = numbers[1];
  page.rowBytes = (page.width + 7) / 8;
  if (file.size() >= at + static_cast<size_t>(page.rowBytes) * page.height)
    page.bits.assign(file.begin() + at, file.end());
  return page;
}

}  // namespace

std::vector<Page> Rasterize(const std::string& unixFile, const std::string& keep) {
  std::string folder = SpoolDir() + "/pages";
  std::string gs = "gs -q -dSAFER -dBATCH -dNOPAUSE -r300 ";
  std::string command = "rm -rf " + folder + " && mkdir " + folder + " && " + gs +
                        "-sDEVICE=pbmraw -sOutputFile=" + folder + "/%03d.pbm " + unixFile;
  if (!keep.empty())
    command += " && mkdir -p screenshots && " + gs + "-sDEVICE=pnggray -sOutputFile=" + keep + " " + unixFile;
  std::vector<Page> pages;
  if (RunUnix(command) != 0) return pages;
  for (int n = 1;; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "/%03d.pbm", n);
    if (!Exists(folder + name)) break;
    pages.push_back(ReadPbm(folder + name));
  }
  return pages;
}

Bytes MakeDocument(int count, int cells) {
  Bytes text;
  for (int i = 0; i < count; ++i) {
    Bytes line = {0xB5, 0xDA};  // the ordinal prefix
    for (char c : std::to_string(i + 1)) line.push_back(static_cast<uint8_t>(c));
    line.insert(line.end(), {0xD0, 0xD0, ' '});
    for (int k = 0; static_cast<int>(line.size()) < cells - 12 - (i * 7) % 20; ++k) {
      if ((i + k) % 5 == 0) {
        line.push_back(static_cast<uint8_t>('a' + (i + k) % 26));
      } else {
        line.push_back(static_cast<uint8_t>(0xB0 + (i + k) % 40));
        line.push_back(static_cast<uint8_t>(0xA1 + (i * 7 + k) % 94));
      }
    }
    if (i == 19 && cells == 80) {
      line.assign(79, static_cast<uint8_t>('x'));
      line.insert(line.end(), {0xD6, 0xD0});
      text.insert(text.end(), line.begin(), line.end());
      continue;
    }
    line.push_back('\n');
    text.insert(text.end(), line.begin(), line.end());
  }
  return text;
}

std::string ProgramFolder() {
  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::string folder = Utf8FromWide(path);
  return folder.substr(0, folder.find_last_of('\\'));
}

std::string RealProgramPath() {
  std::string folder = ProgramFolder();
  return folder.substr(0, folder.find_last_of('\\')) + "\\bin\\ZK.exe";
}
