#include "shell/command_line.h"

#include <cstring>

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

bool NextCommandLineToken(const char* text, size_t* cursor, char* token, size_t tokenSize) {
  if (token == nullptr || tokenSize == 0) return false;
  token[0] = '\0';
  if (text == nullptr) return false;
  size_t at = *cursor;
  // Leading blanks, empty quotes and a lone quote at the end name no file.
  while (text[at] != '\0') {
    if (IsBlank(text[at])) {
      ++at;
    } else if (text[at] == '"' && text[at + 1] == '"') {
      at += 2;
    } else if (text[at] == '"' && text[at + 1] == '\0') {
      ++at;
    } else {
      break;
    }
  }
  if (text[at] == '\0') {
    *cursor = at;
    return false;
  }
  size_t length = 0;
  auto keep = [&](char c) {
    if (length + 1 < tokenSize) token[length++] = c;
  };
  if (text[at] == '"') {
    ++at;
    while (text[at] != '\0' && text[at] != '"') keep(text[at++]);
    if (text[at] == '"') ++at;
  } else {
    while (text[at] != '\0' && !IsBlank(text[at])) keep(text[at++]);
  }
  token[length] = '\0';
  // Only the blanks go: a quote here opens the next name, so that a second
  // quoted name keeps its blanks.
  while (IsBlank(text[at])) ++at;
  *cursor = at;
  return true;
}

const char* SkipProgramName(const char* commandLine) {
  if (commandLine == nullptr) return "";
  const char* at = commandLine;
  if (*at == '"') {
    ++at;
    while (*at != '\0' && *at != '"') ++at;
    if (*at == '"') ++at;
  } else {
    while (*at != '\0' && !IsBlank(*at)) ++at;
  }
  while (IsBlank(*at)) ++at;
  return at;
}

bool FormatInstanceCommand(char* dest, size_t destSize, const char* program, const char* path) {
  if (dest == nullptr || destSize == 0) return false;
  dest[0] = '\0';
  if (program == nullptr || path == nullptr) return false;
  size_t programLength = std::strlen(program);
  size_t pathLength = std::strlen(path);
  // Quotes, the blank between and the terminator.
  if (programLength + pathLength + 6 > destSize) return false;
  size_t at = 0;
  dest[at++] = '"';
  std::memcpy(dest + at, program, programLength);
  at += programLength;
  dest[at++] = '"';
  dest[at++] = ' ';
  dest[at++] = '"';
  std::memcpy(dest + at, path, pathLength);
  at += pathLength;
  dest[at++] = '"';
  dest[at] = '\0';
  return true;
}
