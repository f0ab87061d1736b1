#include "convert/convert_file.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>

#include "base/error_messages.h"
#include "base/file_io.h"
#include "base/memory.h"
#include "base/overwrite_question.h"
#include "base/read_whole.h"

namespace {
// The source is read and converted in pieces of this size, which stay in the
// processor's cache from the read to the conversion.
constexpr size_t SourcePieceSize = 1u << 18;

// The converters hand their output over in chunks of about 2 KB; it goes
// to the file in blocks of this size.
constexpr size_t OutputBlockSize = 1u << 20;

// The source piece, and two output blocks: one is written while the other
// is filled.
struct ConvertBuffers {
  Block<uint8_t> piece;
  Block<uint8_t> blocks[2];
};

bool AllocateConvertBuffers(ConvertBuffers& buffers) {
  buffers.piece = AllocateZeroed<uint8_t>(SourcePieceSize);
  if (!buffers.piece) return false;
  for (Block<uint8_t>& block : buffers.blocks) {
    block = AllocateZeroed<uint8_t>(OutputBlockSize);
    if (!block) return false;
  }
  return true;
}

struct Worker;
void StopWorker(Worker& worker);

// A second thread that runs the jobs handed to it one at a time, so that
// the writes of the target overlap the conversion. Where no thread can be
// started, a job runs in the caller.
struct Worker {
  std::thread thread;
  std::mutex mutex;
  std::condition_variable changed;
  std::function<void()> job;  // handed over and not yet done
  bool closing = false;
  ~Worker() { StopWorker(*this); }
};

void RunJobs(Worker& worker) {
  std::unique_lock<std::mutex> lock(worker.mutex);
  for (;;) {
    worker.changed.wait(lock, [&] { return worker.job || worker.closing; });
    if (!worker.job) return;
    lock.unlock();
    worker.job();
    lock.lock();
    worker.job = nullptr;
    worker.changed.notify_all();
  }
}

void StartWorker(Worker& worker) {
  try {
    worker.thread = std::thread(RunJobs, std::ref(worker));
  } catch (const std::system_error&) {
  }
}

// Hands `job` over once the one before is done.
void HandToWorker(Worker& worker, std::function<void()> job) {
  if (!worker.thread.joinable()) {
    job();
    return;
  }
  std::unique_lock<std::mutex> lock(worker.mutex);
  worker.changed.wait(lock, [&] { return !worker.job; });
  worker.job = std::move(job);
  lock.unlock();
  worker.changed.notify_all();
}

// Lets the job handed over last finish, then ends the thread.
void StopWorker(Worker& worker) {
  if (!worker.thread.joinable()) return;
  {
    std::unique_lock<std::mutex> lock(worker.mutex);
    worker.closing = true;
  }
  worker.changed.notify_all();
  worker.thread.join();
}

// The converters' sink: fills one output block while the writer writes the
// other.
struct TargetBlocks {
  ReplacementRecord& file;
  ConvertBuffers& buffers;
  int current = 0;
  size_t filled = 0;
  std::atomic<bool> failed = false;  // set by the writer
  Worker writer;                     // last: it ends, and its job with it, first
};

// Hands the filled block to the writer once the block before is written,
// and goes on in the other; false when a write failed.
bool HandOverBlock(TargetBlocks& target) {
  const uint8_t* bytes = target.buffers.blocks[target.current].get();
  const size_t count = target.filled;
  target.current ^= 1;
  target.filled = 0;
  HandToWorker(target.writer, [&target, bytes, count] {
    if (!WriteReplacement(&target.file, bytes, count)) target.failed = true;
  });
  return !target.failed;
}

size_t TakeOutput(void* handle, const uint8_t* bytes, size_t count) {
  TargetBlocks& target = *static_cast<TargetBlocks*>(handle);
  if (target.filled + count > OutputBlockSize && !HandOverBlock(target)) return 0;
  std::memcpy(target.buffers.blocks[target.current].get() + target.filled, bytes, count);
  target.filled += count;
  return count;
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

int RunConverter(ByteSink target, const ConvertTables& tables, const uint8_t* source, size_t length, int toGb,
                 SourcePiece* piece) {
  if (ConvertMode == ConvertModeBig5) return ConvertGbBig5(target, tables, source, length, toGb, piece);
  if (ConvertMode == ConvertModeSjis) return ConvertGbSjis(target, tables, source, length, toGb, piece);
  return toGb == 0 ? ConvertGbToHz(target, source, length, piece) : ConvertHzToGb(target, source, length, piece);
}

// The table and its extension, each read whole from beside the program;
// shows the message of a failure.
bool ReadTables(WindowRef owner, int toGb, WholeFile& table, WholeFile& extension) {
  const char* names[2] = {ConvertTableName(ConvertMode, toGb), ConvertExtensionName(ConvertMode, toGb)};
  const size_t sizes[2] = {ConvertTableSize(ConvertMode, toGb), ConvertExtensionSize(ConvertMode, toGb)};
  WholeFile* wholes[2] = {&table, &extension};
  for (int k = 0; k < 2; ++k) {
    if (names[k] == nullptr) continue;
    char path[PathCapacity];
    if (!BuildPathBesideProgram(path, sizeof path, names[k])) {
      ShowErrorBox(owner, ErrorOpenConvertTable, names[k], StyleStop);
      return false;
    }
    if (!ReadTable(owner, path, sizes[k], *wholes[k])) return false;
  }
  return true;
}

enum class Outcome { Done, ReadFailed, WriteFailed };

// Converts the source piece by piece into the target, up to the end of the
// file as it is read. A source that reads other than `size` bytes changed
// while it was read, and its conversion is not to be trusted. The pieces
// are read by this thread: read here, a piece is still in this processor's
// cache when it is converted.
Outcome ConvertPieces(std::FILE* source, uint64_t size, ReplacementRecord& targetFile, ConvertBuffers& buffers,
                      const ConvertTables& tables, int toGb) {
  TargetBlocks target{targetFile, buffers, 0, 0, false, {}};
  StartWorker(target.writer);
  const ByteSink sink{TakeOutput, &target};
  uint8_t* buffer = buffers.piece.get();
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
    if (RunConverter(sink, tables, buffer, held, toGb, &piece) != 0) return Outcome::WriteFailed;
    held -= piece.used;
    std::memmove(buffer, buffer + piece.used, held);
    if (piece.last) break;
  }
  if (target.filled > 0 && !HandOverBlock(target)) return Outcome::WriteFailed;
  StopWorker(target.writer);
  if (target.failed) return Outcome::WriteFailed;
  return total == size ? Outcome::Done : Outcome::ReadFailed;
}
}  // namespace

