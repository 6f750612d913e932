#include "lib/win/FileByHandle.h"

#include <cstring>
#include <vector>

#include "lib/LIB_Errors.h"
#include "lib/LIB_Text.h"
#include "lib/win/WinText.h"

namespace {

constexpr DWORD KShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::string WithoutSlash(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

bool SamePath(const std::string& a, const std::string& b) {
  return LowerCase(WithoutSlash(a)) == LowerCase(WithoutSlash(b));
}

// The long form of an existing path, so that a short (8.3) name compares equal to its own file.
std::string LongPath(const std::string& path) {
  const std::wstring wide = Wide(path);
  std::wstring buf(32768, L'\0');
  const DWORD n = GetLongPathNameW(wide.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
  return n > 0 && n < buf.size() ? Utf8(buf.substr(0, n)) : path;
}

// Whether an open file is a plain file or folder on a disk, not a link, and lies where `path` says.
bool LiesAt(HANDLE h, const std::string& path) {
  if (GetFileType(h) != FILE_TYPE_DISK) return false;
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag)) return false;
  if (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
  // The long form only when the names differ: finding it reads every folder on the way.
  const std::string final = FinalPath(h);
  return SamePath(final, path) || SamePath(final, LongPath(path));
}

}  // namespace

bool HasLinkOnPath(const std::string& path) {
  const std::string p = WithoutSlash(path);
  // From the first folder below the drive's root down to the path itself.
  for (size_t at = p.find('\\', 3);; at = p.find('\\', at + 1)) {
    const DWORD a = GetFileAttributesW(Wide(p.substr(0, at)).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    if (a & FILE_ATTRIBUTE_REPARSE_POINT) return true;
    if (at == std::string::npos) return false;
  }
}

std::string FinalPath(HANDLE h) {
  std::wstring buf(32768, L'\0');
  const DWORD n = GetFinalPathNameByHandleW(h, buf.data(), static_cast<DWORD>(buf.size()),
                                            FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n == 0 || n >= buf.size()) return "";
  buf.resize(n);
  return Utf8(buf.starts_with(L"\\\\?\\") ? buf.substr(4) : buf);
}

TFileHandle OpenPlainFolder(const std::string& folder, DWORD access) {
  if (HasLinkOnPath(folder)) throw EInOutError(ERROR_ACCESS_DENIED);
  TFileHandle h(CreateFileW(Wide(WithoutSlash(folder)).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!h) throw EInOutError(static_cast<int>(GetLastError()));
  if (!LiesAt(h.get(), folder)) throw EInOutError(ERROR_ACCESS_DENIED);
  return h;
}

TFileHandle CreateNewFile(const std::string& file, DWORD access, DWORD share) {
  if (HasLinkOnPath(file.substr(0, file.find_last_of('\\')))) throw EInOutError(ERROR_ACCESS_DENIED);
  if (!RemovePlainFile(file)) throw EInOutError(static_cast<int>(GetLastError()));
  TFileHandle h(CreateFileW(Wide(file).c_str(), access | GENERIC_WRITE | DELETE, share, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!h) throw EInOutError(static_cast<int>(GetLastError()));
  if (!LiesAt(h.get(), file)) {
    DeleteOpenFile(h.get());
    throw EInOutError(ERROR_ACCESS_DENIED);
  }
  return h;
}

TFileHandle OpenPlainFile(const std::string& file, DWORD access) {
  TFileHandle h(CreateFileW(Wide(file).c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (h && !LiesAt(h.get(), file)) {
    h.reset();
    SetLastError(ERROR_ACCESS_DENIED);
  }
  return h;
}

void RenameOpenFile(HANDLE file, const std::string& target) {
  const std::wstring wide = Wide(target);
  std::vector<BYTE> buf(sizeof(FILE_RENAME_INFO) + wide.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buf.data());
  info->ReplaceIfExists = TRUE;
  info->FileNameLength = static_cast<DWORD>(wide.size() * sizeof(wchar_t));
  std::memcpy(info->FileName, wide.c_str(), info->FileNameLength);
  if (!SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(buf.size())))
    throw EInOutError(static_cast<int>(GetLastError()));
}

bool RemovePlainFile(const std::string& file) {
  TFileHandle h(CreateFileW(Wide(file).c_str(), DELETE | FILE_READ_ATTRIBUTES, KShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h) return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
  FILE_ATTRIBUTE_TAG_INFO tag{};
  // A folder of that name, or a link to one, is not removed: this installer made no such thing.
  if (!GetFileInformationByHandleEx(h.get(), FileAttributeTagInfo, &tag, sizeof tag) ||
      (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return DeleteOpenFile(h.get());
}

bool DeleteOpenFile(HANDLE file) {
  FILE_DISPOSITION_INFO dispose{TRUE};
  return SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof dispose) != 0;
}
