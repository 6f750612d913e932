// zlib's inflate calls crc32 only for gzip streams. The installer's programs are zlib streams,
// so zlib's own crc32, 12 KB of tables made for speed, would never run; linked into the
// installer ahead of zlib, this one stands in for it: bitwise, small, and right all the same.
#include <zlib.h>

extern "C" uLong crc32(uLong crc, const Bytef* buf, uInt len) {
  if (!buf) return 0;
  crc = ~crc & 0xFFFFFFFFUL;
  while (len--) {
    crc ^= *buf++;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320UL & (0UL - (crc & 1)));
  }
  return ~crc & 0xFFFFFFFFUL;
}
