#include "lib/LIB_DataTypes.h"

#include <charconv>

int32_t SafeStrToInt(std::string_view s) {
  // from_chars takes no "+"; the runtime's conversion does.
  if (s.size() > 1 && s[0] == '+' && s[1] != '-') s.remove_prefix(1);
  int32_t value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size()) return 0;
  return value;
}

void StrToNodeAddr(std::string_view s, uint16_t port, TNodeAddr& addr) {
  addr.Port = port;
  uint8_t* const leading[3] = {&addr.Octet1, &addr.Octet2, &addr.Octet3};
  for (uint8_t* octet : leading) {
    const size_t dot = s.find('.');
    if (dot == std::string_view::npos) {
      *octet = 0;
      continue;
    }
    *octet = static_cast<uint8_t>(SafeStrToInt(s.substr(0, dot)));
    s = s.substr(dot + 1, 200);
  }
  addr.Octet4 = static_cast<uint8_t>(SafeStrToInt(s));
}
