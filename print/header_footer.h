// Header and footer templates: "&" codes for the file name, page, date and
// time, and for the left, centre and right parts of the line.
#pragma once

#include <cstddef>
#include <cstdint>

// The local date and time as the clock gives them.
struct LocalTime {
  int year;
  int month;
  int day;
  int hour;  // 0 to 23
  int minute;
};

// Bytes each of the three parts can hold; more are dropped.
constexpr size_t HeaderPartCapacity = 255;

// Composes `templateText` into `line`, a line of charsPerLine cells (at most
// lineCapacity), and returns its length; 0 for an empty template, which
// draws nothing. A part that does not fit the line starts at cell 0 and loses
// the bytes past the line's end; where parts overlap, centre overwrites left
// and right overwrites both.
size_t ComposeHeaderFooter(const char* templateText, int32_t page, const char* fileName, const LocalTime& now,
                           int32_t charsPerLine, uint8_t* line, size_t lineCapacity);
