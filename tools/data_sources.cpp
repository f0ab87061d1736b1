#include "tools/data_sources.h"

#include <cstdio>
#include <cstring>

namespace {
bool ReadText(const std::string& path, std::string& text, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = "cannot open " + path;
    return false;
  }
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) error = "cannot read " + path;
  return !failed;
}

// The lines of a text file, without their LF.
bool ReadLines(const std::string& path, std::vector<std::string>& lines, std::string& error) {
  std::string text;
  if (!ReadText(path, text, error)) return false;
  lines.clear();
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Decodes one UTF-8 sequence at text[at]; 0 for a malformed one.
char32_t NextUtf8(const std::string& text, size_t& at) {
  uint8_t first = static_cast<uint8_t>(text[at++]);
  if (first < 0x80) return first;
  int extra = first >= 0xF0 ? 3 : first >= 0xE0 ? 2 : first >= 0xC0 ? 1 : -1;
  if (extra < 0) return 0;
  char32_t c = first & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    if (at >= text.size() || (static_cast<uint8_t>(text[at]) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (static_cast<uint8_t>(text[at++]) & 0x3F);
  }
  return c;
}

// The characters of a UTF-8 word; empty when it is malformed.
std::vector<char32_t> DecodeUtf8(const std::string& word) {
  std::vector<char32_t> chars;
  size_t at = 0;
  while (at < word.size()) {
    char32_t c = NextUtf8(word, at);
    if (c == 0) return {};
    chars.push_back(c);
  }
  return chars;
}

size_t Convert(iconv_t converter, const char* in, size_t inCount, char* out, size_t outCapacity) {
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  char* inAt = const_cast<char*>(in);
  char* outAt = out;
  size_t inLeft = inCount, outLeft = outCapacity;
  if (iconv(converter, &inAt, &inLeft, &outAt, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return 0;
  // Flush any shift state, so that a converter cannot keep a character back.
  if (iconv(converter, nullptr, nullptr, &outAt, &outLeft) == static_cast<size_t>(-1)) return 0;
  return outCapacity - outLeft;
}
}  // namespace

bool LoadUnifont(const std::string& path, UnifontGlyphs& glyphs, std::string& error) {
  std::vector<std::string> lines;
  if (!ReadLines(path, lines, error)) return false;
  glyphs.resize(UnifontPlaneSize);
  for (size_t index = 0; index < lines.size(); ++index) {
    std::string& line = lines[index];
    const size_t lineNumber = index + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    size_t colon = line.find(':');
    size_t digits = colon == std::string::npos ? 0 : line.size() - colon - 1;
    if (colon == 0 || colon > 6 || (digits != 32 && digits != 64)) {
      error = path + ":" + std::to_string(lineNumber) + ": not a hex glyph line";
      return false;
    }
    char32_t c = 0;
    for (size_t k = 0; k < colon; ++k) {
      int v = HexValue(line[k]);
      if (v < 0) {
        error = path + ":" + std::to_string(lineNumber) + ": bad code point";
        return false;
      }
      c = c * 16 + static_cast<char32_t>(v);
    }
    if (c >= UnifontPlaneSize) continue;  // no code reaches beyond the first plane
    UnifontGlyph glyph;
    glyph.width = digits == 32 ? 8 : 16;
    for (size_t k = 0; k < digits / 2; ++k) {
      int hi = HexValue(line[colon + 1 + 2 * k]), lo = HexValue(line[colon + 2 + 2 * k]);
      if (hi < 0 || lo < 0) {
        error = path + ":" + std::to_string(lineNumber) + ": bad hex digit";
        return false;
      }
      glyph.rows[k] = static_cast<uint8_t>(hi * 16 + lo);
    }
    glyphs[c] = glyph;
  }
  return true;
}

bool LoadDictionary(const std::string& path, Dictionary& dictionary, std::string& error) {
  std::vector<std::string> lines;
  if (!ReadLines(path, lines, error)) return false;
  for (size_t index = 0; index < lines.size(); ++index) {
    const std::string& line = lines[index];
    const size_t lineNumber = index + 1;
    if (line.empty()) continue;
    size_t tab = line.find('\t');
    if (tab == std::string::npos) {
      error = path + ":" + std::to_string(lineNumber) + ": no tab";
      return false;
    }
    std::vector<char32_t> key = DecodeUtf8(line.substr(0, tab));
    if (key.size() != 1) continue;
    std::vector<char32_t>& candidates = dictionary[key[0]];
    size_t wordStart = tab + 1;
    while (wordStart <= line.size()) {
      size_t wordEnd = line.find(' ', wordStart);
      if (wordEnd == std::string::npos) wordEnd = line.size();
      std::vector<char32_t> word = DecodeUtf8(line.substr(wordStart, wordEnd - wordStart));
      if (word.size() == 1) candidates.push_back(word[0]);
      wordStart = wordEnd + 1;
    }
  }
  return true;
}

const std::vector<char32_t>& LookUp(const Dictionary& dictionary, char32_t c) {
  static const std::vector<char32_t> none;
  auto found = dictionary.find(c);
  return found == dictionary.end() ? none : found->second;
}

bool OpenCharset(const char* name, Charset& charset) {
  charset.toUnicode = iconv_open("UTF-32LE", name);
  charset.fromUnicode = iconv_open(name, "UTF-32LE");
  return charset.toUnicode != reinterpret_cast<iconv_t>(-1) && charset.fromUnicode != reinterpret_cast<iconv_t>(-1);
}

void CloseCharset(Charset& charset) {
  for (iconv_t* converter : {&charset.toUnicode, &charset.fromUnicode}) {
    if (*converter != reinterpret_cast<iconv_t>(-1)) iconv_close(*converter);
    *converter = reinterpret_cast<iconv_t>(-1);
  }
}

char32_t DecodeBytes(Charset& charset, const uint8_t* bytes, size_t count) {
  char32_t c = 0;
  return DecodeCharacters(charset, bytes, count, &c, 1) == 1 ? c : 0;
}

size_t DecodeCharacters(Charset& charset, const uint8_t* bytes, size_t count, char32_t* out, size_t capacity) {
  char text[16];
  size_t written = Convert(charset.toUnicode, reinterpret_cast<const char*>(bytes), count, text, sizeof text);
  if (written == 0 || written % 4 != 0 || written / 4 > capacity) return 0;
  for (size_t k = 0; k < written / 4; ++k) {
    uint8_t u[4];
    std::memcpy(u, text + 4 * k, 4);
    out[k] = static_cast<char32_t>(u[0] | u[1] << 8 | u[2] << 16 | u[3] << 24);
  }
  return written / 4;
}

size_t EncodeBytes(Charset& charset, char32_t c, uint8_t out[4]) {
  const uint8_t text[4] = {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c >> 16),
                           static_cast<uint8_t>(c >> 24)};
  char bytes[8];
  size_t written = Convert(charset.fromUnicode, reinterpret_cast<const char*>(text), 4, bytes, sizeof bytes);
  if (written > 4) return 0;
  std::memcpy(out, bytes, written);
  return written;
}

std::string Utf8(char32_t c) {
  std::string s;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (c >> 18));
    s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}
