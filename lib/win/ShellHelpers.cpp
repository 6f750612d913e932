#include "lib/win/ShellHelpers.h"

#include <windows.h>

#include <sddl.h>
#include <shlobj.h>

#include <stdexcept>

#include "lib/LIB_Errors.h"
#include "lib/LIB_InstallPaths.h"
#include "lib/win/WinHandles.h"
#include "lib/win/WinApp.h"

namespace {

bool ForceDirectories(std::string dir, SECURITY_ATTRIBUTES* security) {
  if (dir.ends_with('\\')) dir.pop_back();
  if (dir.size() < 3 || DirectoryExists(dir)) return true;
  const std::string parent = FolderPart(dir);
  if (parent == dir) return true;
  return ForceDirectories(parent, security) && CreateDirectoryA(dir.c_str(), security);
}

std::wstring Wide(const std::string& s) {
  const int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
  std::wstring w(n > 0 ? n - 1 : 0, L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
  return w;
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
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> KnownFolder(int csidl) {
  char buf[MAX_PATH];
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf))) return std::nullopt;
  return std::string(buf);
}

TProgramFilesAccess::TProgramFilesAccess() {
  sa_.nLength = sizeof sa_;
  sa_.bInheritHandle = FALSE;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;GRGX;;;BU)",
                                                            SDDL_REVISION_1, &sa_.lpSecurityDescriptor, nullptr))
    throw EInOutError(static_cast<int>(GetLastError()));
}

TProgramFilesAccess::~TProgramFilesAccess() { LocalFree(sa_.lpSecurityDescriptor); }

void ForceFolder(const std::string& Path, TFolderAccess access) {
  const std::string folder = Path.ends_with('\\') ? Path : Path + "\\";
  std::optional<TProgramFilesAccess> protect;
  if (access == TFolderAccess::LikeProgramFiles) protect.emplace();
  SECURITY_ATTRIBUTES* security = protect ? protect->get() : nullptr;
  if (ForceDirectories(folder, security)) return;
  if (CreateDirectoryA(folder.c_str(), security)) return;
  throw EInOutError(static_cast<int>(GetLastError()));
}

void CreateShortcut(const std::string& Target, const std::string& LinkFile, const std::string& Description,
                    int IconIndex, const std::string& Arguments) {
  TComInit com;
  TComPtr<IShellLinkA> link;
  const HRESULT hr =
      CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put_void());
  if (FAILED(hr)) throw std::runtime_error(SysErrorMessage(static_cast<DWORD>(hr)));
  link->SetArguments(Arguments.c_str());
  link->SetDescription(Description.c_str());
  link->SetPath(Target.c_str());
  if (IconIndex >= 0) link->SetIconLocation(Target.c_str(), IconIndex);
  TComPtr<IPersistFile> file;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.put_void()))) file->Save(Wide(LinkFile).c_str(), FALSE);
}
