#include "convert/convert_file.h"

#include <cstdio>

#include "shell/error_messages.h"
#include "shell/file_io.h"
#include "shell/memory.h"
#include "shell/read_whole.h"

#ifdef _WIN32
#include <io.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {
constexpr const char* OverwriteQuestion = "File %s is existed, Overwrite it ?";

// Output is handed to the file in chunks of about 2 KB; a larger stdio buffer
// turns them into few system calls.
constexpr size_t TargetBufferSize = 1u << 20;

bool FileExists(const char* path) {
  if (path == nullptr) return false;
#ifdef _WIN32
  return _access(path, 0) == 0;
#else
  return access(path, F_OK) == 0;
#endif
}

size_t WriteToFile(void* handle, const uint8_t* bytes, size_t count) {
  return std::fwrite(bytes, 1, count, static_cast<std::FILE*>(handle));
}

// A block read whole is touched page by page as it fills; on Linux, asking
// for large pages spares most of those page faults.
void AdviseLargePages(uint8_t* block, size_t length) {
#ifdef __linux__
  constexpr uintptr_t PageMask = 4095;
  uintptr_t first = (reinterpret_cast<uintptr_t>(block) + PageMask) & ~PageMask;
  uintptr_t last = (reinterpret_cast<uintptr_t>(block) + length) & ~PageMask;
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)block;
  (void)length;
#endif
}

struct WholeFile {
  Block<uint8_t> bytes;
  size_t length = 0;
};

// Reads `path` whole. An empty file is read as no bytes when `emptyAllowed`,
// and is a read failure otherwise. Shows the message of a failure.
bool ReadWholeFile(WindowRef owner, const char* path, int openError, int readError, bool emptyAllowed,
                   WholeFile& whole) {
  FileHandle file = OpenForReading(path);
  if (!file) {
    ShowErrorBox(owner, openError, path, StyleStop);
    return false;
  }
  uint64_t size = 0;
  if (!MeasureFile(file.get(), &size) || (size == 0 && !emptyAllowed)) {
    ShowErrorBox(owner, readError, path, StyleStop);
    return false;
  }
  if (size > static_cast<uint64_t>(static_cast<size_t>(-1))) {
    ShowErrorBox(owner, ErrorAllocMemory, nullptr, StyleStop);
    return false;
  }
  whole.length = static_cast<size_t>(size);
  whole.bytes = AllocateZeroed<uint8_t>(whole.length);
  if (!whole.bytes) {
    ShowErrorBox(owner, ErrorAllocMemory, nullptr, StyleStop);
    return false;
  }
  AdviseLargePages(whole.bytes.get(), whole.length);
  if (whole.length > 0 && ReadWhole(file.get(), whole.bytes.get(), whole.length) == 0) {
    ShowErrorBox(owner, readError, path, StyleStop);
    return false;
  }
  return true;
}

int RunConverter(ByteSink target, const WholeFile& table, const WholeFile& source, int toGb) {
  const uint8_t* bytes = source.bytes.get();
  if (ConvertMode == ConvertModeBig5)
    return ConvertGbBig5(target, table.bytes.get(), table.length, bytes, source.length, toGb);
  if (ConvertMode == ConvertModeSjis)
    return ConvertGbSjis(target, table.bytes.get(), table.length, bytes, source.length, toGb);
  return toGb == 0 ? ConvertGbToHz(target, bytes, source.length) : ConvertHzToGb(target, bytes, source.length);
}
}  // namespace

void FormatOverwritePrompt(char* out, size_t outSize, const char* targetPath) {
  // The question keeps its ending; the name gives way when space runs out.
  FillTextHole(out, outSize, OverwriteQuestion, targetPath);
}

bool ConvertFile(WindowRef owner, const char* sourcePath, const char* targetPath, int toGb) {
  WholeFile table;
  if (const char* tableName = ConvertTableName(ConvertMode, toGb)) {
    char tablePath[PathCapacity];
    if (!BuildPathBesideProgram(tablePath, sizeof tablePath, tableName)) {
      ShowErrorBox(owner, ErrorOpenConvertTable, tableName, StyleStop);
      return false;
    }
    // An empty table converts nothing: it is reported as unreadable.
    if (!ReadWholeFile(owner, tablePath, ErrorOpenConvertTable, ErrorReadConvertTable, false, table)) return false;
  }
  // An empty source is a valid text and converts to an empty target.
  WholeFile source;
  if (!ReadWholeFile(owner, sourcePath, ErrorOpenConvertSource, ErrorReadConvertSource, true, source)) return false;

  if (FileExists(targetPath)) {
    char question[OverwritePromptCapacity];
    FormatOverwritePrompt(question, sizeof question, targetPath);
    if (!AskYesNo(owner, question, "Message")) return false;
  }
  // Without the larger buffer stdio's own serves, only slower; it outlives
  // the file that uses it.
  Block<char> targetBuffer = AllocateZeroed<char>(TargetBufferSize);
  FileHandle target = CreateForWriting(targetPath);
  if (!target) {
    ShowErrorBox(owner, ErrorCreateConvertTarget, targetPath, StyleStop);
    return false;
  }
  if (targetBuffer) std::setvbuf(target.get(), targetBuffer.get(), _IOFBF, TargetBufferSize);
  int failed = RunConverter(ByteSink{WriteToFile, target.get()}, table, source, toGb);
  // What stdio still holds is written at the close, which may fail as well.
  bool closed = std::fclose(target.release()) == 0;
  if (failed != 0 || !closed) {
    ShowErrorBox(owner, ErrorWriteConvertTarget, targetPath, StyleStop);
    return false;
  }
  ShowNotice(owner, "Convert complete!", "OK");
  return true;
}
