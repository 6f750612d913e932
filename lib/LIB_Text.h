// Text helpers on UTF-8 with the runtime's plain-ASCII semantics. They look at single bytes,
// which is safe in UTF-8: no ASCII byte occurs inside a multi-byte sequence.
#pragma once
#include <string>
#include <string_view>

// Only 'A'..'Z' change; every other byte stays, so other scripts keep their case and a compare
// of two lower-cased texts tells their letters apart. Names that the file system compares
// without regard to case in every script are compared on the Win32 side
// (CompareStringOrdinal).
std::string LowerCase(std::string_view s);
// Strips characters at or below the blank from both ends, as the runtime's Trim does.
std::string Trim(std::string_view s);
