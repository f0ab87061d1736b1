// Files by name on Windows: the UTF-8 names ZK keeps become UTF-16 for the
// wide functions, so that a name in any script opens.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <random>

#include "shell/file_io.h"
#include "shell/wide_text_win32.h"

namespace {
bool Named(const char* path) { return path != nullptr && path[0] != '\0'; }

bool IsFolder(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
// A device such as NUL or a pipe: written to, never replaced.
bool IsDevice(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool device = GetFileType(file) != FILE_TYPE_DISK;
  CloseHandle(file);
  return device;
}
}  // namespace

FileHandle OpenForReading(const char* path) {
  if (!Named(path)) return nullptr;
  std::wstring wide = WideFromUtf8(path);
  // A folder holds no text.
  if (wide.empty() || IsFolder(wide)) return nullptr;
  return FileHandle(_wfopen(wide.c_str(), L"rb"));
}

bool PathExists(const char* path) {
  return Named(path) && GetFileAttributesW(WideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IdentifyFile(const char* path, FileIdentity* identity) {
  if (!Named(path)) return false;
  HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION information{};
  bool known = GetFileInformationByHandle(file, &information) != 0;
  CloseHandle(file);
  if (!known) return false;
  identity->volume = information.dwVolumeSerialNumber;
  identity->index = (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
  return true;
}

bool StartReplacement(const char* target, ReplacementRecord* record) {
  record->file.reset();
  record->temporary.clear();
  if (!Named(target)) return false;
  record->target = target;
  std::wstring wideTarget = WideFromUtf8(target);
  if (wideTarget.empty() || IsFolder(wideTarget)) return false;
  if (IsDevice(wideTarget)) {
    record->file.reset(_wfopen(wideTarget.c_str(), L"wb"));
    return record->file != nullptr;
  }
  std::random_device seed;
  int refusal = 0;
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string name = record->target + ".zk-" + std::to_string(seed() % 1000000u);
    std::wstring wide = WideFromUtf8(name.c_str());
    int descriptor = _wopen(wide.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (descriptor < 0) {
      refusal = errno;
      if (refusal == EEXIST) continue;
      break;
    }
    record->file.reset(_fdopen(descriptor, "wb"));
    if (!record->file) {
      _close(descriptor);
      RemoveFile(name.c_str());
      return false;
    }
    record->temporary = name;
    return true;
  }
  // A folder that takes no new file: the target itself, when it may be written.
  if (refusal != EACCES) return false;
  if (_waccess(wideTarget.c_str(), 2) != 0) return false;
  record->file.reset(_wfopen(wideTarget.c_str(), L"wb"));
  return record->file != nullptr;
}

bool MoveOver(const char* from, const char* to) {
  return MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void RemoveFile(const char* path) { _wremove(WideFromUtf8(path).c_str()); }
