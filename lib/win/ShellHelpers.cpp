#include "lib/win/ShellHelpers.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <exdisp.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

#include <stdexcept>

#include "lib/LIB_Errors.h"
#include "lib/LIB_InstallPaths.h"
#include "lib/win/Elevation.h"
#include "lib/win/FileByHandle.h"
#include "lib/win/WinHandles.h"
#include "lib/win/WinApp.h"
#include "lib/win/WinText.h"

namespace {

// Makes `dir` and its missing parents, counting the folders it makes.
bool ForceDirectories(std::string dir, SECURITY_ATTRIBUTES* security, int& made) {
  if (dir.ends_with('\\')) dir.pop_back();
  if (dir.size() < 3 || DirectoryExists(dir)) return true;
  const std::string parent = FolderPart(dir);
  if (parent == dir) return true;
  if (!ForceDirectories(parent, security, made) || !CreateDirectoryW(Wide(dir).c_str(), security)) return false;
  ++made;
  return true;
}

// ForceFolder and ForceWritableFolder. On a failure the folders made go again: the `made` last
// ones that exist on the way to `Path`.
void MakeFolder(const std::string& Path, TFolderAccess access, bool probe) {
  const std::string folder = Path.ends_with('\\') ? Path : Path + "\\";
  std::optional<TProgramFilesAccess> protect;
  if (access == TFolderAccess::LikeProgramFiles) protect.emplace();
  SECURITY_ATTRIBUTES* security = protect ? protect->get() : nullptr;
  int made = 0;
  // The folder's own creation tells best what stands in the way.
  bool ok = ForceDirectories(folder, security, made) || CreateDirectoryW(Wide(folder).c_str(), security);
  if (ok && probe)
    ok = TFileHandle(CreateFileW(Wide(folder + KWritableProbe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr))
             .get() != INVALID_HANDLE_VALUE;
  if (ok) return;
  const DWORD error = GetLastError();
  std::string dir = FolderPart(folder);
  while (dir.size() > 3 && !DirectoryExists(dir)) dir = FolderPart(dir);  // where the making stopped
  for (; made > 0; --made, dir = FolderPart(dir)) RemoveDirectoryW(Wide(dir).c_str());
  throw EInOutError(static_cast<int>(error));
}

// COM for the calling thread, in the apartment it has or else in `model`'s.
class TComInit {
 public:
  explicit TComInit(DWORD model) : ok_(SUCCEEDED(CoInitializeEx(nullptr, model))) {}
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

TProgramFilesAccess::TProgramFilesAccess() {
  sa_.nLength = sizeof sa_;
  sa_.bInheritHandle = FALSE;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;GRGX;;;BU)",
                                                            SDDL_REVISION_1, &sa_.lpSecurityDescriptor, nullptr))
    throw EInOutError(static_cast<int>(GetLastError()));
}

TProgramFilesAccess::~TProgramFilesAccess() { LocalFree(sa_.lpSecurityDescriptor); }

void TProgramFilesAccess::Apply(HANDLE folder) const {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  BOOL defaulted = FALSE, present = FALSE;
  if (!GetSecurityDescriptorOwner(sa_.lpSecurityDescriptor, &owner, &defaulted) ||
      !GetSecurityDescriptorDacl(sa_.lpSecurityDescriptor, &present, &dacl, &defaulted))
    throw EInOutError(static_cast<int>(GetLastError()));
  const DWORD rc = SetSecurityInfo(folder, SE_FILE_OBJECT,
                                   OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                   owner, nullptr, dacl, nullptr);
  if (rc != ERROR_SUCCESS) throw EInOutError(static_cast<int>(rc));
}

void ForceFolder(const std::string& Path, TFolderAccess access) { MakeFolder(Path, access, false); }
void ForceWritableFolder(const std::string& Path, TFolderAccess access) { MakeFolder(Path, access, true); }

