#include <functional>
#include <string>

#include "base/error_messages.h"
#include "base/file_io.h"
#include "base/prompts.h"
#include "cli/commands.h"

int WriteCommandOutput(const std::string& source, const std::string& output,
                       const std::function<bool(ReplacementRecord*)>& write) {
  if (IsSameFile(source.c_str(), output.c_str())) {
    ShowErrorBox(nullptr, ErrorSameFileName, nullptr, StyleStop);
    return 1;
  }
  ReplacementRecord out;
  if (!StartReplacement(output.c_str(), &out)) {
    ShowErrorBox(nullptr, ErrorCreateFile, output.c_str(), StyleStop);
    return 1;
  }
  if (!write(&out)) {
    AbandonReplacement(&out);
    ShowErrorBox(nullptr, ErrorWriteFile, output.c_str(), StyleStop);
    return 1;
  }
  if (!FinishReplacement(&out)) {
    ShowErrorBox(nullptr, ErrorWriteFile, output.c_str(), StyleStop);
    return 1;
  }
  return 0;
}
