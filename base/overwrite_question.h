// The question asked before a file the user named is replaced.
#pragma once

#include <cstddef>

#include "base/program_path.h"
#include "base/prompts.h"

// Room for the overwrite question with any path of PathCapacity.
constexpr size_t OverwritePromptCapacity = PathCapacity + 40;

// "File %s is existed, Overwrite it ?" with `targetPath` in it. The result
// always fits `outSize` (at least 1): a name too long for it is cut.
void FormatOverwritePrompt(char* out, size_t outSize, const char* targetPath);

// Asks that question, captioned "Message", when something of the name
// `targetPath` exists. True when nothing is there or the answer is Yes.
bool ConfirmOverwrite(WindowRef owner, const char* targetPath);
