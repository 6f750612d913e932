#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <random>
#include <set>

#include "lib/LIB_Data1_ReadWrite.h"
#include "lib/LIB_Random.h"
#include "tests/host/DataFileTestUtil.h"

namespace {

// A table whose entries are easy to predict: T[i] = i + offset.
void SetTable(int offset) {
  ScrambleTable.resize(256);
  for (int i = 0; i < 256; ++i) ScrambleTable[static_cast<size_t>(i)] = static_cast<char>(i + offset);
}

std::string Written(const std::function<void(TLibData1_ReadWrite&, TDataFile&)>& write) {
  std::string out;
  TDataFile f = MemoryFile(out);
  TLibData1_ReadWrite w;
  write(w, f);
  f.Close();
  return out;
}

// Makes the next Random(254) draw come out as k - 1 (the generator advances one step per draw).
void NextTextKeyIs(int k) {
  ResetRandom();
  int skip = 0;
  while (Random(254) != k - 1) ++skip;
  ResetRandom();
  for (int i = 0; i < skip; ++i) Random(1);
}

TEST(Data1ReadWrite, ControlBytesAreEscaped) {
  for (int b = 0; b < 256; ++b) {
    const std::string out = Written([&](auto& w, auto& f) { w.WriteRawByte(f, static_cast<uint8_t>(b)); });
    if (b <= 0x1F) {
      ASSERT_EQ(out.size(), 2u) << b;
      EXPECT_EQ(At(out, 0), 0x1F);
      EXPECT_EQ(At(out, 1), b + 0x54);
    } else {
      EXPECT_EQ(out, std::string(1, static_cast<char>(b))) << b;
    }
  }
  EXPECT_EQ(Written([](auto& w, auto& f) { w.WriteRawByte(f, 0x1F); }), "\x1F\x73");
}

TEST(Data1ReadWrite, MarkersAndNodeAddress) {
  SetTable(0);
  ScrambleTable[16] = static_cast<char>(250);
  EXPECT_EQ(Written([](auto& w, auto& f) { w.WriteMarker(f, 0); }), "\xFA");          // T[16] itself
  EXPECT_EQ(Written([](auto& w, auto& f) { w.WriteMarker(f, 10); }), "\x1F\x58");     // wraps to 4, escaped
  EXPECT_EQ(Written([](auto& w, auto& f) { w.WriteMarker(f, 37); }), "\x1F\x73");     // wraps to 0x1F
  EXPECT_EQ(Written([](auto& w, auto& f) { w.WriteWord(f, 0x18CA); }), Written([](auto& w, auto& f) {
              w.WriteMarker(f, 0x18);
              w.WriteMarker(f, 0xCA);
            }));

  ScrambleTable[16] = 0x40;
  TNodeAddr a;
  StrToNodeAddr("192.0.2.10", 6346, a);
  const std::string out = Written([&](auto& w, auto& f) { w.WriteNodeAddr(f, a); });
  const uint8_t expected[] = {10 + 0x40, 0 + 0x40, 0x18 + 0x40, (0xCA + 0x40) & 0xFF, (192 + 0x40) & 0xFF, 2 + 0x40};
  const std::string unescaped = Unescape(out);
  ASSERT_EQ(unescaped.size(), 6u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(At(unescaped, static_cast<size_t>(i)), expected[i]) << i;
  EXPECT_EQ(out.size(), 8u);  // 0xCA and 192 wrap to 0x0A and 0x00 and need escapes
}

TEST(Data1ReadWrite, ScrambledTextAndTableExchange) {
  struct Case {
    int k;
    int a, b;  // exchanged entries, 0-based; -1: none
  } cases[] = {{1, 0, 2}, {15, 14, 16}, {17, 16, 18}, {100, 99, 101}, {253, 252, 254}, {254, -1, -1}};
  for (const auto& c : cases) {
    SetTable(3);
    const std::string before = ScrambleTable;
    NextTextKeyIs(c.k);
    const std::string text = "Hello, \x01\xFF world";
    const std::string raw = Unescape(Written([&](auto& w, auto& f) { w.WriteText(f, text); }));
    ASSERT_EQ(raw.size(), 3 + text.size()) << c.k;
    EXPECT_EQ(At(raw, 0), c.k);
    EXPECT_EQ(At(raw, 1), text.size());
    EXPECT_EQ(At(raw, 2), 0);
    for (size_t j = 0; j < text.size(); ++j)
      EXPECT_EQ(At(raw, 3 + j), static_cast<uint8_t>(static_cast<uint8_t>(text[j]) + At(before, (c.k + j) % 256)));
    std::string expected = before;
    if (c.a >= 0) std::swap(expected[static_cast<size_t>(c.a)], expected[static_cast<size_t>(c.b)]);
    EXPECT_EQ(ScrambleTable, expected) << c.k;
  }
}

TEST(Data1ReadWrite, EmptyAndLongTexts) {
  SetTable(1);
  const std::string before = ScrambleTable;
  const std::string empty = Unescape(Written([](auto& w, auto& f) { w.WriteText(f, ""); }));
  ASSERT_EQ(empty.size(), 3u);
  EXPECT_EQ(empty.substr(1), std::string("\0\0", 2));
  const int k = At(empty, 0);
  if (k != 254) {
    EXPECT_NE(ScrambleTable, before);  // the exchange happens for empty texts too
  }
  EXPECT_EQ(Written([](auto& w, auto& f) { w.WritePlainText(f, ""); }), "\x1F\x54\x1F\x54");

  // Only the low 16 bits of a length are kept; a text longer than the file's block goes out in
  // pieces, escapes included.
  const std::pair<size_t, std::string> lengths[] = {
      {256, std::string("\0\1", 2)}, {300, std::string("\x2C\1", 2)}, {70000, std::string("\x70\x11", 2)}};
  for (const auto& [n, bytes] : lengths) {
    std::string text(n, '\0');
    for (size_t i = 0; i < n; ++i) text[i] = static_cast<char>(i * 7 % 256);
    EXPECT_EQ(Unescape(Written([&](auto& w, auto& f) { w.WritePlainText(f, text); })), bytes + text);
    const std::string table = ScrambleTable;
    const std::string raw = Unescape(Written([&](auto& w, auto& f) { w.WriteText(f, text); }));
    EXPECT_EQ(raw.substr(1, 2), bytes);
    const size_t key = At(raw, 0);
    std::string plain;
    for (size_t j = 3; j < raw.size(); ++j) plain += static_cast<char>(At(raw, j) - At(table, (key + j - 3) % 256));
    EXPECT_EQ(plain, text) << n;
  }
}

TEST(Data1ReadWrite, NumberTexts) {
  SetTable(0);  // T = identity: a scrambled byte is c + (k + j) mod 256
  auto plain = [](const std::string& out) {
    const std::string raw = Unescape(out);
    const int k = At(raw, 0);
    std::string s;
    for (size_t j = 3; j < raw.size(); ++j) s += static_cast<char>(At(raw, j) - ((k + j - 3) % 256));
    return s;
  };
  struct Case {
    std::function<void(TLibData1_ReadWrite&, TDataFile&)> write;
    const char* text;
  } cases[] = {
      {[](auto& w, auto& f) { w.WriteInteger(f, 0); }, "0"},
      {[](auto& w, auto& f) { w.WriteInteger(f, -17); }, "-17"},
      {[](auto& w, auto& f) { w.WriteInteger(f, INT32_MIN); }, "-2147483648"},
      {[](auto& w, auto& f) { w.WriteCardinal(f, 0); }, "0"},
      {[](auto& w, auto& f) { w.WriteCardinal(f, 4294967295u); }, "4294967295"},
      {[](auto& w, auto& f) { w.WriteFloat(f, 0); }, "0"},
      {[](auto& w, auto& f) { w.WriteFloat(f, 46365.25); }, "46365.25"},
      {[](auto& w, auto& f) { w.WriteTruncated(f, 46265.999); }, "46265"},
      {[](auto& w, auto& f) { w.WriteTruncated(f, -1.5); }, "-1"},
      {[](auto& w, auto& f) { w.WriteGuid(f, TGuid{0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 0xA5, 0x6B, 7, 0xF8}}); },
       "{12345678-9ABC-DEF0-0102-0304A56B07F8}"},
  };
  for (const auto& c : cases) {
    // Keep the identity table: every text exchanges two entries.
    SetTable(0);
    EXPECT_EQ(plain(Written(c.write)), c.text);
  }
}

TEST(Data1ReadWrite, FloatText) {
  const std::pair<double, const char*> cases[] = {
      {0, "0"},
      {1, "1"},
      {-1.5, "-1.5"},
      {100, "100"},
      {0.5, "0.5"},
      {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},
      {46365.2692366551, "46365.2692366551"},
      {46365.269236655123, "46365.2692366551"},  // 15 significant digits
      {0.00001, "0.00001"},
      {0.0000099, "9.9E-6"},
      {2.5e-7, "2.5E-7"},
      {999999999999999, "999999999999999"},
      {1e15, "1E15"},
      {123456789012345678.0, "1.23456789012346E17"},
      {-1e20, "-1E20"},
      {0.1 + 0.2, "0.3"},
      {123456789012345.5, "123456789012346"},  // exact ties go to the even digit
      {123456789012344.5, "123456789012344"},
      {999999999999999.5, "1E15"},
      // Subnormals hold fewer than 15 digits: their shortest forms are not their roundings.
      {5e-324, "4.94065645841247E-324"},
      {-1e-322, "-9.88131291682493E-323"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(FloatToStr(value), text) << value;

  // 15 significant digits, correctly rounded: compare with the C library's exact conversion
  // over dates, arbitrary doubles and values whose shortest form ties at the 16th digit.
  std::mt19937_64 rng(11);
  std::vector<double> values;
  for (int i = 0; i < 20000; ++i) {
    values.push_back(40000 + static_cast<double>(rng() % 20000000000ull) / 1e6);
    uint64_t bits = rng();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    if (std::isfinite(v)) values.push_back(v);
    const std::string tie = "0." + std::to_string(100000000000000ull + rng() % 900000000000000ull) + "5";
    values.push_back(std::strtod(tie.c_str(), nullptr) * std::pow(10.0, static_cast<int>(rng() % 30) - 15));
  }
  for (double v : values) {
    char exact[64];
    std::snprintf(exact, sizeof exact, "%.14e", v);
    ASSERT_EQ(std::strtod(FloatToStr(v).c_str(), nullptr), std::strtod(exact, nullptr)) << exact << " " << FloatToStr(v);
  }

  // The user's locale has no say in the separator.
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") || std::setlocale(LC_ALL, "fr_FR.UTF-8")) {
    EXPECT_EQ(FloatToStr(0.5), "0.5");
    std::setlocale(LC_ALL, "C");
  }
}

TEST(Data1ReadWrite, Booleans) {
  std::set<uint8_t> seen;
  for (int i = 0; i < 300; ++i) {
    const std::string t = Written([](auto& w, auto& f) { w.WriteBoolean(f, true); });
    const std::string n = Written([](auto& w, auto& f) { w.WriteBoolean(f, false); });
    ASSERT_EQ(t.size(), 1u);
    ASSERT_EQ(n.size(), 1u);
    EXPECT_GE(At(t, 0), 140);
    EXPECT_LE(At(t, 0), 169);
    EXPECT_GE(At(n, 0), 100);
    EXPECT_LE(At(n, 0), 129);
    seen.insert(At(t, 0));
    seen.insert(At(n, 0));
  }
  EXPECT_EQ(seen.size(), 60u);  // every value of both ranges turns up: files differ in them
}

TEST(Data1ReadWrite, ScrambleKeyAndTable) {
  ResetRandom();
  for (int i = 0; i < 20; ++i) {
    const std::string key = NewScrambleKey();
    EXPECT_GE(key.size(), 879u);
    EXPECT_LE(key.size(), 977u);
    for (char c : key) {
      ASSERT_GE(static_cast<uint8_t>(c), 14);
      ASSERT_LE(static_cast<uint8_t>(c), 253);
    }
    EXPECT_EQ(ScrambleTable, DeriveScrambleTable(key));
  }

  // Positions: from the end every fifth byte down to 250, then the even positions.
  auto keyOf = [](size_t n) {
    std::string k(n, '\0');
    for (size_t i = 1; i <= n; ++i) k[i - 1] = static_cast<char>(14 + i % 240);
    return k;
  };
  auto p = [&](const std::string& k, size_t i) { return k[i - 1]; };  // 1-based
  const std::string k879 = keyOf(879), t879 = DeriveScrambleTable(k879);
  ASSERT_EQ(t879.size(), 256u);
  EXPECT_EQ(t879[0], p(k879, 875));
  EXPECT_EQ(t879[125], p(k879, 250));  // 126 bytes from the end part
  EXPECT_EQ(t879[126], p(k879, 2));
  EXPECT_EQ(t879[255], p(k879, 260));
  const std::string k977 = keyOf(977), t977 = DeriveScrambleTable(k977);
  EXPECT_EQ(t977[0], p(k977, 975));
  EXPECT_EQ(t977[145], p(k977, 250));  // 146 bytes
  EXPECT_EQ(t977[146], p(k977, 2));
  EXPECT_EQ(t977[255], p(k977, 220));
  // A short key is padded with blanks, and the last step fills the table from P[m].
  const std::string k10 = keyOf(10), t10 = DeriveScrambleTable(k10);
  ASSERT_EQ(t10.size(), 256u);
  EXPECT_EQ(t10.substr(0, 11), std::string(11, ' '));
  EXPECT_EQ(t10[11], p(k10, 2));
  EXPECT_EQ(t10[15], p(k10, 10));
  EXPECT_EQ(t10[16], ' ');
  EXPECT_EQ(t10.size(), DeriveScrambleTable("").size());
}

TEST(Data1ReadWrite, WriteFailureRaisesTheSystemCode) {
  std::string out;
  TDataFile f = MemoryFile(out, 10);
  TLibData1_ReadWrite w;
  for (int i = 0; i < 10; ++i) w.WriteRawByte(f, 'a');
  w.WriteRawByte(f, 'b');  // still buffered
  try {
    f.Close();
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, 112);
    EXPECT_STREQ(e.what(), "I/O error 112");
  }
  EXPECT_EQ(out, std::string(10, 'a'));
}

}  // namespace
