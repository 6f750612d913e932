// The file search's platform on Win32: GetDriveTypeW, FindFirstFileW/FindNextFileW, the
// user's locale for the order of the finds.
#pragma once
#include "lib/LIB_FindFiles.h"

class TWin32FindPlatform : public TFindPlatform {
 public:
  TDriveType DriveType(char Letter) override;
  std::string CurrentDirectory() override;
  void Enumerate(const std::string& Pattern, bool IncludeHidden,
                 const std::function<bool(const TFindEntry&)>& Each) override;
  int CompareText(const std::string& A, const std::string& B) override;
};