void CreateShortcut(const std::string& Target, const std::string& LinkFile, const std::string& Description,
                    int IconIndex, const std::string& Arguments) {
  // The link object works in any apartment, and the multithreaded one costs a thread no window.
  TComInit com(COINIT_MULTITHREADED);
  TComPtr<IShellLinkW> link;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void());
  if (FAILED(hr)) throw std::runtime_error(SysErrorMessage(static_cast<DWORD>(hr)));
  link->SetArguments(Wide(Arguments).c_str());
  link->SetDescription(Wide(Description).c_str());
  link->SetPath(Wide(Target).c_str());
  if (IconIndex >= 0) link->SetIconLocation(Wide(Target).c_str(), IconIndex);
  // The link's bytes are made in memory and written into a file this installer creates itself:
  // saving by name would open whatever stands at that name in a folder the user can write, and
  // under Wine also waits for a helper process per link.
  TComPtr<IPersistStream> persist;
  TComPtr<IStream> memory;
  ULARGE_INTEGER size{};
  HGLOBAL bytes = nullptr;
  if (FAILED(hr = link->QueryInterface(IID_IPersistStream, persist.put_void())) ||
      FAILED(hr = CreateStreamOnHGlobal(nullptr, TRUE, memory.put())) || FAILED(hr = persist->Save(memory.get(), TRUE)) ||
      FAILED(hr = memory->Seek({}, STREAM_SEEK_CUR, &size)) || FAILED(hr = GetHGlobalFromStream(memory.get(), &bytes)))
    throw std::runtime_error(SysErrorMessage(static_cast<DWORD>(hr)));
  const TFileHandle file = CreateNewFile(LinkFile, 0);
  const void* data = GlobalLock(bytes);
  DWORD written = 0;
  const bool ok = data && WriteFile(file.get(), data, static_cast<DWORD>(size.QuadPart), &written, nullptr) &&
                  written == size.QuadPart;
  const DWORD error = GetLastError();
  GlobalUnlock(bytes);
  if (!ok) {
    DeleteOpenFile(file.get());  // no link cut short stays behind
    throw EInOutError(static_cast<int>(error));
  }
  // What saving by name would have told the shell, so that the Start menu shows the link at once.
  SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, Wide(LinkFile).c_str(), nullptr);
}

bool SamePath(std::string_view a, std::string_view b) {
  const std::wstring wa = Wide(a), wb = Wide(b);
  return CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(), static_cast<int>(wb.size()), TRUE) ==
         CSTR_EQUAL;
}

TUserProfile UserProfile() {
  TUserProfile profile{{}, SamePath};
  std::optional<std::string> folder = KnownFolder(CSIDL_PROFILE);
  if (!folder) {
    wchar_t buf[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"USERPROFILE", buf, MAX_PATH);
    if (n > 0 && n < MAX_PATH) folder = Utf8(std::wstring_view(buf, n));
  }
  if (!folder) return profile;
  profile.Forms.push_back(*folder);
  if (std::optional<std::string> shortForm = ShortPath(*folder)) profile.Forms.push_back(*shortForm);
  return profile;
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

namespace {

// Calls a method, or reads a property, of an automation object by its name. Through IDispatch the
// call needs only the standard proxy; a typed interface would first have its proxy built from the
// server's type library, which costs more than the extra round trip for the name.
bool CallByName(IDispatch* object, const wchar_t* name, WORD kind, DISPPARAMS params, TComPtr<IDispatch>& result) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id;
  VARIANT out{};
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) ||
      FAILED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, &out, nullptr, nullptr)))
    return false;
  if (out.vt == VT_DISPATCH) *result.put() = out.pdispVal;
  else VariantClear(&out);
  return static_cast<bool>(result);
}

