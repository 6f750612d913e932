// Value types of the client data file.
#pragma once
#include <cstdint>
#include <string_view>

// A peer's IPv4 address (o1.o2.o3.o4) and port. The client's record has this field order,
// which differs from both the dotted order and the order the writer emits.
struct TNodeAddr {
  uint8_t Octet2 = 0;
  uint8_t Octet4 = 0;
  uint16_t Port = 0;
  uint8_t Octet1 = 0;
  uint8_t Octet3 = 0;
};

// The decimal value of the whole text, or 0 when it is not a 32-bit decimal integer.
int32_t SafeStrToInt(std::string_view s);

// Fills addr from dotted text; a missing "." leaves that octet 0, each octet keeps its low 8 bits.
void StrToNodeAddr(std::string_view s, uint16_t port, TNodeAddr& addr);