bool ConvertFile(WindowRef owner, const char* sourcePath, const char* targetPath, int toGb) {
  // Two names of one file: converting it onto itself would lose the source.
  if (IsSameFile(sourcePath, targetPath)) {
    ShowErrorBox(owner, ErrorSameFileName, nullptr, StyleStop);
    return false;
  }
  WholeFile table, extension;
  if (!ReadTables(owner, toGb, table, extension)) return false;
  ConvertTables tables{table.bytes.get(), table.length, extension.bytes.get(), extension.length, {}};
  FillReplacement(ConvertMode, toGb, &tables);
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
  ConvertBuffers buffers;
  if (!AllocateConvertBuffers(buffers)) {
    ShowErrorBox(owner, ErrorAllocMemory, nullptr, StyleStop);
    return false;
  }

  if (!ConfirmOverwrite(owner, targetPath)) return false;
  // The converted text goes to a new file that replaces the target only when
  // whole: a failure half way leaves the old target as it was.
  ReplacementRecord target;
  if (!StartReplacement(targetPath, &target)) {
    ShowErrorBox(owner, ErrorCreateConvertTarget, targetPath, StyleStop);
    return false;
  }
  // An empty source is a valid text and converts to an empty target.
  Outcome outcome = ConvertPieces(source.get(), sourceSize, target, buffers, tables, toGb);
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
  // The last bytes reach the file only when it is flushed and closed.
  if (!FinishReplacement(&target)) {
    ShowErrorBox(owner, ErrorWriteConvertTarget, targetPath, StyleStop);
    return false;
  }
  ShowNotice(owner, "Convert complete!", "OK");
  return true;
}
