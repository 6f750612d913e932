// The installer's check of its own file. A download cut short or damaged on the way must never
// install: the build stamps a checksum of the whole file into it, and the program compares the
// file against it before it writes anything. A signature appended later (Authenticode) is left
// out, and so are the two header fields that signing rewrites.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The record that the build fills in after linking. The program keeps it among its read-only
// data; the magic lets the build find it in the file.
struct TIntegrityStamp {
  uint8_t Magic[16];
  uint32_t Crc;     // of the file as stamped, with the excluded fields read as zeros
  uint32_t Length;  // of the file as stamped, before any signature
};
inline constexpr uint8_t KIntegrityMagic[16] = {0x4B, 0x56, 0x2D, 0x53, 0x45, 0x41, 0x4C, 0x9E,
                                                0x31, 0xC7, 0x05, 0xF2, 0x6A, 0xD8, 0x13, 0xB4};

// CRC-32 as zlib and PKZIP compute it, continued from `crc`.
uint32_t Crc32(std::span<const uint8_t> bytes, uint32_t crc = 0);

// The record as the program is linked with it, before the build fills it in.
constexpr TIntegrityStamp UnstampedRecord() {
  TIntegrityStamp s{};
  for (size_t i = 0; i < sizeof s.Magic; ++i) s.Magic[i] = KIntegrityMagic[i];
  return s;
}

// Fills in the stamp of a linked program, found by its magic. Empty on success, otherwise why
// it cannot. The magic comes in as a value: the program itself must hold it once only, in its stamp.
std::string StampImage(std::span<uint8_t> file, std::span<const uint8_t, 16> magic);

// A field left out of the checksum, at a file offset.
struct TSkip {
  size_t At, Size;
};

// What signing may change in a 64-bit Windows program, and where its sections lie.
struct TImageLayout {
  size_t CheckSumAt = 0, SecurityAt = 0;
  uint32_t CertOffset = 0, CertSize = 0;
  struct TSection {
    uint32_t Rva, RawSize, RawAt;
  };
  std::vector<TSection> Sections;

  // Where `size` bytes at `rva` lie in the file, when a section holds them.
  std::optional<size_t> FileOffset(uint32_t rva, size_t size) const {
    for (const TSection& s : Sections)
      if (rva >= s.Rva && rva - s.Rva + size <= s.RawSize) return s.RawAt + (rva - s.Rva);
    return std::nullopt;
  }
};

// The headers, read with every offset checked against the file; nothing when they are damaged.
std::optional<TImageLayout> ReadImageLayout(std::span<const uint8_t> file);
// What the checksum leaves out, in file order: the header checksum and the security entry in
// the headers, the stamp's own fields in a section after them.
std::array<TSkip, 3> SkippedFields(const TImageLayout& layout, size_t stampAt);
// The checksum of the first `length` bytes, the skipped fields (all within them) read as zeros.
uint32_t ImageCrc(std::span<const uint8_t> file, size_t length, const std::array<TSkip, 3>& skips);

// Empty when the file is the one that was stamped (signed since or not), otherwise why not.
// `stampRva` is where the running program finds its stamp in its own image.
std::string CheckImage(std::span<const uint8_t> file, uint32_t stampRva);
