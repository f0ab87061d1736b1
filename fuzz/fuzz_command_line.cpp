// The file names of a command line, and the command that hands one of them
// to a new instance.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "shell/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input{data, size};
  size_t tokenSize = 1 + TakeByte(input) % 300;
  std::string text(reinterpret_cast<const char*>(input.data), input.size);
  text = text.substr(0, text.find('\0'));

  // A guard byte after the token buffer shows any write past its end.
  std::vector<char> token(tokenSize + 1, '\x5A');
  size_t cursor = 0;
  size_t names = 0;
  while (NextCommandLineToken(text.c_str(), &cursor, token.data(), tokenSize)) {
    FUZZ_CHECK(token[tokenSize] == '\x5A');
    size_t length = std::strlen(token.data());
    FUZZ_CHECK(length < tokenSize);
    if (tokenSize > 1) FUZZ_CHECK(length > 0);  // no empty names, unless cut to nothing
    FUZZ_CHECK(cursor <= text.size());
    FUZZ_CHECK(++names <= text.size());  // every name uses up text

    char command[InstanceCommandCapacity + 1];
    command[InstanceCommandCapacity] = '\x5A';
    if (FormatInstanceCommand(command, InstanceCommandCapacity, "C:\\ZK\\ZK.EXE", token.data())) {
      std::string expected = std::string("\"C:\\ZK\\ZK.EXE\" \"") + token.data() + "\"";
      FUZZ_CHECK(expected == command);
    } else {
      FUZZ_CHECK(command[0] == '\0');
    }
    FUZZ_CHECK(command[InstanceCommandCapacity] == '\x5A');
  }
  FUZZ_CHECK(token[tokenSize] == '\x5A');
  return 0;
}
