// The commands of `zk`; each takes the whole argv and the index of its first
// own word, and returns the exit code.
#pragma once

#include <functional>
#include <string>

#include "base/file_io.h"

int RunInfoCommand(int argc, char** argv, int first);
int RunCatCommand(int argc, char** argv, int first);
int RunFindCommand(int argc, char** argv, int first);
int RunConvertCommand(int argc, char** argv, int first);
int RunTablesCommand(int argc, char** argv, int first);
// Needs libpng: only in the native build.
int RunRenderCommand(int argc, char** argv, int first);
// Needs cairo: only in the native build.
int RunPrintCommand(int argc, char** argv, int first);

// Fills ModulePath with the path of the running program, so that files
// beside it are found as the viewer finds them; the native zk takes an
// installed copy's data from /usr/share/zk when none lie beside it.
void FindModulePath(const char* argv0);

// Writes the file `output` that a command makes of `source` through
// `write`, replacing any file of that name only when whole, and never the
// source itself under any name. The exit code; a failure's message shown.
int WriteCommandOutput(const std::string& source, const std::string& output,
                       const std::function<bool(ReplacementRecord*)>& write);

// True when the command showed an error message.
bool AnyErrorShown();

// Readies the process: the arguments in UTF-8 where the system hands them
// over in another form (Windows), so that a file name in any script arrives
// whole; a write past a file-size limit fails like any other instead of
// ending the program half way; a signal that ends it removes the new file
// being written.
void PrepareProcess(int* argc, char*** argv);

// True when standard input is a terminal someone can answer on.
bool StdinIsTerminal();

// True when standard error is a terminal someone watches: progress shows
// there only then.
bool StderrIsTerminal();
