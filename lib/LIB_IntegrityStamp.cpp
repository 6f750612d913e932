// The build's side of the installer's check of its own file: kept apart, so that the installer,
// which only checks, does not carry it.
#include <algorithm>

#include "lib/LIB_Integrity.h"

std::string StampImage(std::span<uint8_t> file, std::span<const uint8_t, 16> magic) {
  const auto layout = ReadImageLayout(file);
  if (!layout) return "not a 64-bit Windows program";
  if (layout->CertSize != 0) return "the program is signed already: stamp it before signing";
  auto found = std::search(file.begin(), file.end(), magic.begin(), magic.end());
  if (found == file.end()) return "the program has no stamp to fill in";
  if (std::search(found + 1, file.end(), magic.begin(), magic.end()) != file.end())
    return "the program has more than one stamp";
  const size_t at = static_cast<size_t>(found - file.begin());
  if (file.size() - at < sizeof(TIntegrityStamp)) return "the stamp is cut off";
  if (at < layout->SecurityAt + 8) return "the stamp lies in the headers";
  const uint32_t length = static_cast<uint32_t>(file.size());
  const uint32_t crc = ImageCrc(file, file.size(), SkippedFields(*layout, at));
  for (int i = 0; i < 4; ++i) {
    file[at + offsetof(TIntegrityStamp, Crc) + i] = static_cast<uint8_t>(crc >> (8 * i));
    file[at + offsetof(TIntegrityStamp, Length) + i] = static_cast<uint8_t>(length >> (8 * i));
  }
  return "";
}
