// A small parser for the command line of `zk`.
#pragma once

#include <string>
#include <vector>

struct OptionSpec {
  const char* name;  // "--width"
  bool takesValue;
};

struct ParsedArgs {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;  // name and value ("" for a flag)
  bool help = false;
  std::string error;  // set when the words do not fit the known options
};

// Parses argv[first..argc). "--help" and "-h" set help; "--" ends the options.
ParsedArgs ParseArgs(int argc, char** argv, int first, const std::vector<OptionSpec>& known);

bool HasOption(const ParsedArgs& args, const char* name);

// The value of the last occurrence of `name`, or null.
const std::string* OptionValue(const ParsedArgs& args, const char* name);

// A whole decimal number, sign allowed; false for anything else or overflow.
bool ParseInteger(const std::string& text, long long& value);

// The option `name` as a whole number from low to high into `value`, which
// keeps its default when the option is absent; false for anything else.
bool ParseWholeOption(const ParsedArgs& args, const char* name, long long low, long long high, long long& value);

// "--code gb|big5|sjis" into *code (left alone when absent); false for
// another name.
bool ParseCodeOption(const ParsedArgs& args, int* code);

// Prints "zk: <message>" and the hint to standard error; returns exit code 2.
int UsageError(const char* command, const std::string& message);
