#include "base/program_path.h"

#include <cstring>

#include "base/file_io.h"

char ModulePath[PathCapacity] = "";
char DataFolder[PathCapacity] = "";

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
  const char* base = DataFolder[0] != '\0' ? DataFolder : ModulePath;
  size_t directory = 0;
  for (size_t i = 0; base[i] != '\0'; ++i) {
    if (base[i] == '\\' || base[i] == '/') directory = i + 1;
  }
  size_t nameLength = std::strlen(name);
  if (directory + nameLength >= destSize) return false;
  std::memcpy(dest, base, directory);
  std::memcpy(dest + directory, name, nameLength);
  dest[directory + nameLength] = '\0';
  return true;
}

bool SetDataFolder(const char* folder) {
  size_t length = folder == nullptr ? 0 : std::strlen(folder);
  bool fits = length < PathCapacity;
  if (fits && length > 0) std::memcpy(DataFolder, folder, length);
  DataFolder[fits ? length : 0] = '\0';
  return fits;
}

void ChooseDataFolder(const char* shared, const char* marker) {
  char path[PathCapacity];
  SetDataFolder("");
  if (BuildPathBesideProgram(path, sizeof path, marker) && PathExists(path)) return;
  // With the file in neither folder, messages name the program's.
  if (!SetDataFolder(shared) || !BuildPathBesideProgram(path, sizeof path, marker) || !PathExists(path))
    SetDataFolder("");
}
