// Reading a whole number from text typed by a user or stored in the settings
// file: leading white space is skipped, one "+" or "-" is allowed, then
// decimal digits are taken up to the first other character; no digits give
// 0. A number too large for an int is held at INT_MIN or INT_MAX rather than
// wrapping round into a value nobody typed.
#pragma once

#include <cstddef>

int ReadLeadingInteger(const char* text);

// The same over text[0..length), which need not be terminated.
int ReadLeadingInteger(const char* text, size_t length);
