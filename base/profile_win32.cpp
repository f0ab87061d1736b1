#include "base/profile_win32.h"

#include <shlobj.h>

#include <vector>

#include "base/integer_text.h"
#include "base/wide_text_win32.h"

namespace {
constexpr size_t ProfileIntegerCapacity = 64;

std::wstring settingsPath;

// The values are 8-bit text (a header template holds GB bytes): they cross
// the wide functions in the system's code page and come back unchanged.
std::wstring WideValue(const char* text) { return WideFromCodePage(text, CP_ACP); }

const wchar_t* WideSettingsPath() {
  if (!settingsPath.empty()) return settingsPath.c_str();
  // A bare name would land in the Windows directory, which an ordinary user
  // cannot write: the settings would be lost without a word.
  wchar_t folder[MAX_PATH] = L"";
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder))) {
    std::wstring directory = std::wstring(folder) + L"\\ZK";
    CreateDirectoryW(directory.c_str(), nullptr);
    settingsPath = directory + L"\\" + WideValue(SettingsFileName);
  } else {
    settingsPath = WideValue(SettingsFileName);
  }
  return settingsPath.c_str();
}
}  // namespace

std::string SettingsFilePath() { return Utf8FromWide(WideSettingsPath()); }

bool ReadProfileText(const char* key, char* dest, size_t destSize) {
  if (dest == nullptr || destSize == 0) return false;
  dest[0] = '\0';
  std::vector<wchar_t> wide(destSize);
  DWORD length = GetPrivateProfileStringW(WideValue(SettingsSection).c_str(), WideValue(key).c_str(), L"", wide.data(),
                                          static_cast<DWORD>(wide.size()), WideSettingsPath());
  if (length == 0) return false;
  int written = WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, dest, static_cast<int>(destSize), nullptr, nullptr);
  // A value too long for `dest` is cut, never left unterminated.
  if (written <= 0) dest[destSize - 1] = '\0';
  return true;
}

void WriteProfileText(const char* key, const char* text) {
  WritePrivateProfileStringW(WideValue(SettingsSection).c_str(), WideValue(key).c_str(), WideValue(text).c_str(),
                             WideSettingsPath());
}

int ReadProfileInteger(const char* key, int fallback) {
  char text[ProfileIntegerCapacity] = "";
  return ReadProfileText(key, text, sizeof text) ? ReadLeadingInteger(text) : fallback;
}
