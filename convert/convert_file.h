// One whole conversion of a file: of any code ZK reads into any it writes,
// piece by piece through a new file that replaces the target only when
// whole. ConvertFile is the Convert dialog's, with its question and its
// messages; ConvertCodes asks and shows nothing, for many files at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/program_path.h"
#include "base/prompts.h"
#include "convert/converters.h"

// The modes past the three of ConvertModes: a code and UTF-8. The source is
// that code when toGb is 0, UTF-8 otherwise.
enum Utf8ConvertModes {
  ConvertModeGbUtf8 = 3,
  ConvertModeBig5Utf8 = 4,
  ConvertModeSjisUtf8 = 5,
  ConvertModeHzUtf8 = 6,
};

// The codes of the source and the target of `mode` and `toGb` (codes of
// CodeTypes, or CodeHz).
struct ConvertCodesRecord {
  int from;
  int to;
};
ConvertCodesRecord CodesOfMode(int mode, int toGb);

struct ConvertRequest {
  const char* sourcePath = nullptr;
  const char* targetPath = nullptr;  // ignored in place
  int from = -1;                     // a code, or CodeDetect
  int to = 0;
  bool inPlace = false;  // the source itself is replaced by its conversion
  bool strict = false;   // nothing is written when anything would be lost
  // Ask, owned by `owner`, before an existing target is replaced; else it
  // is replaced without a question.
  bool askBeforeReplacing = false;
  WindowRef owner = nullptr;
};

struct ConvertOutcome {
  int error = 0;              // 0, or the message (ErrorId) of the failure
  std::string errorArgument;  // the name the message is about
  bool refused = false;       // strict, and something would be lost
  bool declined = false;      // the answer to the question was No
  int from = 0;               // the code the source was read in
  uint64_t sourceBytes = 0;
  ConvertReport report;  // the losses, placed by line and column
};

// Converts as the request says, showing no message. Reads the tables beside
// the program that the codes need (before the source, when its code is
// named), detects the source's code when asked (a byte-order mark, or its
// first bytes: HZ when they hold "~{"), and places the first losses by
// reading the source again.
ConvertOutcome ConvertCodes(const ConvertRequest& request);

// Converts `sourcePath` into `targetPath` as the current ConvertMode and
// toGb say. Asks before replacing an existing target, and shows every
// failure and the final "Convert complete!" (with the count of what was
// lost, when anything was) through the prompts, owned by `owner`. True when
// the conversion completed.
bool ConvertFile(WindowRef owner, const char* sourcePath, const char* targetPath, int toGb);
