// Writes the files of the whole-process conversion benchmark into a folder:
// "source.gb", the 50 MB generated GB text, and a generated "GBBIG5.TBL"
// with its extension "GBBIG5X.TBL".
#include <cstdio>
#include <string>
#include <vector>

#include "bench/convert_samples.h"
#include "convert/converters.h"
#include "document/unicode_tables.h"

namespace {
bool Save(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_convert_samples DIR\n", stderr);
    return 2;
  }
  std::string folder = std::string(argv[1]) + "/";
  if (!Save(folder + "source.gb", MakeGbSample()) || !Save(folder + "GBBIG5.TBL", MakeSampleTable(GbTableCells, 11)) ||
      !Save(folder + "GBBIG5X.TBL", MakeSampleTable(GridCells, 12))) {
    std::fprintf(stderr, "make_convert_samples: cannot write into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
