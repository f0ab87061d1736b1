#include "convert/convert_file.h"

#include <cstdio>

#include "shell/error_messages.h"
#include "shell/file_io.h"
#include "shell/memory.h"
#include "shell/read_whole.h"

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {
constexpr const char* OverwriteQuestion = "File %s is existed, Overwrite it ?";

// Output is handed to the file in chunks of about 2 KB; a larger stdio buffer
// turns them into few system calls.
constexpr size_t TargetBufferSize = 1u << 20;

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

// Reads `path` whole. A file of any size is read when `requiredSize` is 0;
// otherwise a file of another size is damaged and reported as unreadable.
// Shows the message of a failure.
bool ReadWholeFile(WindowRef owner, const char* path, int openError, int readError, uint64_t requiredSize,
                   WholeFile& whole) {
  FileHandle file = OpenForReading(path);
  if (!file) {
    ShowErrorBox(owner, openError, path, StyleStop);
    return false;
  }
  uint64_t size = 0;
  if (!MeasureFile(file.get(), &size) || (requiredSize != 0 && size != requiredSize)) {
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
  // Two names of one file: converting it onto itself would lose the source.
  if (IsSameFile(sourcePath, targetPath)) {
    ShowErrorBox(owner, ErrorSameFileName, nullptr, StyleStop);
    return false;
  }
  WholeFile table;
  if (const char* tableName = ConvertTableName(ConvertMode, toGb)) {
    char tablePath[PathCapacity];
    if (!BuildPathBesideProgram(tablePath, sizeof tablePath, tableName)) {
      ShowErrorBox(owner, ErrorOpenConvertTable, tableName, StyleStop);
      return false;
    }
    // A table cut short or padded would convert wrongly without a word.
    if (!ReadWholeFile(owner, tablePath, ErrorOpenConvertTable, ErrorReadConvertTable,
                       ConvertTableSize(ConvertMode, toGb), table)) {
      return false;
    }
  }
  // An empty source is a valid text and converts to an empty target.
  WholeFile source;
  if (!ReadWholeFile(owner, sourcePath, ErrorOpenConvertSource, ErrorReadConvertSource, 0, source)) return false;

  if (PathExists(targetPath)) {
    char question[OverwritePromptCapacity];
    FormatOverwritePrompt(question, sizeof question, targetPath);
    if (!AskYesNo(owner, question, "Message")) return false;
  }
  // Without the larger buffer stdio's own serves, only slower; it outlives
  // the file that uses it.
  Block<char> targetBuffer = AllocateZeroed<char>(TargetBufferSize);
  // The converted text goes to a new file that replaces the target only when
  // whole: a failure half way leaves the old target as it was.
  ReplacementRecord target;
  if (!StartReplacement(targetPath, &target)) {
    ShowErrorBox(owner, ErrorCreateConvertTarget, targetPath, StyleStop);
    return false;
  }
  if (targetBuffer) std::setvbuf(target.file.get(), targetBuffer.get(), _IOFBF, TargetBufferSize);
  if (RunConverter(ByteSink{WriteToFile, target.file.get()}, table, source, toGb) != 0) {
    AbandonReplacement(&target);
    ShowErrorBox(owner, ErrorWriteConvertTarget, targetPath, StyleStop);
    return false;
  }
  // What stdio still holds is written at the close, which may fail as well.
  if (!FinishReplacement(&target)) {
    ShowErrorBox(owner, ErrorWriteConvertTarget, targetPath, StyleStop);
    return false;
  }
  ShowNotice(owner, "Convert complete!", "OK");
  return true;
}
