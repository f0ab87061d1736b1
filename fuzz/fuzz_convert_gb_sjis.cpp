// GB and Shift JIS through random, often short, tables, in both directions.
#include "convert/converters.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzTableConverter(ConvertGbSjis, 2 * GbTableCells, data, size);
  return 0;
}