// The shell's automation object, reached from its desktop window. Only it is kept: the objects on
// the way are let go while the caller still has other work, since each release is another round
// trip.
class TShellDispatch : public TDesktopShell {
 public:
  bool Find() {
    TComPtr<IDispatch> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, windows.put_void())))
      return false;
    // FindWindowSW(&desktop, &empty, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH), its arguments last first.
    VARIANT desktop{}, empty{};
    desktop.vt = VT_I4;
    desktop.lVal = CSIDL_DESKTOP;
    long hwnd = 0;
    VARIANT args[5]{};
    args[0].vt = VT_I4;
    args[0].lVal = SWFO_NEEDDISPATCH;
    args[1].vt = VT_I4 | VT_BYREF;
    args[1].plVal = &hwnd;
    args[2].vt = VT_I4;
    args[2].lVal = SWC_DESKTOP;
    args[3].vt = VT_VARIANT | VT_BYREF;
    args[3].pvarVal = &empty;
    args[4].vt = VT_VARIANT | VT_BYREF;
    args[4].pvarVal = &desktop;
    TComPtr<IDispatch> dispatch;
    if (!CallByName(windows.get(), L"FindWindowSW", DISPATCH_METHOD, {args, nullptr, 5, 0}, dispatch)) return false;
    TComPtr<IServiceProvider> services;
    TComPtr<IShellBrowser> browser;
    TComPtr<IShellView> view;
    TComPtr<IDispatch> background, application;
    // The shell's own ShellExecute stays typed: only so does it tell a start that failed (S_FALSE).
    return SUCCEEDED(dispatch->QueryInterface(IID_IServiceProvider, services.put_void())) &&
           SUCCEEDED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.put_void())) &&
           SUCCEEDED(browser->QueryActiveShellView(view.put())) &&
           SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.put_void())) &&
           CallByName(background.get(), L"Application", DISPATCH_PROPERTYGET, {}, application) &&
           SUCCEEDED(application->QueryInterface(IID_IShellDispatch2, shell_.put_void()));
  }
  bool Launch(const std::string& target, const std::string& arguments, const std::string& folder,
               int show) override {
    const std::wstring file = Wide(target), args = Wide(arguments), dir = Wide(folder);
    VARIANT vArgs{}, vDir{}, vOperation{}, vShow{};
    vArgs.vt = VT_BSTR;
    vArgs.bstrVal = SysAllocString(args.c_str());
    vDir.vt = VT_BSTR;
    vDir.bstrVal = SysAllocString(dir.c_str());
    vShow.vt = VT_I4;
    vShow.lVal = show;
    BSTR bFile = SysAllocString(file.c_str());
    const HRESULT hr = shell_->ShellExecute(bFile, vArgs, vDir, vOperation, vShow);
    SysFreeString(bFile);
    VariantClear(&vArgs);
    VariantClear(&vDir);
    // S_FALSE: the shell was asked, but could not start it.
    return hr == S_OK;
  }

 private:
  // First, so that it outlasts the shell's proxy. A thread without an apartment joins the
  // multithreaded one, which needs no window: a silent installation then never brings up the
  // display for it.
  TComInit com_{COINIT_MULTITHREADED};
  TComPtr<IShellDispatch2> shell_;
};

std::unique_ptr<TDesktopShell> FindShellDispatch() {
  auto shell = std::make_unique<TShellDispatch>();
  if (!shell->Find()) shell.reset();
  return shell;
}

}  // namespace

std::unique_ptr<TDesktopShell> (*FindDesktopShell)() = FindShellDispatch;

TUserStarter::TUserStarter() : elevated_(RunsElevated()) {
  if (elevated_) shell_ = FindDesktopShell();
}

TStarted TUserStarter::Start(const std::string& program, const std::string& arguments, int show) {
  if (elevated_)
    return shell_ && shell_->Launch(program, arguments, FolderPart(program), show) ? TStarted::AsUser
                                                                                   : TStarted::Failed;
  return StartProgram(QuotedCommand(program, arguments), show) ? TStarted::Direct : TStarted::Failed;
}

TStarted TUserStarter::OpenAddress(const std::string& address) {
  if (elevated_) return shell_ && shell_->Launch(address, "", "", SW_SHOWNORMAL) ? TStarted::AsUser : TStarted::Failed;
  const auto done = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, nullptr, Wide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return done > 32 ? TStarted::Direct : TStarted::Failed;
}

TStarted StartAsUser(const std::string& program, const std::string& arguments, int show) {
  return TUserStarter().Start(program, arguments, show);
}

TStarted OpenAsUser(const std::string& address) { return TUserStarter().OpenAddress(address); }

