#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "lib/LIB_Integrity.h"

namespace {

void Put32(std::vector<uint8_t>& f, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) f[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void Put16(std::vector<uint8_t>& f, size_t at, uint16_t v) {
  f[at] = static_cast<uint8_t>(v);
  f[at + 1] = static_cast<uint8_t>(v >> 8);
}

// The smallest program image the check reads: headers, one section of 0x400 bytes at RVA
// 0x1000 with the stamp record at RVA 0x1100, and some content around it.
constexpr size_t kPe = 0x40, kOpt = kPe + 24, kSection = 0x200;
constexpr uint32_t kStampRva = 0x1100;
constexpr size_t kStampAt = kSection + 0x100;
constexpr size_t kCheckSumAt = kOpt + 64, kSecurityAt = kOpt + 144;

std::vector<uint8_t> Image() {
  std::vector<uint8_t> f(kSection + 0x400);
  f[0] = 'M';
  f[1] = 'Z';
  Put32(f, 0x3C, kPe);
  std::memcpy(&f[kPe], "PE\0\0", 4);
  Put16(f, kPe + 6, 1);     // sections
  Put16(f, kPe + 20, 240);  // optional header
  Put16(f, kOpt, 0x20B);
  Put32(f, kOpt + 108, 16);  // data directories
  const size_t h = kOpt + 240;
  Put32(f, h + 12, 0x1000);
  Put32(f, h + 16, 0x400);
  Put32(f, h + 20, kSection);
  for (size_t i = kSection; i < f.size(); ++i) f[i] = static_cast<uint8_t>(i * 7);
  std::memcpy(&f[kStampAt], KIntegrityMagic, sizeof KIntegrityMagic);
  std::memset(&f[kStampAt + 16], 0, 8);
  return f;
}

std::vector<uint8_t> Stamped() {
  std::vector<uint8_t> f = Image();
  EXPECT_EQ(StampImage(f, KIntegrityMagic), "");
  return f;
}

// What a signing tool does: pads to eight bytes, appends the signature, points the security
// entry at it and rewrites the header checksum.
void Sign(std::vector<uint8_t>& f, size_t pad) {
  f.resize(f.size() + pad, 0);
  const size_t at = f.size();
  f.insert(f.end(), 64, 0xAB);
  Put32(f, kSecurityAt, static_cast<uint32_t>(at));
  Put32(f, kSecurityAt + 4, 64);
  Put32(f, kCheckSumAt, 0x12345);
}

}  // namespace

TEST(Integrity, Crc32IsTheStandardOne) {
  const std::string check = "123456789";
  EXPECT_EQ(Crc32({reinterpret_cast<const uint8_t*>(check.data()), check.size()}), 0xCBF43926u);
  // Continued over two pieces as over one, whatever the split against the eight-byte steps.
  std::vector<uint8_t> bytes(1000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 31 + 7);
  uint32_t bitwise = ~0u;
  for (uint8_t b : bytes) {
    bitwise ^= b;
    for (int k = 0; k < 8; ++k) bitwise = bitwise & 1 ? 0xEDB88320u ^ (bitwise >> 1) : bitwise >> 1;
  }
  const std::span<const uint8_t> all(bytes);
  for (size_t split : {0, 1, 7, 8, 9, 500, 999, 1000})
    EXPECT_EQ(Crc32(all.subspan(split), Crc32(all.first(split))), ~bitwise) << split;
}

TEST(Integrity, AStampedFileIsWholeSignedOrNot) {
  std::vector<uint8_t> f = Stamped();
  EXPECT_EQ(CheckImage(f, kStampRva), "");
  for (size_t pad : {0, 3}) {
    std::vector<uint8_t> signedFile = f;
    Sign(signedFile, pad);
    EXPECT_EQ(CheckImage(signedFile, kStampRva), "") << "padding " << pad;
  }
}

TEST(Integrity, AnyChangedByteIsDamage) {
  const std::vector<uint8_t> whole = Stamped();
  std::vector<uint8_t> signedFile = whole;
  Sign(signedFile, 0);
  // The headers, the section before, inside and after the stamp, the stamp's own fields, the last byte.
  for (size_t at : {size_t{2}, kPe + 6, kSection, kStampAt - 1, kStampAt, kStampAt + 16, kStampAt + 20,
                    kStampAt + 24, whole.size() - 1}) {
    for (const std::vector<uint8_t>* f : {&whole, static_cast<const std::vector<uint8_t>*>(&signedFile)}) {
      std::vector<uint8_t> damaged = *f;
      damaged[at] ^= 0x01;
      EXPECT_NE(CheckImage(damaged, kStampRva), "") << "byte " << at << (f == &whole ? "" : ", signed");
    }
  }
}

TEST(Integrity, CutShortOrLengthenedIsDamage) {
  const std::vector<uint8_t> whole = Stamped();
  struct Case {
    const char* what;
    size_t size;
  };
  for (const Case& c : {Case{"last byte cut", whole.size() - 1}, Case{"after the stamp cut", kStampAt + 30},
                        Case{"cut inside the stamp", kStampAt + 10}, Case{"only the headers", kSection},
                        Case{"a byte added", whole.size() + 1}}) {
    std::vector<uint8_t> f = whole;
    f.resize(c.size, 0);
    EXPECT_NE(CheckImage(f, kStampRva), "") << c.what;
  }
}

TEST(Integrity, ASignatureMustStandLastAndAlone) {
  const std::vector<uint8_t> whole = Stamped();
  std::vector<uint8_t> f = whole;
  Sign(f, 0);
  f.push_back(0);  // data after the signature
  EXPECT_NE(CheckImage(f, kStampRva), "");

  f = whole;
  Sign(f, 3);
  f[whole.size() + 1] = 1;  // the padding before it is not zeros
  EXPECT_NE(CheckImage(f, kStampRva), "");

  f = whole;
  Sign(f, 0);
  Put32(f, kSecurityAt, kSection);  // it claims to start inside the program
  Put32(f, kSecurityAt + 4, static_cast<uint32_t>(f.size() - kSection));
  EXPECT_NE(CheckImage(f, kStampRva), "");
}

TEST(Integrity, StampingRefusesWhatItCannotStamp) {
  std::vector<uint8_t> f = Image();
  EXPECT_EQ(CheckImage(f, kStampRva), "it was never stamped with its checksum");

  std::vector<uint8_t> none = Image();
  none[kStampAt] ^= 0xFF;
  EXPECT_EQ(StampImage(none, KIntegrityMagic), "the program has no stamp to fill in");

  std::vector<uint8_t> two = Image();
  std::memcpy(&two[kSection + 0x10], KIntegrityMagic, sizeof KIntegrityMagic);
  EXPECT_EQ(StampImage(two, KIntegrityMagic), "the program has more than one stamp");

  std::vector<uint8_t> signedFile = Image();
  Sign(signedFile, 0);
  EXPECT_EQ(StampImage(signedFile, KIntegrityMagic), "the program is signed already: stamp it before signing");

  std::vector<uint8_t> text(300, 'x');
  EXPECT_EQ(StampImage(text, KIntegrityMagic), "not a 64-bit Windows program");
  EXPECT_EQ(CheckImage(text, kStampRva), "its headers are damaged");
}
