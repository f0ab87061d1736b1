// Files by name on Windows: the UTF-8 names ZK keeps become UTF-16 for the
// wide functions, so that a name in any script opens.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <random>

#include "base/file_io.h"
#include "base/wide_text_win32.h"

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

// The attributes a replaced file passes on to the one that takes its place.
constexpr DWORD KeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

HANDLE HandleOf(std::FILE* file) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))); }

// A stream over an open handle, which it then owns; null, with the handle
// closed, when none can be made.
FileHandle StreamOver(HANDLE handle) {
  int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (descriptor < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  FileHandle file(_fdopen(descriptor, "wb"));
  if (!file) _close(descriptor);
  return file;
}

// The file a name finally reaches: replacing a link puts the new bytes where
// the link points, and leaves the link a link.
std::wstring FinalName(const std::wstring& target) {
  HANDLE file = CreateFileW(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return target;
  std::wstring reached(32768, L'\0');
  DWORD length = GetFinalPathNameByHandleW(file, reached.data(), 32768, FILE_NAME_NORMALIZED);
  CloseHandle(file);
  if (length == 0 || length >= 32768) return target;
  reached.resize(length);
  return reached;
}

// A new file that the system deletes when its handle closes, unless it is
// finished: no way the process ends leaves it behind.
HANDLE CreateNewFile(const std::wstring& name) {
  HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return file;
  FILE_DISPOSITION_INFO disposition{TRUE};
  SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
  return file;
}

// The target itself, opened for writing. A file on disk is locked first, so
// that another writer in place finishes before this one empties it.
FileHandle OpenInPlace(const std::wstring& target) {
  HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  if (GetFileType(file) == FILE_TYPE_DISK) {
    OVERLAPPED whole{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole) || !SetEndOfFile(file)) {
      CloseHandle(file);
      return nullptr;
    }
  }
  return StreamOver(file);
}

// Every byte written is in the file: its buffer reached the system, the
// handle's own buffers reached the disk, and the file is as long as what was
// written. (The C library's fclose does not report the failure of the last
// buffer's write: the flush is made and checked here.)
bool IsWhole(const ReplacementRecord& record) {
  std::FILE* file = record.file.get();
  if (std::fflush(file) != 0 || std::ferror(file) != 0) return false;
  HANDLE handle = HandleOf(file);
  if (GetFileType(handle) != FILE_TYPE_DISK) return true;
  LARGE_INTEGER size{};
  return FlushFileBuffers(handle) && GetFileSizeEx(handle, &size) &&
         static_cast<uint64_t>(size.QuadPart) == record.written;
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
  if (!Named(path)) return false;
  std::wstring wide = WideFromUtf8(path);
  // A device has no attributes to read, yet it is there.
  return GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES || IsDevice(wide);
}

bool MakeFolder(const char* path) {
  if (!Named(path)) return false;
  std::wstring name = WideFromUtf8(path);
  // Each folder from the top down; one that is there already is fine.
  for (size_t slash = name.find_first_of(L"\\/", 1); slash != std::wstring::npos;
       slash = name.find_first_of(L"\\/", slash + 1))
    CreateDirectoryW(name.substr(0, slash).c_str(), nullptr);
  CreateDirectoryW(name.c_str(), nullptr);
  return IsFolder(name);
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

bool StartReplacement(const char* target, ReplacementRecord* record, bool mayWriteInPlace) {
  record->file.reset();
  record->temporary.clear();
  record->written = 0;
  if (!Named(target)) return false;
  std::wstring wideTarget = WideFromUtf8(target);
  if (wideTarget.empty() || IsFolder(wideTarget)) return false;
  if (IsDevice(wideTarget)) {
    record->target = target;
    record->file = OpenInPlace(wideTarget);
    return record->file != nullptr;
  }
  wideTarget = FinalName(wideTarget);
  record->target = Utf8FromWide(wideTarget.c_str());
  std::random_device seed;
  DWORD refusal = 0;
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string name = record->target + ".zk-" + std::to_string(seed() % 1000000u);
    HANDLE file = CreateNewFile(WideFromUtf8(name.c_str()));
    if (file == INVALID_HANDLE_VALUE) {
      refusal = GetLastError();
      if (refusal == ERROR_FILE_EXISTS) continue;
      break;
    }
    // Closing the handle removes the file.
    record->file = StreamOver(file);
    if (!record->file) return false;
    record->temporary = name;
    return true;
  }
  // A folder that takes no new file: the target itself, when it may be written.
  if (!mayWriteInPlace) return false;
  if (refusal != ERROR_ACCESS_DENIED) return false;
  record->file = OpenInPlace(wideTarget);
  return record->file != nullptr;
}

bool FinishReplacement(ReplacementRecord* record) {
  if (!record->file) return false;
  bool whole = IsWhole(*record);
  if (whole && !record->temporary.empty()) {
    FILE_DISPOSITION_INFO keep{FALSE};
    whole = SetFileInformationByHandle(HandleOf(record->file.get()), FileDispositionInfo, &keep, sizeof keep);
  }
  bool closed = std::fclose(record->file.release()) == 0;
  if (record->temporary.empty()) return whole && closed;
  std::wstring from = WideFromUtf8(record->temporary.c_str()), to = WideFromUtf8(record->target.c_str());
  // The target's attributes carry over: a read-only file stays read-only
  // (under Wine: its mode keeps no write bits).
  DWORD attributes = GetFileAttributesW(to.c_str());
  if (whole && closed && attributes != INVALID_FILE_ATTRIBUTES && (attributes & KeptAttributes) != 0)
    SetFileAttributesW(from.c_str(), attributes & KeptAttributes);
  bool moved = whole && closed && MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING);
  if (!moved) {
    SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(from.c_str());
  }
  record->temporary.clear();
  return moved;
}

void AbandonReplacement(ReplacementRecord* record) {
  // The close removes the new file; a file system that keeps it anyway is
  // asked once more.
  record->file.reset();
  if (!record->temporary.empty()) DeleteFileW(WideFromUtf8(record->temporary.c_str()).c_str());
  record->temporary.clear();
}
