// The Unicode tables of the extended charts and of GB18030's four-byte codes.
#include "tools/make_data.h"

namespace {
void PutUint16(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void PutUint32(uint8_t* at, uint32_t value) {
  PutUint16(at, value);
  PutUint16(at + 2, value >> 16);
}

// Where iconv writes `c`, when that is a byte or a pair of the chart that
// stands for `c`: a mapping one way only (CP932's yen sign to 0x5C) is none.
// Else where the chart holds it: the characters of plain Big5 that
// BIG5-HKSCS lacks (￣ at 0xA1C3) come back where they were read.
bool Encode(Charset& charset, const CodeChart& chart, char32_t c, uint8_t cell[2]) {
  uint8_t bytes[4];
  size_t count = EncodeBytes(charset, c, bytes);
  if (count == 1 && chart.singles[bytes[0]] == c) {
    cell[0] = 0;
    cell[1] = bytes[0];
    return true;
  }
  if (count == 2 && CharacterAt(chart, bytes[0], bytes[1]) == c) {
    cell[0] = bytes[0];
    cell[1] = bytes[1];
    return true;
  }
  return EncodeCharacter(chart, c, cell);
}
}  // namespace

bool IsIdeograph(char32_t c) {
  return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF);
}

Bytes BuildDecodeTable(const CodeChart& extended) {
  Bytes table(4 * (256 + GridPositions), 0);
  for (int b = 0; b < 256; ++b) PutUint32(table.data() + 4 * b, extended.singles[b]);
  uint8_t* cell = table.data() + 4 * 256;
  CodeLayout grid = GridLayout();
  for (uint8_t lead : grid.leads) {
    for (uint8_t trail : grid.trails) {
      PutUint32(cell, CharacterAt(extended, lead, trail));
      cell += 4;
    }
  }
  return table;
}

bool BuildEncodeTable(const CodeChart& extended, const Dictionaries& dictionaries, Bytes& table,
                      EncodeCoverage& coverage, std::string& error) {
  Charset charset;
  if (!OpenCharset(ExtendedCharsetName(extended.code), charset)) {
    error = std::string("iconv lacks ") + ExtendedCharsetName(extended.code);
    CloseCharset(charset);
    return false;
  }
  table.assign(2 * EncodeCells + EncodeCells / 8, 0);
  uint8_t* substitutes = table.data() + 2 * EncodeCells;
  for (size_t k = 1; k < EncodeCells; ++k) {  // U+0000 stays empty: the reader takes it as it is
    const char32_t c = static_cast<char32_t>(k < 0x10000 ? k : 0x20000 + (k - 0x10000));
    uint8_t* cell = table.data() + 2 * k;
    const bool ideograph = IsIdeograph(c);
    const bool secondPlane = c >= 0x20000;
    coverage.ideographs += ideograph ? 1 : 0;
    if (Encode(charset, extended, c, cell)) {
      ++coverage.direct;
      coverage.ideographsDirect += ideograph ? 1 : 0;
      coverage.secondPlaneDirect += secondPlane ? 1 : 0;
      continue;
    }
    for (char32_t form : FormsFor(extended.code, dictionaries, c)) {
      if (form == c || !Encode(charset, extended, form, cell)) continue;
      substitutes[k >> 3] = static_cast<uint8_t>(substitutes[k >> 3] | 1u << (k & 7));
      ++coverage.substitute;
      coverage.ideographsSubstitute += ideograph ? 1 : 0;
      coverage.secondPlaneSubstitute += secondPlane ? 1 : 0;
      break;
    }
  }
  CloseCharset(charset);
  return true;
}

bool BuildGb18030Table(Bytes& table, int& mapped, std::string& error) {
  Charset charset;
  if (!OpenCharset("GB18030", charset)) {
    error = "iconv lacks GB18030";
    CloseCharset(charset);
    return false;
  }
  table.assign(2 * Gb18030FirstPlaneCodes, 0);
  for (size_t n = 0; n < Gb18030FirstPlaneCodes; ++n) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(0x81 + n / 12600), static_cast<uint8_t>(0x30 + n / 1260 % 10),
                              static_cast<uint8_t>(0x81 + n / 10 % 126), static_cast<uint8_t>(0x30 + n % 10)};
    const char32_t c = DecodeBytes(charset, bytes, 4);
    if (c == 0 || c >= 0x10000) continue;
    PutUint16(table.data() + 2 * n, c);
    ++mapped;
  }
  CloseCharset(charset);
  return true;
}
