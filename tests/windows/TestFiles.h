// Files, folders and shell links as the Windows tests look at them.
#pragma once
#include <windows.h>

#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "lib/LIB_InstallPaths.h"
#include "lib/win/WinHandles.h"
#include "lib/win/WinText.h"

// Paths are UTF-8, as in the programs; the calls are wide, so any script goes.
inline bool Exists(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(std::filesystem::path(Wide(path)), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(std::filesystem::path(Wide(path)), std::ios::binary) << text;
}

// -1 when the file is missing.
inline long long FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &a)) return -1;
  return (static_cast<long long>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

inline std::string ShellFolder(int csidl) {
  wchar_t buf[MAX_PATH] = L"";
  return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf)) ? Utf8(buf) : "";
}

// Removes a folder with everything in it, read-only files included.
inline void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(Wide(folder + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = Utf8(fd.cFileName);
      if (name == "." || name == "..") continue;
      SetFileAttributesW(Wide(folder + "\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(folder + "\\" + name);
      else
        DeleteFileW(Wide(folder + "\\" + name).c_str());
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(Wide(folder).c_str());
}

// Where the toolbar installer's stand-in notes its starts: the test session names it for every
// process of the prefix (scripts/wine.sh), since the desktop shell starts the stand-in.
inline std::string ToolbarLogFile() {
  char buf[MAX_PATH] = "";
  const DWORD n = GetEnvironmentVariableA("KORVANE_TOOLBAR_LOG", buf, sizeof buf);
  return n > 0 && n < sizeof buf ? buf : "C:\\kvtest_toolbar.log";
}

struct TLink {
  std::string Target, Description, IconFile, Arguments;
  int Icon = -2;
};

// What a shell link file holds; empty fields when it cannot be read.
inline TLink ReadLink(const std::string& file) {
  TLink l;
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    TComPtr<IShellLinkW> link;
    TComPtr<IPersistFile> persist;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, persist.put_void())) &&
        SUCCEEDED(persist->Load(Wide(file).c_str(), STGM_READ))) {
      wchar_t buf[1024] = L"";
      link->GetPath(buf, ARRAYSIZE(buf), nullptr, SLGP_RAWPATH);
      l.Target = Utf8(buf);
      buf[0] = 0;
      link->GetDescription(buf, ARRAYSIZE(buf));
      l.Description = Utf8(buf);
      buf[0] = 0;
      link->GetArguments(buf, ARRAYSIZE(buf));
      l.Arguments = Utf8(buf);
      buf[0] = 0;
      link->GetIconLocation(buf, ARRAYSIZE(buf), &l.Icon);
      l.IconFile = Utf8(buf);
    }
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return l;
}

// Wine makes neither junctions nor Windows symbolic links (FSCTL_SET_REPARSE_POINT is refused,
// CreateSymbolicLinkW makes nothing), but it shows a Unix symbolic link to a folder as a
// reparse point, and it starts Unix programs: links are made and removed from the Unix side,
// `program` taking `option` and the Unix names of `paths`. Wine does not tell when a Unix
// program ends, so the caller waits for its effect.
inline bool RunUnix(const std::string& program, const std::string& option, const std::vector<std::string>& paths) {
  using TUnixName = char*(CDECL*)(LPCWSTR);
  auto unixName = reinterpret_cast<TUnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
  if (!unixName) return false;
  std::string cmd = program + " " + option;
  for (const std::string& path : paths) {
    std::wstring w(path.begin(), path.end());
    char* u = unixName(w.c_str());
    if (!u) return false;
    cmd += std::string(" \"") + u + "\"";
    HeapFree(GetProcessHeap(), 0, u);
  }
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const std::string exe = "Z:" + program;
  // A Unix program is no Windows process: Wine gives no handles for it, and Wine 8 leaves in `pi`
  // whatever its own stack held there. Closing those would close handles of this process (its
  // desktop's, and FindWindow finds nothing from then on).
  return CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
}

inline bool IsLink(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

inline bool MakeFolderLink(const std::string& link, const std::string& target) {
  if (!RunUnix("/bin/ln", "-s", {target, link})) return false;
  for (int i = 0; i < 100 && !IsLink(link); ++i) Sleep(50);
  return IsLink(link);
}

// Only the link goes; through Windows, Wine would remove the folder it leads to.
inline bool RemoveFolderLink(const std::string& link) {
  if (!RunUnix("/bin/rm", "-f", {link})) return false;
  for (int i = 0; i < 100 && Exists(link); ++i) Sleep(50);
  return !Exists(link);
}

// A text value of the product's uninstall entry; "(missing)" when there is none.
inline std::string UninstallEntryValue(const char* name) {
  char buf[MAX_PATH] = "";
  DWORD size = sizeof buf;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, KUninstallKey, name, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
    return "(missing)";
  return buf;
}
