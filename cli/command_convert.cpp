#include <algorithm>
#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "base/error_messages.h"
#include "base/file_io.h"
#include "base/prompts_headless.h"
#include "cli/cli_args.h"
#include "cli/commands.h"
#include "convert/convert_file.h"
#include "convert/loss_report.h"
#include "convert/transcode.h"
#include "document/file_name.h"
#include "document/line_index.h"

namespace {
const char* const ConvertHelp =
    "usage: zk convert --to CODE [--from CODE] [--force] [--strict] SOURCE TARGET\n"
    "       zk convert --to CODE [--from CODE] [--force] [--strict] [-j N] -d DIR SOURCE...\n"
    "       zk convert --to CODE [--from CODE] [--strict] [-j N] --in-place SOURCE...\n"
    "       zk convert (--big5 | --sjis | --hz) [--to-gb] [--force] SOURCE TARGET\n"
    "Converts text between GB (with GBK and GB 18030), Big5 (with the Hong Kong\n"
    "additions), Shift JIS (with the Windows additions), HZ and UTF-8, through\n"
    "the tables beside the program. A character the target has no form for,\n"
    "and a byte of the source that is no character, becomes the target's\n"
    "replacement; they are counted and the first few shown on standard error.\n"
    "  --to CODE     the target's code: gb, big5, sjis, hz or utf8\n"
    "  --from CODE   the source's code (also utf16le, utf16be); without it, the\n"
    "                code is found from the source's first bytes\n"
    "  --strict      write nothing, and fail, when anything would be lost\n"
    "  --force       replace an existing TARGET without asking; otherwise the\n"
    "                question is asked on a terminal and refused elsewhere (with\n"
    "                -d, an existing target is refused)\n"
    "  -d DIR        convert every SOURCE into the folder DIR (made if missing),\n"
    "                each under its own name\n"
    "  --in-place    replace every SOURCE by its conversion, once it is whole\n"
    "  -j N          convert N files at once (the number of processors)\n"
    "  --big5, --sjis, --hz   GB into Big5, Shift JIS or HZ; with --to-gb the\n"
    "                other way\n";

bool forceOverwrite = false;

// The overwrite question: yes with --force; asked on a terminal; refused,
// with its text on standard error, when no one can answer.
bool AnswerOverwrite(const char* text) {
  if (forceOverwrite) return true;
  if (!StdinIsTerminal()) {
    std::fprintf(stderr, "%s\n", text);
    return false;
  }
  char answer[64];
  for (;;) {
    std::fprintf(stderr, "%s (y/n) ", text);
    std::fflush(stderr);
    if (std::fgets(answer, sizeof answer, stdin) == nullptr) {
      std::fputc('\n', stderr);
      return false;
    }
    if (answer[0] == 'y' || answer[0] == 'Y') return true;
    if (answer[0] == 'n' || answer[0] == 'N') return false;
  }
}

// A code's name on the command line; -1 for none. Targets are the codes ZK
// writes; a source may also be UTF-16.
int CodeOfName(const std::string& name, bool source) {
  const struct {
    const char* name;
    int code;
    bool sourceOnly;
  } Names[] = {{"gb", CodeGb, false},         {"big5", CodeBig5, false}, {"sjis", CodeShiftJis, false},
               {"hz", CodeHz, false},         {"utf8", CodeUtf8, false}, {"utf16le", CodeUtf16Le, true},
               {"utf16be", CodeUtf16Be, true}};
  for (const auto& entry : Names) {
    if (name == entry.name && (source || !entry.sourceOnly)) return entry.code;
  }
  return -1;
}

// The report of a conversion with losses on standard error, each line
// naming the source.
void PrintLosses(const std::string& source, const ConvertOutcome& outcome, int to) {
  const std::string text = DescribeLosses(outcome.report, outcome.from, to);
  if (text.empty()) return;
  std::fprintf(stderr, "zk: %s: %s", source.c_str(), text.c_str());
}

std::string MessageOf(const ConvertOutcome& outcome) {
  char text[ErrorTextCapacity];
  FormatErrorText(text, sizeof text, outcome.error,
                  outcome.errorArgument.empty() ? nullptr : outcome.errorArgument.c_str());
  return text;
}

struct SingleFile {
  std::string source;
  std::string target;
  int from;
  int to;
  bool strict;
};

// One source into one target, with the overwrite question.
int ConvertSingle(const SingleFile& file) {
  if (IsSameFile(file.source.c_str(), file.target.c_str()) || file.source == file.target) {
    ShowErrorBox(nullptr, ErrorSameFileName, nullptr, StyleStop);
    return 1;
  }
  ConvertRequest request;
  request.askBeforeReplacing = true;
  request.sourcePath = file.source.c_str();
  request.targetPath = file.target.c_str();
  request.from = file.from;
  request.to = file.to;
  request.strict = file.strict;
  const ConvertOutcome outcome = ConvertCodes(request);
  if (outcome.declined) return 1;
  if (outcome.error != 0) {
    ShowErrorBox(nullptr, outcome.error, outcome.errorArgument.empty() ? nullptr : outcome.errorArgument.c_str(),
                 StyleStop);
    return 1;
  }
  PrintLosses(file.source, outcome, file.to);
  if (outcome.refused) {
    std::fprintf(stderr, "zk: %s: nothing written (--strict)\n", file.source.c_str());
    return 1;
  }
  return 0;
}

// One file of many: what it is, and what became of it.
struct FileJob {
  std::string source;
  std::string target;   // the source itself in place
  std::string refusal;  // why it is not converted at all, found beforehand
  ConvertOutcome outcome;
  bool done = false;
};

struct Batch {
  std::vector<FileJob> jobs;
  int from = CodeDetect;
  int to = CodeUtf8;
  bool strict = false;
  bool inPlace = false;
  bool force = false;
  bool progress = false;  // a line updated in place on the terminal
  std::atomic<size_t> next = 0;
  std::mutex lock;  // the fields below, and the output
  size_t printed = 0;
  size_t finished = 0;
  uint64_t bytesDone = 0;
  size_t failed = 0;
  uint64_t lost = 0;
  size_t progressWidth = 0;
};

void ClearProgress(Batch& batch) {
  if (batch.progressWidth == 0) return;
  std::fprintf(stderr, "\r%*s\r", static_cast<int>(batch.progressWidth), "");
  batch.progressWidth = 0;
}

void ShowProgress(Batch& batch) {
  char line[128];
  const int width = std::snprintf(line, sizeof line, "%zu of %zu files, %.1f MB", batch.finished, batch.jobs.size(),
                                  static_cast<double>(batch.bytesDone) / 1e6);
  std::fprintf(stderr, "\r%s", line);
  std::fflush(stderr);
  batch.progressWidth = width > 0 ? static_cast<size_t>(width) : 0;
}

// What became of one file: a line on standard output when it converted,
// its losses and any failure on standard error.
void ReportJob(Batch& batch, const FileJob& job) {
  const ConvertOutcome& outcome = job.outcome;
  if (!job.refusal.empty()) {
    std::fprintf(stderr, "zk: %s: %s\n", job.source.c_str(), job.refusal.c_str());
    return;
  }
  if (outcome.error != 0) {
    std::fprintf(stderr, "zk: %s: %s\n", job.source.c_str(), MessageOf(outcome).c_str());
    return;
  }
  PrintLosses(job.source, outcome, batch.to);
  if (outcome.refused) {
    std::fprintf(stderr, "zk: %s: nothing written (--strict)\n", job.source.c_str());
    return;
  }
  std::fflush(stderr);
  std::printf("%s (%s) -> %s (%s)\n", job.source.c_str(), CodeName(outcome.from), job.target.c_str(),
              CodeName(batch.to));
  std::fflush(stdout);
}

bool Failed(const FileJob& job) { return !job.refusal.empty() || job.outcome.error != 0 || job.outcome.refused; }

// The jobs are told of in their order, each as soon as those before it are.
void FinishJob(Batch& batch, size_t index) {
  const std::lock_guard<std::mutex> hold(batch.lock);
  FileJob& job = batch.jobs[index];
  job.done = true;
  ++batch.finished;
  batch.bytesDone += job.outcome.sourceBytes;
  ClearProgress(batch);
  for (; batch.printed < batch.jobs.size() && batch.jobs[batch.printed].done; ++batch.printed) {
    const FileJob& ready = batch.jobs[batch.printed];
    ReportJob(batch, ready);
    if (Failed(ready))
      ++batch.failed;
    else
      batch.lost += ready.outcome.report.lost + ready.outcome.report.illFormed;
  }
  if (batch.progress && batch.finished < batch.jobs.size()) ShowProgress(batch);
}

void RunJobs(Batch& batch) {
  for (size_t index = batch.next++; index < batch.jobs.size(); index = batch.next++) {
    FileJob& job = batch.jobs[index];
    if (job.refusal.empty()) {
      if (!batch.inPlace && !batch.force && PathExists(job.target.c_str())) {
        job.refusal = job.target + " exists (--force replaces it)";
      } else {
        ConvertRequest request;
        request.sourcePath = job.source.c_str();
        request.targetPath = job.target.c_str();
        request.from = batch.from;
        request.to = batch.to;
        request.inPlace = batch.inPlace;
        request.strict = batch.strict;
        job.outcome = ConvertCodes(request);
      }
    }
    FinishJob(batch, index);
  }
}

// Many sources, each into the folder or in place, on `threads` threads.
int ConvertMany(Batch& batch, const std::vector<std::string>& sources, const std::string* folder, long long threads) {
  if (folder != nullptr && !MakeFolder(folder->c_str())) {
    std::fprintf(stderr, "zk: cannot make the folder %s\n", folder->c_str());
    return 1;
  }
  std::set<std::string> names;
  for (const std::string& source : sources) {
    FileJob job;
    job.source = source;
    if (folder == nullptr) {
      job.target = source;
    } else {
      const char* name = LastPathComponent(source.c_str());
      job.target = *folder + "/" + name;
      // Two sources of one name would write one target.
      if (!names.insert(name).second) job.refusal = "another source has the name " + std::string(name);
    }
    batch.jobs.push_back(std::move(job));
  }
  batch.progress = StderrIsTerminal();
  const size_t count = std::min(static_cast<size_t>(threads), batch.jobs.size());
  std::vector<std::thread> workers;
  for (size_t k = 1; k < count; ++k) {
    try {
      workers.emplace_back(RunJobs, std::ref(batch));
    } catch (const std::system_error&) {
      break;  // fewer threads; this one still runs its share
    }
  }
  RunJobs(batch);
  for (std::thread& worker : workers) worker.join();
  const size_t converted = batch.jobs.size() - batch.failed;
  std::printf("%zu of %zu files converted, %zu failed", converted, batch.jobs.size(), batch.failed);
  if (batch.lost > 0) std::printf(", %" PRIu64 " characters or bytes replaced", batch.lost);
  std::printf("\n");
  return batch.failed == 0 ? 0 : 1;
}
}  // namespace

