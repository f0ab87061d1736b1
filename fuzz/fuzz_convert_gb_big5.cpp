// GB and Big5 through random, often short, tables, in both directions.
#include "convert/converters.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzTableConverter(ConvertGbBig5, 2 * Big5TableCells, data, size);
  return 0;
}
