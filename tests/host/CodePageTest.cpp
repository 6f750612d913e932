// The host's stand-in for the system's code page: Windows-1252, as on a Western system.
#include <gtest/gtest.h>

#include "lib/LIB_DataPlatform.h"

namespace {

TEST(ToSystemCodePage, Windows1252OrNothing) {
  const struct {
    const char* utf8;
    const char* bytes;  // nullptr: the text does not fit
  } cases[] = {
      {"", ""},
      {"C:\\Program Files\\Korvane P2P\\", "C:\\Program Files\\Korvane P2P\\"},
      {"C:\\Caf\xC3\xA9\\", "C:\\Caf\xE9\\"},                  // é: Latin-1 range
      {"\xC3\xBF\xC2\xA0", "\xFF\xA0"},                         // ÿ and no-break space: the range's ends
      {"\xE2\x82\xAC \xC5\xA0 \xC5\xB8", "\x80 \x8A \x9F"},    // € Š Ÿ: 1252's own 80..9F
      {"\xC2\x81", "\x81"},                                     // a byte 1252 leaves empty passes as itself
      {"C:\\\xD0\x9F\xD0\xBE\xD0\xBB\\", nullptr},              // Cyrillic
      {"C:\\\xE8\xA1\xA8\\", nullptr},                          // 表
      {"\xF0\x9F\x98\x80", nullptr},                            // outside the BMP
      {"\xC2\x80", nullptr},                                    // U+0080: 1252 puts € at 80
      {"\xC3", nullptr},                                        // cut short
      {"\xC3\x28", nullptr},                                    // not a continuation byte
      {"\xC0\xAF", nullptr},                                    // overlong "/"
      {"\xED\xA0\x80", nullptr},                                // a surrogate
      {"\xFF", nullptr},
  };
  for (const auto& c : cases) {
    const auto bytes = ToSystemCodePage(c.utf8);
    if (c.bytes) {
      ASSERT_TRUE(bytes.has_value()) << c.utf8;
      EXPECT_EQ(*bytes, c.bytes) << c.utf8;
    } else {
      EXPECT_FALSE(bytes.has_value()) << c.utf8;
    }
  }
}

}  // namespace
