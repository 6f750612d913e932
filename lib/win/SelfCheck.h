// The running program's check of its own file against the checksum the build stamped into it.
#pragma once
#include <string>

// Empty when the file is whole (signed since or not); otherwise why it is not. Reads the whole
// file: a few milliseconds, which the wizard spends beside its start-up.
std::string CheckOwnFile();

// What a user is told about a damaged installer.
inline constexpr char KDamagedInstaller[] = "The installer is damaged. Please download it again.";
