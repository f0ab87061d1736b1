#include "shell/font_path.h"

#include <cstring>

#include "shell/file_io.h"

char ModulePath[PathCapacity] = "";
char DataFolder[PathCapacity] = "";

const char* const FontFileNames[4] = {"ZKJT16.FON", "ZKFT16.FON", "ZKJP16.FON", "ZKJT16.FON"};

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

bool BuildFontPath(char* dest, size_t destSize, int code) {
  // Any code type outside 0..3 is brought into range before it picks a name.
  if (code < 0 || code > 3) code = 0;
  return BuildPathBesideProgram(dest, destSize, FontFileNames[code]);
}
