// libFuzzer target: UnpackURL takes any bytes, and packing is undone exactly for texts
// without "Q" (a "Q" before a blank-led fragment is the one documented exception).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lib/LIB_kvURL.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = UnpackURL(bytes);
  (void)PackURL(text);
  if (bytes.find('Q') == std::string::npos && UnpackURL(PackURL(bytes)) != bytes) std::abort();
  return 0;
}
