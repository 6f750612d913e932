#include "lib/LIB_Integrity.h"

#include <cstring>

namespace {

uint32_t Read32(std::span<const uint8_t> f, size_t at) {
  return f[at] | f[at + 1] << 8 | f[at + 2] << 16 | static_cast<uint32_t>(f[at + 3]) << 24;
}
uint16_t Read16(std::span<const uint8_t> f, size_t at) { return static_cast<uint16_t>(f[at] | f[at + 1] << 8); }

}  // namespace

std::optional<TImageLayout> ReadImageLayout(std::span<const uint8_t> f) {
  if (f.size() < 0x40 || f[0] != 'M' || f[1] != 'Z') return std::nullopt;
  const size_t pe = Read32(f, 0x3C);
  if (pe > f.size() || f.size() - pe < 24 || std::memcmp(&f[pe], "PE\0\0", 4) != 0) return std::nullopt;
  const uint16_t sections = Read16(f, pe + 6), optionalSize = Read16(f, pe + 20);
  const size_t opt = pe + 24;
  // 0x20B: PE32+; the security entry is the fifth of the data directories, at 144.
  if (optionalSize < 152 || f.size() - opt < optionalSize || Read16(f, opt) != 0x20B || Read32(f, opt + 108) < 5)
    return std::nullopt;
  TImageLayout l;
  l.CheckSumAt = opt + 64;
  l.SecurityAt = opt + 144;
  l.CertOffset = Read32(f, l.SecurityAt);
  l.CertSize = Read32(f, l.SecurityAt + 4);
  const size_t table = opt + optionalSize;
  if (f.size() < table || (f.size() - table) / 40 < sections) return std::nullopt;
  for (size_t i = 0; i < sections; ++i) {
    const size_t h = table + 40 * i;
    l.Sections.push_back({Read32(f, h + 12), Read32(f, h + 16), Read32(f, h + 20)});
  }
  return l;
}

uint32_t ImageCrc(std::span<const uint8_t> f, size_t length, const std::array<TSkip, 3>& skips) {
  static constexpr std::array<uint8_t, 16> kZeros{};
  uint32_t crc = 0;
  size_t at = 0;
  for (const TSkip& s : skips) {
    crc = Crc32(f.subspan(at, s.At - at), crc);
    crc = Crc32(std::span(kZeros).first(s.Size), crc);
    at = s.At + s.Size;
  }
  return Crc32(f.subspan(at, length - at), crc);
}

std::array<TSkip, 3> SkippedFields(const TImageLayout& l, size_t stampAt) {
  return {{{l.CheckSumAt, 4}, {l.SecurityAt, 8}, {stampAt + offsetof(TIntegrityStamp, Crc), 8}}};
}

uint32_t Crc32(std::span<const uint8_t> bytes, uint32_t crc) {
  // Eight bytes a step through eight tables: the installer checks megabytes before it may
  // write anything. Filled at first use, so that the 8 KiB are not part of the download.
  static std::array<std::array<uint32_t, 256>, 8> t;
  static const bool filled = [] {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i)
      for (size_t k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    return true;
  }();
  (void)filled;
  crc = ~crc;
  size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    const uint32_t a = Read32(bytes, i) ^ crc, b = Read32(bytes, i + 4);
    crc = t[7][a & 0xFF] ^ t[6][(a >> 8) & 0xFF] ^ t[5][(a >> 16) & 0xFF] ^ t[4][a >> 24] ^ t[3][b & 0xFF] ^
          t[2][(b >> 8) & 0xFF] ^ t[1][(b >> 16) & 0xFF] ^ t[0][b >> 24];
  }
  for (; i < bytes.size(); ++i) crc = t[0][(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::string CheckImage(std::span<const uint8_t> file, uint32_t stampRva) {
  const auto layout = ReadImageLayout(file);
  if (!layout) return "its headers are damaged";
  const auto at = layout->FileOffset(stampRva, sizeof(TIntegrityStamp));
  if (!at || *at + sizeof(TIntegrityStamp) > file.size()) return "it is cut short";
  const uint32_t crc = Read32(file, *at + offsetof(TIntegrityStamp, Crc));
  const uint32_t length = Read32(file, *at + offsetof(TIntegrityStamp, Length));
  if (length == 0) return "it was never stamped with its checksum";
  if (length < *at + sizeof(TIntegrityStamp)) return "it is cut short";
  if (*at < layout->SecurityAt + 8) return "its checksum record is damaged";
  if (layout->CertSize == 0) {
    if (file.size() < length) return "it is cut short";
    if (file.size() > length) return "it has bytes added at its end";
  } else {
    // A signature stands last, aligned to eight bytes with zeros in between.
    const uint64_t certEnd = uint64_t{layout->CertOffset} + layout->CertSize;
    if (layout->CertOffset < length || layout->CertOffset - length >= 8 || certEnd != file.size())
      return "its signature does not stand where a signature belongs";
    for (size_t i = length; i < layout->CertOffset; ++i)
      if (file[i] != 0) return "its signature does not stand where a signature belongs";
  }
  if (ImageCrc(file, length, SkippedFields(*layout, *at)) != crc) return "its checksum does not match";
  return "";
}
