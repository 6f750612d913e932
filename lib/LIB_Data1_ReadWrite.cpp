#include "lib/LIB_Data1_ReadWrite.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>

#include "lib/LIB_Random.h"

std::string ScrambleTable;

void TDataFile::Flush() {
  const size_t n = Used;
  Used = 0;
  Sink->Write(Block, n);
}

void TDataFile::Close() {
  Flush();
  Sink->Close();
}

std::string NewScrambleKey() {
  const int n = 879 + Random(99);
  std::string key(static_cast<size_t>(n), '\0');
  for (char& c : key) c = static_cast<char>(14 + Random(240));
  ScrambleTable = DeriveScrambleTable(key);
  return key;
}

std::string DeriveScrambleTable(std::string_view key) {
  std::string p(key);
  if (p.size() < 300) p.resize(300, ' ');
  const size_t len = p.size();
  std::string t;
  // Positions are 1-based: P[i] is p[i - 1].
  for (size_t i = len; i >= 250; --i)
    if (i % 5 == 0 && t.size() < 150) t += p[i - 1];
  for (size_t i = 1; i <= len; ++i)
    if (i % 2 == 0 && t.size() < 256) t += p[i - 1];
  while (t.size() < 256) t += p[t.size() - 1];
  return t;
}

void SwapEntries(std::string& table, int a, int b) {
  if (a == 0 || b == 0) return;
  std::swap(table[static_cast<size_t>(a - 1)], table[static_cast<size_t>(b - 1)]);
}

