#include "lib/LIB_Data1_ReadWrite.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "lib/LIB_Random.h"

std::string ScrambleTable;

void TDataFile::Flush() {
  const size_t n = Used;
  Used = 0;
  Sink->Write(Buffer, n);
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

uint8_t TableAt(size_t i) { return static_cast<uint8_t>(ScrambleTable[i]); }

void Emit(TDataFile& f, uint8_t b) {
  if (b <= KEscapeByte) {
    f.Put(KEscapeByte);
    f.Put(static_cast<uint8_t>(b + KEscapeOffset));
  } else {
    f.Put(b);
  }
}

}  // namespace

namespace {

// A finite value as decimal digits d1 d2 ... (no trailing zeros) times 10^Exponent, d1 before the point.
struct TDecimal {
  bool Negative = false;
  std::string Digits;
  int Exponent = 0;
};

// precision < 0: the shortest text that reads back as the same double.
// to_chars ignores the locale, so the separator is "." whatever the user's settings.
TDecimal Scientific(double value, int precision) {
  char buf[64];
  const auto res = precision < 0 ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific)
                                 : std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, precision);
  const std::string_view sci(buf, static_cast<size_t>(res.ptr - buf));  // [-]d[.ddd]e[+-]xx
  TDecimal d;
  d.Negative = sci[0] == '-';
  const size_t ePos = sci.find('e');
  for (size_t i = d.Negative ? 1 : 0; i < ePos; ++i)
    if (sci[i] != '.') d.Digits += sci[i];
  std::string_view e = sci.substr(ePos + 1);
  if (e[0] == '+') e.remove_prefix(1);
  std::from_chars(e.data(), e.data() + e.size(), d.Exponent);
  return d;
}

// The value rounded to 15 significant digits. Rounding the shortest form gives the same digits
// as rounding the exact binary value, except when the shortest form is itself a tie at the
// 16th digit; only then is the slower exact conversion needed. Dates (about 17 digits) make up
// most of a data file's numbers, so this matters for the time a file takes.
TDecimal Rounded15(double value) {
  TDecimal d = Scientific(value, -1);
  if (d.Digits.size() > 15) {
    if (d.Digits.size() == 16 && d.Digits[15] == '5') {
      d = Scientific(value, 14);
    } else {
      const bool up = d.Digits[15] >= '5';
      d.Digits.resize(15);
      if (up) {
        int i = 14;
        while (i >= 0 && d.Digits[static_cast<size_t>(i)] == '9') d.Digits[static_cast<size_t>(i--)] = '0';
        if (i < 0) {
          d.Digits.insert(d.Digits.begin(), '1');
          ++d.Exponent;
        } else {
          ++d.Digits[static_cast<size_t>(i)];
        }
      }
    }
  }
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  return d;
}

}  // namespace

std::string FloatToStr(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  const TDecimal d = Rounded15(value);
  if (d.Digits.empty()) return "0";
  const std::string& digits = d.Digits;
  const int exponent = d.Exponent;
  std::string text = d.Negative ? "-" : "";
  if (exponent < -5 || exponent >= 15) {
    text += digits[0];
    if (digits.size() > 1) text += "." + digits.substr(1);
    text += "E" + std::to_string(exponent);
  } else if (exponent < 0) {
    text += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
  } else {
    const size_t whole = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= whole) {
      text += digits + std::string(whole - digits.size(), '0');
    } else {
      text += digits.substr(0, whole) + "." + digits.substr(whole);
    }
  }
  return text;
}

void TLibData1_ReadWrite::WriteRawByte(TDataFile& f, uint8_t b) { Emit(f, b); }

void TLibData1_ReadWrite::WriteMarker(TDataFile& f, uint8_t v) {
  Emit(f, static_cast<uint8_t>(v + TableAt(16)));
}

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
  Emit(f, static_cast<uint8_t>(s.size() & 0xFF));
  Emit(f, static_cast<uint8_t>((s.size() >> 8) & 0xFF));
  for (char c : s) Emit(f, static_cast<uint8_t>(c));
}

void TLibData1_ReadWrite::WriteText(TDataFile& f, std::string_view s) {
  const int k = 1 + Random(254);
  Emit(f, static_cast<uint8_t>(k));
  Emit(f, static_cast<uint8_t>(s.size() & 0xFF));
  Emit(f, static_cast<uint8_t>((s.size() >> 8) & 0xFF));
  for (size_t j = 0; j < s.size(); ++j)
    Emit(f, static_cast<uint8_t>(static_cast<uint8_t>(s[j]) + TableAt((static_cast<size_t>(k) + j) % 256)));
  SwapTableEntries(k, (k + 2) % 256);
}

void TLibData1_ReadWrite::WriteInteger(TDataFile& f, int32_t value) { WriteText(f, std::to_string(value)); }

void TLibData1_ReadWrite::WriteCardinal(TDataFile& f, uint32_t value) { WriteText(f, std::to_string(value)); }

void TLibData1_ReadWrite::WriteFloat(TDataFile& f, double value) { WriteText(f, FloatToStr(value)); }

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
