// libFuzzer target: the data file reader on any bytes either decodes them or raises
// EDataFileError with an offset inside the input; nothing else may escape.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "lib/LIB_DataFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    ReadDataFile(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const EDataFileError& e) {
    if (e.Offset > size) std::abort();
  }
  return 0;
}