namespace {

const uint8_t* Table() { return reinterpret_cast<const uint8_t*>(ScrambleTable.data()); }

// Puts b at p, escaped; returns the position after it. Needs room for two bytes.
uint8_t* Escaped(uint8_t* p, uint8_t b) {
  if (b <= KEscapeByte) {
    *p++ = KEscapeByte;
    b = static_cast<uint8_t>(b + KEscapeOffset);
  }
  *p++ = b;
  return p;
}

void Emit(TDataFile& f, uint8_t b) { f.Commit(Escaped(f.Reserve(2), b)); }

// A text's length goes out as its low two bytes, low byte first.
uint8_t* EscapedLength(uint8_t* p, size_t n) {
  p = Escaped(p, static_cast<uint8_t>(n & 0xFF));
  return Escaped(p, static_cast<uint8_t>((n >> 8) & 0xFF));
}

// Plain texts go out like scrambled ones, with every offset 0.
constexpr uint8_t KNoOffsets[256] = {};

// The bytes of a text, byte j plus offsets[(first + j) mod 256], escaped; in pieces, since a
// text may be longer than a block.
void PutText(TDataFile& f, std::string_view s, const uint8_t* offsets, size_t first) {
  const auto* c = reinterpret_cast<const uint8_t*>(s.data());
  for (size_t j = 0; j < s.size();) {
    const size_t end = std::min(s.size(), j + TDataFile::KBlockSize / 2);
    uint8_t* p = f.Reserve(2 * (end - j));
    for (; j < end; ++j) p = Escaped(p, static_cast<uint8_t>(c[j] + offsets[(first + j) % 256]));
    f.Commit(p);
  }
}

// A finite value as decimal digits d1 d2 ... (no trailing zeros once rounded) times 10^Exponent,
// d1 before the point. Kept off the heap: a file holds thousands of numbers.
struct TDecimal {
  bool Negative = false;
  char Digits[16];
  int Count = 0;
  int Exponent = 0;
};

// A nonzero finite value rounded to 15 significant digits, ties to even, from its exact
// decimal expansion, as the runtime's own conversion rounds. The expansion is worked out only
// as far as the rounding needs: for a date, five digits before the point and eleven after.
TDecimal Rounded15(double value) {
  // value = ±m × 2^e exactly, m below 2^53.
  const auto bits = std::bit_cast<uint64_t>(value);
  const int biased = static_cast<int>(bits >> 52 & 0x7FF);
  uint64_t m = bits & ((uint64_t{1} << 52) - 1);
  int e = -1074;
  if (biased != 0) {
    m |= uint64_t{1} << 52;
    e = biased - 1075;
  }
  // The same bits in 32-bit words, least significant first: the fraction fills words
  // [0, fraction), so that the point falls between two words, and the integer part follows.
  // The integer part has at most 1024 bits, the fraction at most 1074.
  uint32_t w[40] = {};
  const int fraction = e < 0 ? (31 - e) / 32 : 0;
  const int shift = 32 * fraction + e;
  const auto placed = static_cast<unsigned __int128>(m) << (shift % 32);
  for (int i = 0; i < 3; ++i) w[shift / 32 + i] = static_cast<uint32_t>(placed >> (32 * i));

  // The integer part's digits, least significant first, dividing it by ten until it is gone.
  char integer[320];
  int n = 0;
  for (int top = 39; top >= fraction;) {
    if (w[top] == 0) {
      --top;
      continue;
    }
    uint64_t rest = 0;
    for (int i = top; i >= fraction; --i) {
      const uint64_t cur = rest << 32 | w[i];
      w[i] = static_cast<uint32_t>(cur / 10);
      rest = cur % 10;
    }
    integer[n++] = static_cast<char>('0' + rest);
  }

  TDecimal d;
  d.Negative = value < 0;
  d.Exponent = n - 1;
  bool below = false;  // a nonzero digit after the 16th
  while (n > 0) {
    const char c = integer[--n];
    if (d.Count < 16) d.Digits[d.Count++] = c;
    else below |= c != '0';
  }
  // The fraction's digits: times ten, what overflows the point is the next digit. Zero words at
  // the low end stay zero.
  int low = 0;
  while (low < fraction && w[low] == 0) ++low;
  while (d.Count < 16 && low < fraction) {
    uint64_t carry = 0;
    for (int i = low; i < fraction; ++i) {
      const uint64_t cur = uint64_t{w[i]} * 10 + carry;
      w[i] = static_cast<uint32_t>(cur);
      carry = cur >> 32;
    }
    if (d.Count == 0 && carry == 0) --d.Exponent;
    else d.Digits[d.Count++] = static_cast<char>('0' + carry);
    while (low < fraction && w[low] == 0) ++low;
  }
  below |= low < fraction;

  if (d.Count == 16) {
    d.Count = 15;
    const char next = d.Digits[15];
    if (next > '5' || (next == '5' && (below || (d.Digits[14] - '0') % 2 == 1))) {
      int i = 14;
      while (i >= 0 && d.Digits[i] == '9') d.Digits[i--] = '0';
      if (i < 0) {
        d.Digits[0] = '1';  // 99...9 rounds up to 10...0, one place higher
        ++d.Exponent;
      } else {
        ++d.Digits[i];
      }
    }
  }
  while (d.Count > 0 && d.Digits[d.Count - 1] == '0') --d.Count;
  return d;
}

// The text FloatToStr gives, built in out; returns its length.
size_t FormatFloat(double value, char (&out)[32]) {
  std::string_view fixed;
  if (std::isnan(value)) fixed = "NAN";
  else if (std::isinf(value)) fixed = value > 0 ? "INF" : "-INF";
  else if (value == 0) fixed = "0";
  if (!fixed.empty()) return fixed.copy(out, fixed.size());

  const TDecimal d = Rounded15(value);
  const char* digits = d.Digits;
  const int count = d.Count, exponent = d.Exponent;
  char* p = out;
  if (d.Negative) *p++ = '-';
  if (exponent < -5 || exponent >= 15) {
    *p++ = digits[0];
    if (count > 1) {
      *p++ = '.';
      p = std::copy(digits + 1, digits + count, p);
    }
    *p++ = 'E';
    p = std::to_chars(p, out + sizeof out, exponent).ptr;
  } else if (exponent < 0) {
    *p++ = '0';
    *p++ = '.';
    p = std::fill_n(p, -exponent - 1, '0');
    p = std::copy(digits, digits + count, p);
  } else if (count <= exponent + 1) {
    p = std::copy(digits, digits + count, p);
    p = std::fill_n(p, exponent + 1 - count, '0');
  } else {
    p = std::copy(digits, digits + exponent + 1, p);
    *p++ = '.';
    p = std::copy(digits + exponent + 1, digits + count, p);
  }
  return static_cast<size_t>(p - out);
}

// The decimal text of an integer, scrambled like any text.
template <typename T>
void WriteNumber(TLibData1_ReadWrite& w, TDataFile& f, T value) {
  char buf[12];
  w.WriteText(f, std::string_view(buf, static_cast<size_t>(std::to_chars(buf, buf + sizeof buf, value).ptr - buf)));
}

}  // namespace

