// Texts inside the programs are UTF-8; Windows takes and gives UTF-16. These two are the only
// crossing, so that no text ever passes through the ANSI code page by accident.
#pragma once
#include <string>
#include <string_view>

// Invalid UTF-8 becomes U+FFFD rather than failing: a path that cannot be spelled is reported
// by the call that uses it.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view utf16);
