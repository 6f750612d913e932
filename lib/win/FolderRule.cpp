#include "lib/win/FolderRule.h"

#include <windows.h>

#include <iterator>

#include "lib/win/WinText.h"

TCheckedFolder CheckFolder(const std::string& typed) {
  // A full path that does not fit here is longer than any folder the rule takes, and so is the
  // text it came from: that text stands in for it.
  wchar_t full[1024];
  const DWORD n = GetFullPathNameW(Wide(typed).c_str(), std::size(full), full, nullptr);
  std::string folder = n < std::size(full) ? Utf8(std::wstring_view(full, n)) : typed;
  if (const TFolderFault fault = FolderFault(typed, folder); fault != TFolderFault::None) return {fault, ""};
  if (!folder.ends_with('\\')) folder += '\\';
  return {TFolderFault::None, folder};
}
