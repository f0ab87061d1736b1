#include "cli/cli_args.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

ParsedArgs ParseArgs(int argc, char** argv, int first, const std::vector<OptionSpec>& known) {
  ParsedArgs parsed;
  bool optionsEnded = false;
  for (int i = first; i < argc; ++i) {
    std::string word = argv[i];
    if (optionsEnded || word.size() < 2 || word[0] != '-') {
      parsed.positional.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    if (word == "--help" || word == "-h") {
      parsed.help = true;
      continue;
    }
    const OptionSpec* match = nullptr;
    for (const OptionSpec& candidate : known) {
      if (word == candidate.name) match = &candidate;
    }
    if (match == nullptr) {
      parsed.error = "unknown option " + word;
      return parsed;
    }
    if (!match->takesValue) {
      parsed.options.emplace_back(word, "");
      continue;
    }
    if (i + 1 >= argc) {
      parsed.error = word + " needs a value";
      return parsed;
    }
    parsed.options.emplace_back(word, argv[++i]);
  }
  return parsed;
}

bool HasOption(const ParsedArgs& args, const char* name) { return OptionValue(args, name) != nullptr; }

const std::string* OptionValue(const ParsedArgs& args, const char* name) {
  const std::string* value = nullptr;
  for (const auto& option : args.options) {
    if (option.first == name) value = &option.second;
  }
  return value;
}

bool ParseInteger(const std::string& text, long long& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  value = std::strtoll(text.c_str(), &end, 10);
  return errno == 0 && end != nullptr && *end == '\0';
}

bool ParseWholeOption(const ParsedArgs& args, const char* name, long long low, long long high, long long& value) {
  const std::string* text = OptionValue(args, name);
  if (text == nullptr) return true;
  return ParseInteger(*text, value) && value >= low && value <= high;
}

bool ParseCodeOption(const ParsedArgs& args, int* code) {
  const std::string* name = OptionValue(args, "--code");
  if (name == nullptr) return true;
  const char* const names[6] = {"gb", "big5", "sjis", "utf8", "utf16le", "utf16be"};
  for (int k = 0; k < 6; ++k) {
    if (*name == names[k]) {
      *code = k;  // the code types run in this order
      return true;
    }
  }
  return false;
}

int UsageError(const char* command, const std::string& message) {
  std::fprintf(stderr, "zk: %s\nTry 'zk %s --help'.\n", message.c_str(), command);
  return 2;
}