std::string FloatToStr(double value) {
  char buf[32];
  return std::string(buf, FormatFloat(value, buf));
}

void TLibData1_ReadWrite::WriteRawByte(TDataFile& f, uint8_t b) { Emit(f, b); }

void TLibData1_ReadWrite::WriteMarker(TDataFile& f, uint8_t v) { Emit(f, static_cast<uint8_t>(v + Table()[16])); }

void TLibData1_ReadWrite::WriteWord(TDataFile& f, uint16_t w) {
  WriteMarker(f, static_cast<uint8_t>(w >> 8));
  WriteMarker(f, static_cast<uint8_t>(w & 0xFF));
}

void TLibData1_ReadWrite::WriteNodeAddr(TDataFile& f, const TNodeAddr& addr) {
  WriteMarker(f, addr.Octet4);
  WriteMarker(f, addr.Octet2);
  WriteWord(f, addr.Port);
  WriteMarker(f, addr.Octet1);
  WriteMarker(f, addr.Octet3);
}

void TLibData1_ReadWrite::WriteBoolean(TDataFile& f, bool value) {
  Emit(f, static_cast<uint8_t>((value ? 140 : 100) + Random(30)));
}

void TLibData1_ReadWrite::WritePlainText(TDataFile& f, std::string_view s) {
  f.Commit(EscapedLength(f.Reserve(4), s.size()));
  PutText(f, s, KNoOffsets, 0);
}

void TLibData1_ReadWrite::WriteText(TDataFile& f, std::string_view s) {
  const int k = 1 + Random(254);
  f.Commit(EscapedLength(Escaped(f.Reserve(6), static_cast<uint8_t>(k)), s.size()));
  PutText(f, s, Table(), static_cast<size_t>(k));
  SwapTableEntries(k, (k + 2) % 256);
}

void TLibData1_ReadWrite::WriteInteger(TDataFile& f, int32_t value) { WriteNumber(*this, f, value); }

void TLibData1_ReadWrite::WriteCardinal(TDataFile& f, uint32_t value) { WriteNumber(*this, f, value); }

void TLibData1_ReadWrite::WriteFloat(TDataFile& f, double value) {
  char buf[32];
  WriteText(f, std::string_view(buf, FormatFloat(value, buf)));
}

void TLibData1_ReadWrite::WriteTruncated(TDataFile& f, double value) {
  // The runtime truncates to 64 bits and keeps the low 32; values beyond 64 bits do not
  // occur (only dates are written this way) and are written as 0 rather than left undefined.
  const double whole = std::trunc(value);
  int64_t wide = 0;
  if (whole > -9.2e18 && whole < 9.2e18) wide = static_cast<int64_t>(whole);
  WriteInteger(f, static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(wide))));
}

void TLibData1_ReadWrite::WriteGuid(TDataFile& f, const TGuid& guid) { WriteText(f, GuidToString(guid)); }

void TLibData1_ReadWrite::SwapTableEntries(int a, int b) { SwapEntries(ScrambleTable, a, b); }