int RunConvertCommand(int argc, char** argv, int first) {
  ParsedArgs args = ParseArgs(argc, argv, first,
                              {{"--big5", false},
                               {"--sjis", false},
                               {"--hz", false},
                               {"--to-gb", false},
                               {"--force", false},
                               {"--to", true},
                               {"--from", true},
                               {"--strict", false},
                               {"-d", true},
                               {"--in-place", false},
                               {"-j", true}});
  if (args.help) {
    std::fputs(ConvertHelp, stdout);
    return 0;
  }
  if (!args.error.empty()) return UsageError("convert", args.error);
  forceOverwrite = HasOption(args, "--force");
  SetHeadlessQuestionHandler(AnswerOverwrite);

  int modes = 0;
  const struct {
    const char* option;
    int mode;
  } ModeOptions[] = {{"--big5", ConvertModeBig5}, {"--sjis", ConvertModeSjis}, {"--hz", ConvertModeHz}};
  for (const auto& option : ModeOptions) {
    if (HasOption(args, option.option)) {
      ConvertMode = option.mode;
      ++modes;
    }
  }
  const std::string* to = OptionValue(args, "--to");
  const std::string* from = OptionValue(args, "--from");
  const std::string* folder = OptionValue(args, "-d");
  const bool inPlace = HasOption(args, "--in-place");
  const bool strict = HasOption(args, "--strict");
  if (to == nullptr) {
    // The pairs of codes with GB, as the Convert dialog has them.
    if (modes != 1) return UsageError("convert", "convert takes --to CODE, or one of --big5, --sjis and --hz");
    if (from != nullptr || folder != nullptr || inPlace || HasOption(args, "-j"))
      return UsageError("convert", "--big5, --sjis and --hz convert one SOURCE into one TARGET");
    if (args.positional.size() != 2) return UsageError("convert", "convert takes SOURCE and TARGET");
    const ConvertCodesRecord codes = CodesOfMode(ConvertMode, HasOption(args, "--to-gb") ? 1 : 0);
    return ConvertSingle({args.positional[0], args.positional[1], codes.from, codes.to, strict});
  }
  if (modes != 0 || HasOption(args, "--to-gb"))
    return UsageError("convert", "--to names the target's code; --big5, --sjis, --hz and --to-gb go without it");
  const int target = CodeOfName(*to, false);
  if (target < 0) return UsageError("convert", "--to takes gb, big5, sjis, hz or utf8");
  int source = CodeDetect;
  if (from != nullptr && (source = CodeOfName(*from, true)) < 0)
    return UsageError("convert", "--from takes gb, big5, sjis, hz, utf8, utf16le or utf16be");
  long long threads = std::max(1u, std::thread::hardware_concurrency());
  if (!ParseWholeOption(args, "-j", 1, 256, threads)) return UsageError("convert", "-j takes a number from 1 to 256");
  if (folder == nullptr && !inPlace) {
    if (HasOption(args, "-j")) return UsageError("convert", "-j goes with -d or --in-place");
    if (args.positional.size() != 2) return UsageError("convert", "convert takes SOURCE and TARGET");
    return ConvertSingle({args.positional[0], args.positional[1], source, target, strict});
  }
  if (folder != nullptr && inPlace) return UsageError("convert", "-d and --in-place go one without the other");
  if (args.positional.empty()) return UsageError("convert", "convert takes at least one SOURCE");
  Batch batch;
  batch.from = source;
  batch.to = target;
  batch.strict = strict;
  batch.inPlace = inPlace;
  batch.force = forceOverwrite;
  return ConvertMany(batch, args.positional, folder, threads);
}
