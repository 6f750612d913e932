#include <gtest/gtest.h>

#include "lib/LIB_DataTypes.h"
#include "payload/GB_KORVANE_DAT.h"

namespace {

TEST(DataTypes, SafeStrToInt) {
  const std::pair<const char*, int32_t> cases[] = {
      {"0", 0},    {"42", 42},   {"-17", -17}, {"+5", 5},     {"007", 7},       {"2147483647", 2147483647},
      {"", 0},     {"abc", 0},   {"12a", 0},   {" 12", 0},    {"2147483648", 0}, {"-2147483648", INT32_MIN},
      {"+-1", 0},  {"-", 0},     {"1.5", 0},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(SafeStrToInt(text), value) << '"' << text << '"';
}

TEST(DataTypes, StrToNodeAddr) {
  struct Case {
    std::string text;
    uint16_t port;
    int o1, o2, o3, o4;
  } cases[] = {
      {"1.2.3.4", 6346, 1, 2, 3, 4},
      {"192.0.2.10", 6348, 192, 0, 2, 10},
      {"77", 80, 0, 0, 0, 77},           // no "." at all
      {"300.1.1.1", 1, 44, 1, 1, 1},     // low 8 bits kept
      {"1.x.3.4", 2, 1, 0, 3, 4},        // a part that is not a number
      {"1.2", 3, 1, 0, 0, 2},            // the text runs out of dots
      {"-1.2.3.4", 4, 255, 2, 3, 4},
      {"1.2.3." + std::string(300, '9'), 5, 1, 2, 3, 0},
  };
  for (const auto& c : cases) {
    TNodeAddr a;
    a.Octet1 = a.Octet2 = a.Octet3 = a.Octet4 = 99;
    StrToNodeAddr(c.text, c.port, a);
    EXPECT_EQ(a.Port, c.port) << c.text;
    EXPECT_EQ((std::array<int, 4>{a.Octet1, a.Octet2, a.Octet3, a.Octet4}), (std::array<int, 4>{c.o1, c.o2, c.o3, c.o4}))
        << c.text;
  }
}

TEST(DataTypes, TextForms) {
  EXPECT_EQ(NodeAddrText({192, 0, 2, 10, 6346}), "192.000.002.010:6346");
  EXPECT_EQ(NodeAddrText({1, 2, 3, 4, 80}), "001.002.003.004:80");
  EXPECT_EQ(DottedText({192, 0, 2, 10, 6346}), "192.0.2.10");
  EXPECT_EQ(BlockedRangeText({10, 0, 0, 0, 255, 255, 255}), "000000000255255255010");
  EXPECT_EQ(BlockedRangeText({5, 1, 2, 0, 3, 4, 255}), "001002000003004255005");
}

TEST(DataTypes, ConnectionSpeedValue) {
  const std::pair<int, int32_t> cases[] = {{0, 6}, {1, 10}, {2, 45}, {3, 80}, {4, 90}, {5, 90},
                                           {6, 90}, {7, 90}, {8, 77}, {9, 77}, {-1, 77}, {1000, 77}};
  for (const auto& [type, value] : cases) EXPECT_EQ(ConnectionSpeedValue(type), value) << type;
}

}  // namespace
