// Runs a program that must show no window at all, as a package manager runs an uninstaller
// with nobody there to answer it.
#pragma once
#include <windows.h>

#include <functional>
#include <set>
#include <string>

#include "lib/win/WinText.h"

inline std::set<HWND> VisibleTopWindows() {
  std::set<HWND> found;
  EnumWindows(
      [](HWND h, LPARAM p) -> BOOL {
        if (IsWindowVisible(h)) reinterpret_cast<std::set<HWND>*>(p)->insert(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

struct TWindowlessRun {
  DWORD ExitCode = STILL_ACTIVE;
  bool WindowShown = false;
};

// Starts `commandLine` and watches the screen until the program has ended and `settled` says
// that what it left behind to finish (the uninstaller's copy) is done too, for `ms` at most.
// A window that shows, from any process, ends the watch and the program: nobody would answer it.
inline TWindowlessRun RunWatchingWindows(const std::string& commandLine, const std::function<bool()>& settled,
                                         DWORD ms = 60000) {
  TWindowlessRun run;
  const std::set<HWND> before = VisibleTopWindows();
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring cmd = Wide(commandLine);
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return run;
  CloseHandle(pi.hThread);
  bool ended = false;
  for (const DWORD start = GetTickCount(); GetTickCount() - start < ms && !run.WindowShown;) {
    ended = ended || WaitForSingleObject(pi.hProcess, 20) == WAIT_OBJECT_0;
    for (HWND h : VisibleTopWindows()) run.WindowShown = run.WindowShown || !before.contains(h);
    if (ended && settled()) break;
  }
  if (!ended) TerminateProcess(pi.hProcess, STILL_ACTIVE);
  WaitForSingleObject(pi.hProcess, 5000);
  GetExitCodeProcess(pi.hProcess, &run.ExitCode);
  CloseHandle(pi.hProcess);
  return run;
}
