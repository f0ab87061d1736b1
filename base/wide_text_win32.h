// Windows names files in UTF-16; ZK keeps every path in UTF-8 and turns it
// into the system's form only where it meets the system.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// `text` (in `codePage`) in UTF-16; empty for null.
std::wstring WideFromCodePage(const char* text, UINT codePage);

// `text` (UTF-8) in UTF-16; empty for null.
std::wstring WideFromUtf8(const char* text);

// `text` (UTF-16) in UTF-8 into `dest` (capacity `destSize`, at least 1);
// false, with dest empty, when it does not fit.
bool Utf8FromWide(const wchar_t* text, char* dest, size_t destSize);

// The same into a string.
std::string Utf8FromWide(const wchar_t* text);
