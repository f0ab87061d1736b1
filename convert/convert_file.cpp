#include "convert/convert_file.h"

#include <cstdio>
#include <cstring>

#include "shell/error_messages.h"
#include "shell/file_io.h"
#include "shell/memory.h"
#include "shell/read_whole.h"

namespace {
constexpr const char* OverwriteQuestion = "File %s is existed, Overwrite it ?";

// Output is handed to the file in chunks of about 2 KB; a larger stdio buffer
// turns them into few system calls.
constexpr size_t TargetBufferSize = 1u << 20;

// The source is read and converted in pieces of this size, which stay in the
// processor's cache from the read to the conversion.
constexpr size_t SourcePieceSize = 1u << 18;

size_t WriteToFile(void* handle, const uint8_t* bytes, size_t count) {
  return std::fwrite(bytes, 1, count, static_cast<std::FILE*>(handle));
}

struct WholeFile {
  Block<uint8_t> bytes;
  size_t length = 0;
};

// Reads the table at `path`, which must hold `requiredSize` bytes: a table
// cut short or padded would convert wrongly without a word. Shows the
// message of a failure.
bool ReadTable(WindowRef owner, const char* path, uint64_t requiredSize, WholeFile& whole) {
  FileHandle file = OpenForReading(path);
  if (!file) {
    ShowErrorBox(owner, ErrorOpenConvertTable, path, StyleStop);
    return false;
  }
  uint64_t size = 0;
  if (!MeasureFile(file.get(), &size) || size != requiredSize) {
    ShowErrorBox(owner, ErrorReadConvertTable, path, StyleStop);
    return false;
  }
  whole.length = static_cast<size_t>(size);
  whole.bytes = AllocateZeroed<uint8_t>(whole.length);
  if (!whole.bytes) {
    ShowErrorBox(owner, ErrorAllocMemory, nullptr, StyleStop);
    return false;
  }
  if (ReadWhole(file.get(), whole.bytes.get(), whole.length) == 0) {
    ShowErrorBox(owner, ErrorReadConvertTable, path, StyleStop);
    return false;
  }
  return true;
}

int RunConverter(ByteSink target, const WholeFile& table, const uint8_t* source, size_t length, int toGb,
                 SourcePiece* piece) {
  if (ConvertMode == ConvertModeBig5)
    return ConvertGbBig5(target, table.bytes.get(), table.length, source, length, toGb, piece);
  if (ConvertMode == ConvertModeSjis)
    return ConvertGbSjis(target, table.bytes.get(), table.length, source, length, toGb, piece);
  return toGb == 0 ? ConvertGbToHz(target, source, length, piece) : ConvertHzToGb(target, source, length, piece);
}

enum class Outcome { Done, ReadFailed, WriteFailed };

// Converts the source piece by piece into the target, up to the end of the
// file as it is read. A source that reads other than `size` bytes changed
// while it was read, and its conversion is not to be trusted.
Outcome ConvertPieces(std::FILE* source, uint64_t size, uint8_t* buffer, ByteSink target, const WholeFile& table,
                      int toGb) {
  SourcePiece piece;
  size_t held = 0;  // the bytes a piece left for the next one
  uint64_t total = 0;
  for (;;) {
    const size_t request = SourcePieceSize - held;
    const size_t got = std::fread(buffer + held, 1, request, source);
    total += got;
    held += got;
    piece.last = got < request;
    if (piece.last && std::ferror(source) != 0) return Outcome::ReadFailed;
    if (RunConverter(target, table, buffer, held, toGb, &piece) != 0) return Outcome::WriteFailed;
    held -= piece.used;
    std::memmove(buffer, buffer + piece.used, held);
    if (piece.last) return total == size ? Outcome::Done : Outcome::ReadFailed;
  }
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
    if (!ReadTable(owner, tablePath, ConvertTableSize(ConvertMode, toGb), table)) return false;
  }
  FileHandle source = OpenForReading(sourcePath);
  if (!source) {
    ShowErrorBox(owner, ErrorOpenConvertSource, sourcePath, StyleStop);
    return false;
  }
  uint64_t sourceSize = 0;
  if (!MeasureFile(source.get(), &sourceSize)) {
    ShowErrorBox(owner, ErrorReadConvertSource, sourcePath, StyleStop);
    return false;
  }
  Block<uint8_t> buffer = AllocateZeroed<uint8_t>(SourcePieceSize);
  if (!buffer) {
    ShowErrorBox(owner, ErrorAllocMemory, nullptr, StyleStop);
    return false;
  }

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
  // An empty source is a valid text and converts to an empty target.
  Outcome outcome =
      ConvertPieces(source.get(), sourceSize, buffer.get(), ByteSink{WriteToFile, target.file.get()}, table, toGb);
  if (outcome != Outcome::Done) {
    // A source that could not be read, or that shrank or grew meanwhile,
    // leaves the old target as it was.
    AbandonReplacement(&target);
    if (outcome == Outcome::ReadFailed)
      ShowErrorBox(owner, ErrorReadConvertSource, sourcePath, StyleStop);
    else
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
