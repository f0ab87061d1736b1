#include "tests/data_support.h"

#include <iconv.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>

std::string DataFile(const std::string& name) { return std::string(ZK_DATA_DIR) + "/" + name; }

Bytes UnifontBitmap(const std::string& hexFile, char32_t c) {
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%04X:", static_cast<unsigned>(c));
  std::ifstream in(std::string(ZK_UNIFONT_DIR) + "/" + hexFile);
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, std::strlen(prefix), prefix) != 0) continue;
    Bytes bitmap;
    for (size_t at = std::strlen(prefix); at + 1 < line.size(); at += 2) {
      bitmap.push_back(static_cast<uint8_t>(std::stoi(line.substr(at, 2), nullptr, 16)));
    }
    return bitmap;
  }
  return {};
}

Bytes CentreNarrowBitmap(const Bytes& narrow) {
  Bytes wide(32, 0);
  for (size_t row = 0; row < 16 && row < narrow.size(); ++row) {
    wide[2 * row] = static_cast<uint8_t>(narrow[row] >> 4);
    wide[2 * row + 1] = static_cast<uint8_t>(narrow[row] << 4);
  }
  return wide;
}

char32_t DecodeWithIconv(const char* charset, uint8_t first, uint8_t second) {
  // Opened once for the whole run of the suite, closed at its end.
  struct CloseConverter {
    void operator()(void* converter) const { iconv_close(converter); }
  };
  static std::map<std::string, std::unique_ptr<void, CloseConverter>> converters;
  auto known = converters.find(charset);
  if (known == converters.end()) {
    iconv_t opened = iconv_open("UTF-32LE", charset);
    if (opened == reinterpret_cast<iconv_t>(-1)) return 0;
    known = converters.emplace(charset, std::unique_ptr<void, CloseConverter>(opened)).first;
  }
  iconv_t converter = known->second.get();
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  char in[2] = {static_cast<char>(first), static_cast<char>(second)};
  unsigned char out[16];
  char* inAt = in;
  char* outAt = reinterpret_cast<char*>(out);
  size_t inLeft = second == 0 ? 1 : 2, outLeft = sizeof out;
  size_t result = iconv(converter, &inAt, &inLeft, &outAt, &outLeft);
  if (result == static_cast<size_t>(-1) || inLeft != 0 || sizeof out - outLeft != 4) return 0;
  return static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
}
