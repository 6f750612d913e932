#include "lib/win/ShellHelpers.h"

#include <shlobj.h>

#include <stdexcept>

#include "lib/LIB_Errors.h"
#include "lib/LIB_InstallPaths.h"
#include "lib/win/WinHandles.h"
#include "lib/win/WinApp.h"
#include "lib/win/WinText.h"

namespace {

bool ForceDirectories(std::string dir) {
  if (dir.ends_with('\\')) dir.pop_back();
  if (dir.size() < 3 || DirectoryExists(dir)) return true;
  const std::string parent = FolderPart(dir);
  if (parent == dir) return true;
  return ForceDirectories(parent) && CreateDirectoryW(Wide(dir).c_str(), nullptr);
}

class TComInit {
 public:
  TComInit() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~TComInit() {
    if (ok_) CoUninitialize();
  }

 private:
  bool ok_;
};
}  // namespace

bool DirectoryExists(const std::string& path) {
  const DWORD a = GetFileAttributesW(Wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesW(Wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> KnownFolder(int csidl) {
  wchar_t buf[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf))) return std::nullopt;
  return Utf8(buf);
}

void ForceFolder(const std::string& Path) {
  const std::string folder = Path.ends_with('\\') ? Path : Path + "\\";
  if (ForceDirectories(folder)) return;
  if (CreateDirectoryW(Wide(folder).c_str(), nullptr)) return;
  throw EInOutError(static_cast<int>(GetLastError()));
}

void CreateShortcut(const std::string& Target, const std::string& LinkFile, const std::string& Description,
                    int IconIndex, const std::string& Arguments) {
  TComInit com;
  TComPtr<IShellLinkW> link;
  const HRESULT hr =
      CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void());
  if (FAILED(hr)) throw std::runtime_error(SysErrorMessage(static_cast<DWORD>(hr)));
  link->SetArguments(Wide(Arguments).c_str());
  link->SetDescription(Wide(Description).c_str());
  link->SetPath(Wide(Target).c_str());
  if (IconIndex >= 0) link->SetIconLocation(Wide(Target).c_str(), IconIndex);
  TComPtr<IPersistFile> file;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.put_void()))) file->Save(Wide(LinkFile).c_str(), FALSE);
}

std::optional<std::string> ShortPath(const std::string& path) {
  const std::wstring wide = Wide(path);
  const DWORD n = GetShortPathNameW(wide.c_str(), nullptr, 0);
  if (n == 0) return std::nullopt;
  std::wstring shortPath(n, L'\0');
  const DWORD got = GetShortPathNameW(wide.c_str(), shortPath.data(), n);
  if (got == 0 || got >= n) return std::nullopt;
  shortPath.resize(got);
  return Utf8(shortPath);
}

bool StartProgram(const std::string& commandLine, int show) {
  std::wstring line = Wide(commandLine);  // CreateProcessW may write into it
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}
