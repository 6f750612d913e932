// The drives of every kind that the ctest set-up (tests/windows/drive-kinds.sh) adds to the
// Wine prefix; it also turns Z: into a network drive. Tests that need them are told by
// KV_DRIVE_KINDS; run by hand without the set-up, they are skipped.
#pragma once
#include <windows.h>

#include <cstdlib>
#include <string>

struct TTestDriveKind {
  char Letter;
  UINT Kind;  // what GetDriveTypeA says
  const char* Name;
  std::string Root() const { return std::string(1, Letter) + ":\\"; }
};

inline constexpr TTestDriveKind KDriveKinds[] = {
    {'H', DRIVE_FIXED, "fixed"},    {'R', DRIVE_REMOVABLE, "removable"}, {'N', DRIVE_REMOTE, "network"},
    {'O', DRIVE_CDROM, "CD-ROM"}, {'M', DRIVE_RAMDISK, "RAM disk"},
};

inline bool DriveKindsSetUp() { return std::getenv("KV_DRIVE_KINDS") != nullptr; }
