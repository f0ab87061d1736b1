#include "convert/convert_file.h"

#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

#include "shell/error_messages.h"
#include "shell/file_io.h"
#include "shell/memory.h"
#include "shell/read_whole.h"

namespace {
constexpr const char* OverwriteQuestion = "File %s is existed, Overwrite it ?";

// The source is read and converted in pieces of this size, which stay in the
// processor's cache from the read to the conversion.
constexpr size_t SourcePieceSize = 1u << 18;

// The converters hand their output over in chunks of about 2 KB; it goes
// to the file in blocks of this size, written by a second thread while the
// next block is converted.
constexpr size_t OutputBlockSize = 1u << 20;

struct OutputBlocks {
  Block<uint8_t> bytes[2];
};

bool AllocateOutputBlocks(OutputBlocks& blocks) {
  for (Block<uint8_t>& block : blocks.bytes) {
    block = AllocateZeroed<uint8_t>(OutputBlockSize);
    if (!block) return false;
  }
  return true;
}

// Fills one block while the other is written. Without a second thread (one
// could not be started) the blocks are written in turn.
class TargetWriter {
 public:
  TargetWriter(std::FILE* file, OutputBlocks& blocks) : file_(file), blocks_(blocks) {
    try {
      thread_ = std::thread([this] { WriteHandedBlocks(); });
    } catch (const std::system_error&) {
    }
  }
  ~TargetWriter() { Finish(); }

  // A byte sink for the converters.
  static size_t Take(void* handle, const uint8_t* bytes, size_t count) {
    TargetWriter& writer = *static_cast<TargetWriter*>(handle);
    if (writer.filled_ + count > OutputBlockSize && !writer.HandOver()) return 0;
    std::memcpy(writer.blocks_.bytes[writer.current_].get() + writer.filled_, bytes, count);
    writer.filled_ += count;
    return count;
  }

  // Writes what is left and waits for the second thread; false when any
  // write failed.
  bool Finish() {
    bool written = filled_ == 0 || HandOver();
    if (thread_.joinable()) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        closing_ = true;
      }
      changed_.notify_all();
      thread_.join();
    }
    return written && !failed_;
  }

 private:
  // Hands the filled block to the writing thread once the one before is
  // written, and goes on in the other block.
  bool HandOver() {
    const uint8_t* bytes = blocks_.bytes[current_].get();
    const size_t count = filled_;
    current_ ^= 1;
    filled_ = 0;
    if (!thread_.joinable()) {
      if (std::fwrite(bytes, 1, count, file_) != count) failed_ = true;
      return !failed_;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return handed_ == nullptr; });
    if (failed_) return false;
    handed_ = bytes;
    handedCount_ = count;
    lock.unlock();
    changed_.notify_all();
    return true;
  }

  void WriteHandedBlocks() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return handed_ != nullptr || closing_; });
      if (handed_ == nullptr) return;
      const uint8_t* bytes = handed_;
      const size_t count = handedCount_;
      lock.unlock();
      const bool written = std::fwrite(bytes, 1, count, file_) == count;
      lock.lock();
      if (!written) failed_ = true;
      handed_ = nullptr;
      changed_.notify_all();
    }
  }

  std::FILE* file_;
  OutputBlocks& blocks_;
  int current_ = 0;
  size_t filled_ = 0;
  std::thread thread_;
  // Shared with the writing thread.
  std::mutex mutex_;
  std::condition_variable changed_;
  const uint8_t* handed_ = nullptr;  // a block being written
  size_t handedCount_ = 0;
  bool closing_ = false;
  bool failed_ = false;
};

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
Outcome ConvertPieces(std::FILE* source, uint64_t size, uint8_t* buffer, std::FILE* targetFile, OutputBlocks& blocks,
                      const WholeFile& table, int toGb) {
  TargetWriter writer(targetFile, blocks);
  const ByteSink target{TargetWriter::Take, &writer};
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
    if (piece.last) break;
  }
  if (!writer.Finish()) return Outcome::WriteFailed;
  return total == size ? Outcome::Done : Outcome::ReadFailed;
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
  OutputBlocks blocks;
  if (!buffer || !AllocateOutputBlocks(blocks)) {
    ShowErrorBox(owner, ErrorAllocMemory, nullptr, StyleStop);
    return false;
  }

  if (PathExists(targetPath)) {
    char question[OverwritePromptCapacity];
    FormatOverwritePrompt(question, sizeof question, targetPath);
    if (!AskYesNo(owner, question, "Message")) return false;
  }
  // The converted text goes to a new file that replaces the target only when
  // whole: a failure half way leaves the old target as it was.
  ReplacementRecord target;
  if (!StartReplacement(targetPath, &target)) {
    ShowErrorBox(owner, ErrorCreateConvertTarget, targetPath, StyleStop);
    return false;
  }
  // An empty source is a valid text and converts to an empty target.
  Outcome outcome = ConvertPieces(source.get(), sourceSize, buffer.get(), target.file.get(), blocks, table, toGb);
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
  // The close may fail as well.
  if (!FinishReplacement(&target)) {
    ShowErrorBox(owner, ErrorWriteConvertTarget, targetPath, StyleStop);
    return false;
  }
  ShowNotice(owner, "Convert complete!", "OK");
  return true;
}
