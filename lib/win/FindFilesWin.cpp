#include "lib/win/FindFilesWin.h"

#include "lib/win/WinHandles.h"
#include "lib/win/WinText.h"

namespace {
struct TFindTraits {
  using Handle = HANDLE;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};
}  // namespace

TDriveType TWin32FindPlatform::DriveType(char Letter) {
  const wchar_t root[] = {static_cast<wchar_t>(Letter), L':', L'\\', L'\0'};
  return static_cast<TDriveType>(GetDriveTypeW(root));
}

std::string TWin32FindPlatform::CurrentDirectory() {
  wchar_t buf[MAX_PATH];
  const DWORD n = GetCurrentDirectoryW(MAX_PATH, buf);
  return n > 0 && n < MAX_PATH ? Utf8(std::wstring_view(buf, n)) : std::string();
}

void TWin32FindPlatform::Enumerate(const std::string& Pattern, bool IncludeHidden,
                                   const std::function<bool(const TFindEntry&)>& Each) {
  WIN32_FIND_DATAW data;
  TOwned<TFindTraits> find(FindFirstFileW(Wide(Pattern).c_str(), &data));
  if (!find) return;
  do {
    if (!IncludeHidden && (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN)) continue;
    const TFindEntry entry{Utf8(data.cFileName), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0};
    if (!Each(entry)) return;
  } while (FindNextFileW(find.get(), &data));
}

int TWin32FindPlatform::CompareText(const std::string& A, const std::string& B) {
  const std::wstring a = Wide(A), b = Wide(B);
  return CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                         static_cast<int>(b.size()), nullptr, nullptr, 0) -
         CSTR_EQUAL;
}
