// Turns a built program into the bytes a payload array carries (used by the build's packer).
#pragma once
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "payload/GB_Payload.h"

class EPackError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Appends deterministic filler to the program (an overlay the loader ignores) so that it is
// exactly USize bytes and its zlib stream at level 9 exactly CLen bytes; returns the stream
// followed by zero filler, Chunks × 1024 bytes in all. Raises EPackError when the program
// does not fit its slot.
std::vector<uint8_t> PackPayload(const std::vector<uint8_t>& program, const TPayloadSizes& sizes);
