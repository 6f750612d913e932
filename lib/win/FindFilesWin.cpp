#include "lib/win/FindFilesWin.h"

#include "lib/win/WinHandles.h"

namespace {
struct TFindTraits {
  using Handle = HANDLE;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};
}  // namespace

TDriveType TWin32FindPlatform::DriveType(char Letter) {
  const char root[] = {Letter, ':', '\\', '\0'};
  return static_cast<TDriveType>(GetDriveTypeA(root));
}

std::string TWin32FindPlatform::CurrentDirectory() {
  char buf[MAX_PATH];
  const DWORD n = GetCurrentDirectoryA(MAX_PATH, buf);
  return n > 0 && n < MAX_PATH ? std::string(buf, n) : std::string();
}

void TWin32FindPlatform::Enumerate(const std::string& Pattern, bool IncludeHidden,
                                   const std::function<bool(const TFindEntry&)>& Each) {
  WIN32_FIND_DATAA data;
  TOwned<TFindTraits> find(FindFirstFileA(Pattern.c_str(), &data));
  if (!find) return;
  do {
    if (!IncludeHidden && (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN)) continue;
    const TFindEntry entry{data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0};
    if (!Each(entry)) return;
  } while (FindNextFileA(find.get(), &data));
}

int TWin32FindPlatform::CompareText(const std::string& A, const std::string& B) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, A.data(), static_cast<int>(A.size()), B.data(),
                        static_cast<int>(B.size())) -
         CSTR_EQUAL;
}
