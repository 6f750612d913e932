// What the installation benchmarks share: removing an installation between runs, so that each
// run does the same work.
#pragma once
#include <windows.h>

#include <shlobj.h>

#include <string>

#include "lib/LIB_InstallPaths.h"

inline std::string ShellFolder(int csidl) {
  char buf[MAX_PATH];
  return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf)) ? buf : "";
}

// The files of a folder (no subfolders), then the folder.
inline void RemoveFolderFiles(const std::string& folder) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do DeleteFileA((folder + fd.cFileName).c_str());
    while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(folder.c_str());
}

inline std::string DesktopLink() { return ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Korvane P2P.Lnk"; }

// The installation folder `folder` (ending with "\"), the data folder, the Start-menu group,
// the desktop link and the uninstall key.
inline void CleanInstallation(const std::string& folder) {
  RemoveFolderFiles(folder);
  RemoveFolderFiles(ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Korvane P2P\\");
  RemoveFolderFiles(ShellFolder(CSIDL_PROGRAMS) + "\\Korvane P2P\\");
  DeleteFileA(DesktopLink().c_str());
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, KUninstallKey);
}
