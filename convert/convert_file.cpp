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
#include "convert/loss_report.h"
#include "convert/transcode.h"
#include "document/detect_code.h"
#include "document/hz_decode.h"
#include "document/line_index.h"

namespace {
// The source is read and converted in pieces of this size, which stay in the
// processor's cache from the read to the conversion.
constexpr size_t SourcePieceSize = 1u << 18;

// The converters hand their output over in chunks of about 2 KB; it goes
// to the file in blocks of this size.
constexpr size_t OutputBlockSize = 1u << 20;

// A source of at least this many bytes converts on two threads, where the
// pair of codes allows.
constexpr uint64_t TwoLaneSize = 2 * SourcePieceSize;

// The source piece, and two output blocks: one is written while the other
// is filled. A small source, of one piece, has buffers of its size: many
// small files convert without a large allocation each. A source converted
// on two lanes has a second piece, and each lane fills one block.
struct ConvertBuffers {
  Block<uint8_t> pieces[2];
  Block<uint8_t> blocks[2];
  size_t pieceSize = 0;
  size_t blockSize = 0;  // at least pieceSize, and any chunk
};

bool AllocateConvertBuffers(ConvertBuffers& buffers, uint64_t sourceSize) {
  constexpr size_t SmallestPiece = 4096;
  buffers.pieceSize = sourceSize < SourcePieceSize - 1 ? static_cast<size_t>(sourceSize) + 1 : SourcePieceSize;
  if (buffers.pieceSize < SmallestPiece) buffers.pieceSize = SmallestPiece;
  buffers.blockSize = 4 * buffers.pieceSize < OutputBlockSize ? 4 * buffers.pieceSize : OutputBlockSize;
  const int pieces = sourceSize >= TwoLaneSize ? 2 : 1;
  for (int k = 0; k < pieces; ++k) {
    buffers.pieces[k] = AllocateZeroed<uint8_t>(buffers.pieceSize);
    if (!buffers.pieces[k]) return false;
  }
  for (Block<uint8_t>& block : buffers.blocks) {
    block = AllocateZeroed<uint8_t>(buffers.blockSize);
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
  if (target.filled + count > target.buffers.blockSize && !HandOverBlock(target)) return 0;
  std::memcpy(target.buffers.blocks[target.current].get() + target.filled, bytes, count);
  target.filled += count;
  return count;
}

struct WholeFile {
  Block<uint8_t> bytes;
  size_t length = 0;
};

// A failure: the message and the name it is about.
struct Failure {
  int error = 0;
  std::string argument;
};

// Reads the table at `path`, which must hold `requiredSize` bytes: a table
// cut short or padded would convert wrongly without a word.
Failure ReadTable(const char* path, uint64_t requiredSize, WholeFile& whole) {
  FileHandle file = OpenForReading(path);
  if (!file) return {ErrorOpenConvertTable, path};
  uint64_t size = 0;
  if (!MeasureFile(file.get(), &size) || size != requiredSize) return {ErrorReadConvertTable, path};
  whole.length = static_cast<size_t>(size);
  whole.bytes = AllocateZeroed<uint8_t>(whole.length);
  if (!whole.bytes) return {ErrorAllocMemory, {}};
  if (ReadWhole(file.get(), whole.bytes.get(), whole.length) == 0) return {ErrorReadConvertTable, path};
  return {};
}

// A pair of codes the tables convert directly: its ConvertMode and toGb.
struct TablePair {
  int mode;
  int toGb;
};

TablePair TablePairOf(int from, int to) {
  const int other = from == CodeGb ? to : from;
  const int mode = other == CodeBig5 ? ConvertModeBig5 : other == CodeShiftJis ? ConvertModeSjis : ConvertModeHz;
  return {mode, from == CodeGb ? 0 : 1};
}

// The table and its extension, each read whole from beside the program.
Failure ReadTables(TablePair pair, WholeFile& table, WholeFile& extension) {
  const char* names[2] = {ConvertTableName(pair.mode, pair.toGb), ConvertExtensionName(pair.mode, pair.toGb)};
  const size_t sizes[2] = {ConvertTableSize(pair.mode, pair.toGb), ConvertExtensionSize(pair.mode, pair.toGb)};
  WholeFile* wholes[2] = {&table, &extension};
  for (int k = 0; k < 2; ++k) {
    if (names[k] == nullptr) continue;
    char path[PathCapacity];
    if (!BuildPathBesideProgram(path, sizeof path, names[k])) return {ErrorOpenConvertTable, names[k]};
    Failure failure = ReadTable(path, sizes[k], *wholes[k]);
    if (failure.error != 0) return failure;
  }
  return {};
}

// One piece of the source into the target's sink, by lane 0 or 1 (each has
// its own state): 0, or 1 when a chunk was not written whole.
using PieceConverter = std::function<int(int lane, ByteSink, const uint8_t*, size_t, SourcePiece*)>;

enum class Outcome { Done, ReadFailed, WriteFailed };

// Converts the source piece by piece into the target, up to the end of the
// file as it is read. A source that reads other than `size` bytes changed
// while it was read, and its conversion is not to be trusted. The pieces
// are read by this thread: read here, a piece is still in this processor's
// cache when it is converted.
Outcome ConvertPieces(std::FILE* source, uint64_t size, ReplacementRecord& targetFile, ConvertBuffers& buffers,
                      const PieceConverter& convert, ConvertReport* report) {
  TargetBlocks target{targetFile, buffers, 0, 0, false, {}};
  // A source of one piece is written at its end: a second thread would only
  // cost its start.
  if (size >= buffers.pieceSize) StartWorker(target.writer);
  const ByteSink sink{TakeOutput, &target};
  uint8_t* buffer = buffers.pieces[0].get();
  SourcePiece piece;
  piece.report = report;
  size_t held = 0;  // the bytes a piece left for the next one
  uint64_t total = 0;
  for (;;) {
    const size_t request = buffers.pieceSize - held;
    const size_t got = std::fread(buffer + held, 1, request, source);
    total += got;
    held += got;
    piece.last = got < request;
    if (piece.last && std::ferror(source) != 0) return Outcome::ReadFailed;
    if (convert(0, sink, buffer, held, &piece) != 0) return Outcome::WriteFailed;
    held -= piece.used;
    std::memmove(buffer, buffer + piece.used, held);
    if (piece.last) break;
  }
  if (target.filled > 0 && !HandOverBlock(target)) return Outcome::WriteFailed;
  StopWorker(target.writer);
  if (target.failed) return Outcome::WriteFailed;
  return total == size ? Outcome::Done : Outcome::ReadFailed;
}

// Two lanes, the calling thread and one more, each read, convert and write
// alternate pieces of a source: the reads and the writes in the source's
// order, the conversions at once, each piece converted where it was read.
// A piece ends after a byte below 0x30, which no code ZK reads takes into a
// character of several bytes: the next piece then begins a character
// whatever the piece before holds, and both convert as the whole source
// would. A piece without such a byte is converted as far as its converter
// takes it before the next is read.
struct LaneShare {
  std::FILE* source;
  ReplacementRecord& file;
  ConvertReport& report;
  const PieceConverter& convert;
  size_t pieceSize, blockSize;
  std::mutex mutex;
  std::condition_variable changed;
  uint64_t nextRead = 0, nextWrite = 0;  // the pieces read and written next
  const uint8_t* carried = nullptr;      // what the piece read last left for the next
  size_t held = 0;
  uint64_t offset = 0, total = 0;  // where the next piece starts; the bytes read
  bool ended = false;              // the last piece is read, or reading stopped
  bool readFailed = false;
  std::atomic<bool> writeFailed = false;
};

struct Lane {
  LaneShare& share;
  int number;
  uint8_t* input;
  uint8_t* output;
  size_t filled = 0;
  uint64_t index = 0;  // the piece's place in the source's order
  bool holdsWriteTurn = false;
  SourcePiece piece = {};
  ConvertReport report = {};
};

// Writes what the lane holds, in its turn; false when a write failed.
bool WriteLaneOutput(Lane& lane) {
  LaneShare& share = lane.share;
  if (!lane.holdsWriteTurn) {
    std::unique_lock<std::mutex> lock(share.mutex);
    share.changed.wait(lock, [&] { return share.nextWrite == lane.index; });
    lane.holdsWriteTurn = true;
  }
  if (share.writeFailed || !WriteReplacement(&share.file, lane.output, lane.filled)) share.writeFailed = true;
  lane.filled = 0;
  return !share.writeFailed;
}

// A lane's sink: its block, written early (in its turn) only when a piece's
// output outgrows it.
size_t TakeLaneOutput(void* handle, const uint8_t* bytes, size_t count) {
  Lane& lane = *static_cast<Lane*>(handle);
  if (lane.filled + count > lane.share.blockSize && !WriteLaneOutput(lane)) return 0;
  std::memcpy(lane.output + lane.filled, bytes, count);
  lane.filled += count;
  return count;
}

// The first losses of the whole source are those of its pieces in order.
void AddReport(ConvertReport& total, const ConvertReport& part) {
  total.lost += part.lost;
  total.illFormed += part.illFormed;
  total.places += part.places;
  for (int k = 0; k < part.recorded && total.recorded < ReportedLosses; ++k)
    total.first[total.recorded++] = part.first[k];
}

// Where a piece may end so that the next begins a character: after its last
// byte below 0x30; 0 when it has none.
size_t FindPieceEnd(const uint8_t* bytes, size_t n) {
  for (size_t k = n; k > 0; --k)
    if (bytes[k - 1] < 0x30) return k;
  return 0;
}

// Hands the next read on: the piece read last ends at input[end], of
// `held` bytes.
void PassRead(Lane& lane, size_t end, size_t held, size_t got, bool ended) {
  LaneShare& share = lane.share;
  {
    const std::lock_guard<std::mutex> hold(share.mutex);
    share.carried = lane.input + end;
    share.held = held - end;
    share.offset += end;
    share.total += got;
    share.ended = ended;
    share.nextRead = lane.index + 1;
  }
  share.changed.notify_all();
}

void RunLane(Lane& lane) {
  LaneShare& share = lane.share;
  lane.piece.report = &lane.report;
  const ByteSink sink{TakeLaneOutput, &lane};
  for (lane.index = static_cast<uint64_t>(lane.number);; lane.index += 2) {
    size_t held;
    {
      std::unique_lock<std::mutex> lock(share.mutex);
      share.changed.wait(lock, [&] { return share.nextRead == lane.index || share.ended; });
      if (share.ended) return;
      held = share.held;
      if (held > 0) std::memcpy(lane.input, share.carried, held);
      lane.piece.offset = share.offset;
    }
    const size_t request = share.pieceSize - held;
    const size_t got = std::fread(lane.input + held, 1, request, share.source);
    held += got;
    const bool last = got < request;
    if (last && std::ferror(share.source) != 0) {
      share.readFailed = true;
      PassRead(lane, 0, 0, got, true);
      return;
    }
    size_t end = last ? held : FindPieceEnd(lane.input, held);
    const bool whole = last || end != 0;
    if (whole) PassRead(lane, end, held, got, last);
    lane.piece.last = whole;
    lane.report = ConvertReport{};
    const bool converted =
        !share.writeFailed && share.convert(lane.number, sink, lane.input, whole ? end : held, &lane.piece) == 0;
    if (!converted) share.writeFailed = true;
    if (!whole) PassRead(lane, converted ? lane.piece.used : 0, held, got, !converted);
    WriteLaneOutput(lane);
    {
      const std::lock_guard<std::mutex> hold(share.mutex);
      AddReport(share.report, lane.report);
      share.nextWrite = lane.index + 1;
    }
    lane.holdsWriteTurn = false;
    share.changed.notify_all();
  }
}

// ConvertPieces on two lanes; on one, as ConvertPieces, where no second
// thread can be started.
Outcome ConvertPiecesOnLanes(std::FILE* source, uint64_t size, ReplacementRecord& targetFile, ConvertBuffers& buffers,
                             const PieceConverter& convert, ConvertReport* report) {
  LaneShare share{source, targetFile, *report, convert, buffers.pieceSize, buffers.blockSize, {}, {}};
  Lane lanes[2] = {{share, 0, buffers.pieces[0].get(), buffers.blocks[0].get()},
                   {share, 1, buffers.pieces[1].get(), buffers.blocks[1].get()}};
  std::thread second;
  try {
    second = std::thread(RunLane, std::ref(lanes[1]));
  } catch (const std::system_error&) {
    return ConvertPieces(source, size, targetFile, buffers, convert, report);
  }
  RunLane(lanes[0]);
  second.join();
  if (share.readFailed) return Outcome::ReadFailed;
  if (share.writeFailed) return Outcome::WriteFailed;
  return share.total == size ? Outcome::Done : Outcome::ReadFailed;
}

// The code of the source from its first bytes; the file is read from its
// start again afterwards.
int DetectSourceCode(std::FILE* source, uint8_t* buffer, size_t capacity) {
  const size_t got = std::fread(buffer, 1, capacity, source);
  std::rewind(source);
  const int code = DetectTextCode(buffer, got);
  if (!IsUnicodeCode(code) && HoldsHzEscape(buffer, got)) return CodeHz;
  return code;
}

// Gives the first losses their lines and columns, reading the source from
// its start (an HZ source decoded) as far as the last of them.
bool PlaceLosses(std::FILE* source, int from, ConvertBuffers& buffers, ConvertReport& report) {
  if (report.recorded == 0) return true;
  std::rewind(source);
  uint8_t* const buffer = buffers.pieces[0].get();
  uint8_t* const decoded = buffers.blocks[0].get();
  LossLocator locator;
  bool gbMode = false;
  size_t held = 0, decodedHeld = 0;
  for (;;) {
    const size_t request = buffers.pieceSize - held;
    const size_t got = std::fread(buffer + held, 1, request, source);
    held += got;
    const bool last = got < request;
    if (last && std::ferror(source) != 0) return false;
    bool done = false;
    size_t used;
    if (from == CodeHz) {
      // The decoded text is read as the conversion read it: a character
      // the piece's end cuts waits for the next piece.
      const size_t limit = last ? held : held - (held > LongestCharacter - 1 ? LongestCharacter - 1 : held);
      const size_t n = decodedHeld + DecodeHzSteps(buffer, 0, limit, held, decoded + decodedHeld, &gbMode, &used);
      const size_t located = LocateLosses(report, locator, CodeGb, decoded, n, last, &done);
      decodedHeld = n - located;
      std::memmove(decoded, decoded + located, decodedHeld);
    } else {
      used = LocateLosses(report, locator, from, buffer, held, last, &done);
    }
    if (done || last) return true;
    held -= used;
    std::memmove(buffer, buffer + used, held);
  }
}
}  // namespace

ConvertCodesRecord CodesOfMode(int mode, int toGb) {
  static constexpr int Others[7] = {CodeBig5, CodeShiftJis, CodeHz, CodeGb, CodeBig5, CodeShiftJis, CodeHz};
  const int index = mode >= 0 && mode < 7 ? mode : 0;
  const int first = index < ConvertModeGbUtf8 ? CodeGb : Others[index];
  const int second = index < ConvertModeGbUtf8 ? Others[index] : CodeUtf8;
  return toGb == 0 ? ConvertCodesRecord{first, second} : ConvertCodesRecord{second, first};
}

namespace {
// What converts the pieces: the tables of a pair they convert directly, else
// each character through its Unicode form.
struct Converter {
  WholeFile table, extension;
  ConvertTables tables;
  TranscodeState states[2];  // a lane's each
  PieceConverter convert;
  // Whether pieces convert apart, on two lanes: no state of the source or
  // the target runs from one line to the next.
  bool lanes = false;
};

Failure PrepareConverter(Converter& converter, int from, int to) {
  if (!ConvertsThroughUnicode(from, to)) {
    const TablePair pair = TablePairOf(from, to);
    Failure failure = ReadTables(pair, converter.table, converter.extension);
    if (failure.error != 0) return failure;
    const WholeFile &table = converter.table, &extension = converter.extension;
    converter.tables = ConvertTables{table.bytes.get(), table.length, extension.bytes.get(), extension.length, {}};
    FillReplacement(pair.mode, pair.toGb, &converter.tables);
    const ConvertTables& tables = converter.tables;
    converter.lanes = pair.mode != ConvertModeHz;
    converter.convert = [&tables, pair](int, ByteSink sink, const uint8_t* bytes, size_t n, SourcePiece* piece) {
      if (pair.mode == ConvertModeBig5) return ConvertGbBig5(sink, tables, bytes, n, pair.toGb, piece);
      if (pair.mode == ConvertModeSjis) return ConvertGbSjis(sink, tables, bytes, n, pair.toGb, piece);
      return pair.toGb == 0 ? ConvertGbToHz(sink, bytes, n, piece) : ConvertHzToGb(sink, bytes, n, piece);
    };
    return {};
  }
  if (const char* missing = MissingTranscodeTable(from, to)) {
    char path[PathCapacity];
    return {ErrorOpenConvertTable, BuildPathBesideProgram(path, sizeof path, missing) ? path : missing};
  }
  converter.lanes = from != CodeHz && !IsUtf16Code(from) && to != CodeHz;
  for (int lane = 0; lane < (converter.lanes ? 2 : 1); ++lane)
    if (!PrepareTranscode(&converter.states[lane], from, to, SourcePieceSize)) return {ErrorAllocMemory, {}};
  // Only the first lane reads the start of the text, where a byte-order mark
  // may stand.
  converter.states[1].atStart = false;
  TranscodeState* states = converter.states;
  converter.convert = [states](int lane, ByteSink sink, const uint8_t* bytes, size_t n, SourcePiece* piece) {
    return Transcode(sink, states[lane], bytes, n, piece);
  };
  return {};
}
}  // namespace

ConvertOutcome ConvertCodes(const ConvertRequest& request) {
  ConvertOutcome outcome;
  const char* targetPath = request.inPlace ? request.sourcePath : request.targetPath;
  const auto fail = [&outcome](Failure failure) {
    outcome.error = failure.error;
    outcome.errorArgument = std::move(failure.argument);
    return outcome;
  };
  // Two names of one file: converting it onto itself would lose the source.
  if (!request.inPlace && IsSameFile(request.sourcePath, targetPath)) return fail({ErrorSameFileName, {}});
  // The tables are read before the source is touched, unless the source
  // must tell its code first.
  Converter converter;
  outcome.from = request.from;
  if (outcome.from != CodeDetect) {
    Failure failure = PrepareConverter(converter, outcome.from, request.to);
    if (failure.error != 0) return fail(std::move(failure));
  }
  FileHandle source = OpenForReading(request.sourcePath);
  if (!source) return fail({ErrorOpenConvertSource, request.sourcePath});
  if (!MeasureFile(source.get(), &outcome.sourceBytes)) return fail({ErrorReadConvertSource, request.sourcePath});
  ConvertBuffers buffers;
  if (!AllocateConvertBuffers(buffers, outcome.sourceBytes)) return fail({ErrorAllocMemory, {}});
  if (outcome.from == CodeDetect) {
    outcome.from = DetectSourceCode(source.get(), buffers.pieces[0].get(), buffers.pieceSize);
    Failure failure = PrepareConverter(converter, outcome.from, request.to);
    if (failure.error != 0) return fail(std::move(failure));
  }
  if (request.askBeforeReplacing && !ConfirmOverwrite(request.owner, targetPath)) {
    outcome.declined = true;
    return outcome;
  }

  // The converted text goes to a new file that replaces the target only when
  // whole: a failure half way leaves the old target as it was. In place, the
  // source is never written as it is read.
  ReplacementRecord target;
  if (!StartReplacement(targetPath, &target, !request.inPlace)) return fail({ErrorCreateConvertTarget, targetPath});
  // An empty source is a valid text and converts to an empty target.
  const bool onLanes = converter.lanes && outcome.sourceBytes >= TwoLaneSize;
  const Outcome written = (onLanes ? ConvertPiecesOnLanes : ConvertPieces)(source.get(), outcome.sourceBytes, target,
                                                                           buffers, converter.convert, &outcome.report);
  if (written != Outcome::Done) {
    // A source that could not be read, or that shrank or grew meanwhile,
    // leaves the old target as it was.
    AbandonReplacement(&target);
    if (written == Outcome::ReadFailed) return fail({ErrorReadConvertSource, request.sourcePath});
    return fail({ErrorWriteConvertTarget, targetPath});
  }
  const ConvertReport& report = outcome.report;
  if (request.strict && (report.lost > 0 || report.illFormed > 0)) {
    AbandonReplacement(&target);
    outcome.refused = true;
  }
  if (!PlaceLosses(source.get(), outcome.from, buffers, outcome.report))
    return fail({ErrorReadConvertSource, request.sourcePath});
  if (outcome.refused) return outcome;
  // A file still open cannot be replaced everywhere.
  source.reset();
  // The last bytes reach the file only when it is flushed and closed.
  if (!FinishReplacement(&target)) return fail({ErrorWriteConvertTarget, targetPath});
  return outcome;
}

bool ConvertFile(WindowRef owner, const char* sourcePath, const char* targetPath, int toGb) {
  const ConvertCodesRecord codes = CodesOfMode(ConvertMode, toGb);
  ConvertRequest request;
  request.sourcePath = sourcePath;
  request.targetPath = targetPath;
  request.from = codes.from;
  request.to = codes.to;
  request.owner = owner;
  request.askBeforeReplacing = true;
  const ConvertOutcome outcome = ConvertCodes(request);
  if (outcome.declined) return false;
  if (outcome.error != 0) {
    ShowErrorBox(owner, outcome.error, outcome.errorArgument.empty() ? nullptr : outcome.errorArgument.c_str(),
                 StyleStop);
    return false;
  }
  const std::string losses = CountLosses(outcome.report, codes.to);
  ShowNotice(owner, losses.empty() ? "Convert complete!" : ("Convert complete!\n\n" + losses).c_str(), "OK");
  return true;
}
