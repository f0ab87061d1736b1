// What a conversion tells of the characters it could not carry over: their
// lines and columns, found by reading the source again, and the words of
// the report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "convert/converters.h"

// A code's name as the reports and `zk info` give it: "GB", "Big5",
// "Shift JIS", "HZ", "UTF-8", "UTF-16 LE", "UTF-16 BE".
const char* CodeName(int code);

// Where the reading of the text stands, piece to piece: the place, line and
// column of its next character, and the next record to place.
struct LossLocator {
  uint64_t offset = 0;
  uint64_t line = 1;
  uint64_t column = 1;
  int next = 0;
};

// Gives the records of `report` that lie in text[0..n) (the text as read,
// in `code`; an HZ text decoded into GB) their lines and columns. A piece
// that is not the last leaves a character that may run past it: returns how
// many bytes it took. True in *done once every record is placed.
size_t LocateLosses(ConvertReport& report, LossLocator& locator, int code, const uint8_t* text, size_t n, bool last,
                    bool* done);

// The report of a conversion from `from` into `to` with losses, a line
// each: how many characters had no form in the target and how many bytes
// were no character, then the first few with their lines, columns and
// bytes. Empty when nothing was lost.
std::string DescribeLosses(const ConvertReport& report, int from, int to);

// The count alone, in a sentence: for the Convert dialog's message.
std::string CountLosses(const ConvertReport& report, int to);
