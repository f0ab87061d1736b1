#include "base/wide_text_win32.h"

#include <cwchar>

std::wstring WideFromCodePage(const char* text, UINT codePage) {
  if (text == nullptr || text[0] == '\0') return std::wstring();
  int length = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text, -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length) - 1);
  return wide;
}

std::wstring WideFromUtf8(const char* text) { return WideFromCodePage(text, CP_UTF8); }

bool Utf8FromWide(const wchar_t* text, char* dest, size_t destSize) {
  if (dest == nullptr || destSize == 0) return false;
  dest[0] = '\0';
  if (text == nullptr || text[0] == L'\0') return true;
  int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 0 || static_cast<size_t>(length) > destSize) return false;
  WideCharToMultiByte(CP_UTF8, 0, text, -1, dest, length, nullptr, nullptr);
  return true;
}

std::string Utf8FromWide(const wchar_t* text) {
  if (text == nullptr || text[0] == L'\0') return std::string();
  int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), length, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(length) - 1);
  return narrow;
}
