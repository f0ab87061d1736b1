// One whole conversion of a file in the current ConvertMode, with its
// overwrite question and its messages.
#pragma once

#include <cstddef>

#include "convert/converters.h"
#include "shell/font_path.h"
#include "shell/prompts.h"

// Room for the overwrite question with any path of PathCapacity.
constexpr size_t OverwritePromptCapacity = PathCapacity + 40;

// "File %s is existed, Overwrite it ?" with `targetPath` in it. The result
// always fits `outSize` (at least 1): a name too long for it is cut.
void FormatOverwritePrompt(char* out, size_t outSize, const char* targetPath);

// Converts `sourcePath` into `targetPath`: GB into the other code of the
// pair when toGb is 0, the other code into GB otherwise. Reads the table
// (beside the program) and the source whole, asks before replacing an
// existing target, and shows every failure and the final "Convert complete!"
// through the prompts, owned by `owner`. True when the conversion completed.
bool ConvertFile(WindowRef owner, const char* sourcePath, const char* targetPath, int toGb);
