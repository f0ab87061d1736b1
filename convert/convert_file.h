// One whole conversion of a file in the current ConvertMode, with its
// overwrite question and its messages.
#pragma once

#include <cstddef>

#include "base/program_path.h"
#include "base/prompts.h"
#include "convert/converters.h"

// Converts `sourcePath` into `targetPath`: GB into the other code of the
// pair when toGb is 0, the other code into GB otherwise. Reads the table
// (beside the program) and the source whole, asks before replacing an
// existing target, and shows every failure and the final "Convert complete!"
// through the prompts, owned by `owner`. True when the conversion completed.
bool ConvertFile(WindowRef owner, const char* sourcePath, const char* targetPath, int toGb);
