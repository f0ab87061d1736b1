#include "tools/make_data.h"

namespace {
const char* const CharsetNames[3] = {"GB2312", "BIG5", "CP932"};
const char* const ExtendedCharsetNames[3] = {"GBK", "BIG5-HKSCS", "CP932"};

void AppendRange(std::vector<uint8_t>& bytes, int lo, int hi) {
  for (int b = lo; b <= hi; ++b) bytes.push_back(static_cast<uint8_t>(b));
}

bool IsPrivateUse(char32_t c) { return c >= 0xE000 && c <= 0xF8FF; }
}  // namespace

CodeLayout FontLayout(int code) {
  CodeLayout layout;
  if (code == DataGb) {
    AppendRange(layout.leads, 0xA1, 0xF7);
    AppendRange(layout.trails, 0xA1, 0xFE);
  } else if (code == DataBig5) {
    AppendRange(layout.leads, 0xA1, 0xF9);
    AppendRange(layout.trails, 0x40, 0x7E);
    AppendRange(layout.trails, 0xA1, 0xFE);
  } else {
    AppendRange(layout.leads, 0x81, 0x9F);
    AppendRange(layout.leads, 0xE0, 0xEC);
    AppendRange(layout.trails, 0x40, 0xFC);
  }
  return layout;
}

CodeLayout TableLayout(int code) {
  CodeLayout layout;
  if (code == DataGb) {
    AppendRange(layout.leads, 0xA1, 0xFE);
    AppendRange(layout.trails, 0xA1, 0xFE);
  } else if (code == DataBig5) {
    AppendRange(layout.leads, 0xA1, 0xFE);
    AppendRange(layout.trails, 0x40, 0x7E);
    AppendRange(layout.trails, 0xA1, 0xFE);
  } else {
    AppendRange(layout.leads, 0x81, 0x9F);
    AppendRange(layout.leads, 0xE0, 0xEB);
    AppendRange(layout.trails, 0x40, 0xFC);
  }
  return layout;
}

CodeLayout GridLayout() {
  CodeLayout layout;
  AppendRange(layout.leads, 0x81, 0xFE);
  AppendRange(layout.trails, 0x40, 0xFE);
  return layout;
}

CodeLayout SourceLayout(const CodeChart& chart) { return chart.extended ? GridLayout() : TableLayout(chart.code); }

bool BuildCodeChart(int code, CodeChart& chart, std::string& error) {
  chart.code = code;
  Charset charset, extended;
  if (!OpenCharset(CharsetNames[code], charset) || (code == DataBig5 && !OpenCharset("BIG5-HKSCS", extended))) {
    error = std::string("iconv lacks ") + CharsetNames[code];
    CloseCharset(charset);
    return false;
  }
  for (int b = 0; b < 256; ++b) {
    uint8_t byte = static_cast<uint8_t>(b);
    chart.singles[b] = DecodeBytes(charset, &byte, 1);
  }
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const uint8_t bytes[2] = {static_cast<uint8_t>(lead), static_cast<uint8_t>(trail)};
      char32_t c = DecodeBytes(charset, bytes, 2);
      // Big5's user-defined rows 0xC6A1 to 0xC8FE come out as private-use
      // code points, which have no picture; the extension that most Big5
      // texts use there (kana, Cyrillic, circled numbers) is in BIG5-HKSCS.
      // Unifont draws only the first plane.
      if (code == DataBig5 && IsPrivateUse(c)) {
        c = DecodeBytes(extended, bytes, 2);
        if (IsPrivateUse(c) || c >= UnifontPlaneSize) c = 0;
        if (c != 0) ++chart.borrowed;
      }
      chart.pairs[static_cast<size_t>(lead * 256 + trail)] = c;
    }
  }
  CodeLayout layout = FontLayout(code);
  for (uint8_t lead : layout.leads) {
    for (uint8_t trail : layout.trails) {
      char32_t c = chart.pairs[static_cast<size_t>(lead * 256 + trail)];
      if (c != 0) chart.positions.emplace(c, static_cast<uint16_t>(lead * 256 + trail));
    }
  }
  CloseCharset(charset);
  CloseCharset(extended);
  return true;
}

bool BuildExtendedChart(int code, const CodeChart& base, CodeChart& chart, std::string& error) {
  chart.code = code;
  chart.extended = true;
  Charset charset;
  if (!OpenCharset(ExtendedCharsetNames[code], charset)) {
    error = std::string("iconv lacks ") + ExtendedCharsetNames[code];
    CloseCharset(charset);
    return false;
  }
  // Single bytes: ASCII, and Shift JIS's half-width katakana; GBK's lone
  // 0x80 (the euro sign to iconv) is no character of a GB text.
  for (int b = 0; b < 256; ++b) {
    uint8_t byte = static_cast<uint8_t>(b);
    if (b < 0x80 || (code == DataSjis && b >= 0xA1 && b <= 0xDF)) chart.singles[b] = DecodeBytes(charset, &byte, 1);
  }
  // A pair is a character when its lead byte alone is none.
  std::vector<uint16_t> order;
  CodeLayout grid = GridLayout();
  for (uint8_t lead : grid.leads) {
    if (DecodeBytes(charset, &lead, 1) != 0) continue;
    for (uint8_t trail : grid.trails) {
      const uint8_t bytes[2] = {lead, trail};
      char32_t decoded[2] = {};
      size_t count = DecodeCharacters(charset, bytes, 2, decoded, 2);
      char32_t c = count == 1 ? decoded[0] : 0;
      if (count == 2 && decoded[0] < 0x10000 && decoded[1] < 0x10000) c = ComposedMark | decoded[1] << 16 | decoded[0];
      const uint16_t position = static_cast<uint16_t>(lead * 256 + trail);
      // BIG5-HKSCS lacks a few characters of plain Big5 (＼ at 0xA240,
      // the second 十 at 0xA2CC): a widened code keeps what the base reads.
      if (c == 0 && base.pairs[position] != 0) {
        c = base.pairs[position];
        ++chart.borrowed;
      }
      chart.pairs[position] = c;
      if (c != 0 && !IsComposed(c)) order.push_back(position);
    }
  }
  // Where a character lies twice, the tables keep the base chart's choice,
  // else take iconv's.
  for (uint16_t first : order) {
    const char32_t c = chart.pairs[first];
    if (chart.positions.contains(c)) continue;
    auto kept = base.positions.find(c);
    uint8_t bytes[4];
    uint16_t position = first;
    if (kept != base.positions.end() && chart.pairs[kept->second] == c)
      position = kept->second;
    else if (EncodeBytes(charset, c, bytes) == 2 && CharacterAt(chart, bytes[0], bytes[1]) == c)
      position = static_cast<uint16_t>(bytes[0] * 256 + bytes[1]);
    chart.positions.emplace(c, position);
  }
  CloseCharset(charset);
  return true;
}

const char* ExtendedCharsetName(int code) { return ExtendedCharsetNames[code]; }

char32_t CharacterAt(const CodeChart& chart, uint8_t lead, uint8_t trail) {
  return chart.pairs[static_cast<size_t>(lead * 256 + trail)];
}

bool EncodeCharacter(const CodeChart& chart, char32_t c, uint8_t out[2]) {
  auto found = chart.positions.find(c);
  if (found == chart.positions.end()) return false;
  out[0] = static_cast<uint8_t>(found->second >> 8);
  out[1] = static_cast<uint8_t>(found->second & 0xFF);
  return true;
}
