// Single-byte text helpers with the runtime's plain-ASCII semantics.
#pragma once
#include <string>
#include <string_view>

// Only 'A'..'Z' change: the texts are ANSI and the matching rules are ASCII ones.
std::string LowerCase(std::string_view s);
// Strips characters at or below the blank from both ends, as the runtime's Trim does.
std::string Trim(std::string_view s);
