#include "base/program_path.h"

#include <cstring>

char ModulePath[PathCapacity] = "";

bool SetModulePath(const char* path) {
  size_t length = path == nullptr ? 0 : std::strlen(path);
  if (length >= PathCapacity) {
    ModulePath[0] = '\0';
    return false;
  }
  if (length > 0) std::memcpy(ModulePath, path, length);
  ModulePath[length] = '\0';
  return true;
}

bool BuildPathBesideProgram(char* dest, size_t destSize, const char* name) {
  if (dest == nullptr || destSize == 0) return false;
  dest[0] = '\0';
  size_t directory = 0;
  for (size_t i = 0; ModulePath[i] != '\0'; ++i) {
    if (ModulePath[i] == '\\' || ModulePath[i] == '/') directory = i + 1;
  }
  size_t nameLength = std::strlen(name);
  if (directory + nameLength >= destSize) return false;
  std::memcpy(dest, ModulePath, directory);
  std::memcpy(dest + directory, name, nameLength);
  dest[directory + nameLength] = '\0';
  return true;
}
