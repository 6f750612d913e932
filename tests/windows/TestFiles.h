// Files, folders and shell links as the Windows tests look at them.
#pragma once
#include <windows.h>

#include <shlobj.h>

#include <fstream>
#include <sstream>
#include <string>

#include "lib/win/WinHandles.h"

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// -1 when the file is missing.
inline long long FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return -1;
  return (static_cast<long long>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

inline std::string ShellFolder(int csidl) {
  char buf[MAX_PATH] = "";
  return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf)) ? buf : "";
}

// Removes a folder with everything in it, read-only files included.
inline void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      SetFileAttributesA((folder + "\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(folder + "\\" + name);
      else
        DeleteFileA((folder + "\\" + name).c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(folder.c_str());
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
    TComPtr<IShellLinkA> link;
    TComPtr<IPersistFile> persist;
    std::wstring w(file.begin(), file.end());
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put_void())) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, persist.put_void())) &&
        SUCCEEDED(persist->Load(w.c_str(), STGM_READ))) {
      char buf[1024] = "";
      link->GetPath(buf, sizeof buf, nullptr, SLGP_RAWPATH);
      l.Target = buf;
      buf[0] = 0;
      link->GetDescription(buf, sizeof buf);
      l.Description = buf;
      buf[0] = 0;
      link->GetArguments(buf, sizeof buf);
      l.Arguments = buf;
      buf[0] = 0;
      link->GetIconLocation(buf, sizeof buf, &l.Icon);
      l.IconFile = buf;
    }
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return l;
}
