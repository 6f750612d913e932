// Under Wine: a whole silent installation, from process start to exit, of our installer against
// an NSIS installer of the same programs (bench/nsis/peer-silent.nsi, built by
// scripts/bench-setup.sh), alternating in the same run. Ours runs twice in each round: as /S, and
// as /S /TOOLBAR, which also writes the toolbar installer and has the desktop shell start it; that
// run counts only once the toolbar installer's stand-in has noted its start.
// Every run starts from a clean machine and installs into a folder that does not exist yet, so
// each one does the same work.
//   SilentInstallBench.exe [RUNS [OURS.exe [NSIS.exe]]]   (at least 7 runs)
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lib/LIB_InstallPaths.h"
#include "bench/windows/BenchInstallation.h"
#include "lib/win/WinApp.h"

namespace {

constexpr DWORD KTimeoutMs = 30000;
const std::string KRoot = "C:\\KvSilentBench\\";

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool UninstallEntryWritten() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, KUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  const bool ok = RegQueryValueExA(key, "DisplayName", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                  RegQueryValueExA(key, "UninstallString", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

// What a successful run leaves behind, checked so that an installer that exits with 0 without
// doing the work cannot pass for a fast one. Empty when all is there.
std::string MissingPart(const std::string& folder, bool toolbar) {
  if (toolbar && !Exists(folder + "Korvane_toolbar.exe")) return folder + "Korvane_toolbar.exe is missing";
  const std::string group = ShellFolder(CSIDL_PROGRAMS) + "\\Korvane P2P\\";
  for (const std::string& file : {folder + "Korvane.Exe", folder + "Uninstall.Exe", group + "Korvane P2P.Lnk",
                                  group + "Korvane P2P On the Web.Lnk", group + "Korvane P2P Help.Lnk",
                                  group + "Korvane P2P Uninstall.Lnk", DesktopLink()})
    if (!Exists(file)) return file + " is missing";
  return UninstallEntryWritten() ? "" : "the uninstall entry is missing";
}

// Whether the toolbar installer's stand-in, started from `folder`, noted its start within a few
// seconds in the file that KORVANE_TOOLBAR_LOG names (scripts/wine.sh sets it): the desktop shell
// starts it after the installer has asked, and a run whose start failed is not a faster run.
bool ToolbarStarted(const std::string& folder) {
  char log[MAX_PATH];
  const DWORD n = GetEnvironmentVariableA("KORVANE_TOOLBAR_LOG", log, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  const std::string line = "\"" + folder + "Korvane_toolbar.exe\"";
  for (int waited = 0; waited < 5000; waited += 50, Sleep(50)) {
    const HANDLE f = CreateFileA(log, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) continue;
    std::string text(GetFileSize(f, nullptr), '\0');
    DWORD got = 0;
    ReadFile(f, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
    CloseHandle(f);
    if (text.find(line) != std::string::npos) return true;
  }
  return false;
}

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * double(c.QuadPart) / double(f.QuadPart);
}

struct TRun {
  double Ms = 0;
  std::string Failure;  // empty when the installation succeeded
};

// Installs silently into a fresh `folder` and times it, start to exit.
TRun TimeInstall(const std::string& exe, const std::string& folder, bool toolbar = false) {
  CleanInstallation(folder);
  std::string commandLine =
      "\"" + exe + "\" /S " + (toolbar ? "/TOOLBAR " : "") + "/D=" + folder.substr(0, folder.size() - 1);
  STARTUPINFOA si{sizeof(si)};
  PROCESS_INFORMATION pi{};
  TRun run;
  const double t0 = Now();
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    run.Failure = "cannot start it (error " + std::to_string(GetLastError()) + ")";
    return run;
  }
  const DWORD waited = WaitForSingleObject(pi.hProcess, KTimeoutMs);
  run.Ms = Now() - t0;
  DWORD code = 0;
  if (waited != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 5000);
    run.Failure = "still running after " + std::to_string(KTimeoutMs / 1000) + " s";
  } else if (GetExitCodeProcess(pi.hProcess, &code) && code != 0) {
    run.Failure = "exit code " + std::to_string(code);
  } else {
    run.Failure = MissingPart(folder, toolbar);
    if (run.Failure.empty() && toolbar && !ToolbarStarted(folder))
      run.Failure = "the toolbar installer was not started (its stand-in noted no start in KORVANE_TOOLBAR_LOG)";
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  if (!run.Failure.empty()) run.Failure = commandLine + ": " + run.Failure;
  CleanInstallation(folder);
  return run;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const std::string self = ExePath();
  const std::string dir = self.substr(0, self.find_last_of('\\') + 1);
  const int runs = argc > 1 ? std::max(7, std::atoi(argv[1])) : 7;
  const std::string ours = argc > 2 ? argv[2] : dir + "..\\Install_Korvane.exe";
  const std::string nsis = argc > 3 ? argv[3] : dir + "nsis\\PeerSilent.exe";
  if (!Exists(nsis)) {
    std::fprintf(stderr, "%s not found: run scripts/bench-setup.sh first\n", nsis.c_str());
    return 1;
  }
  CreateDirectoryA(KRoot.c_str(), nullptr);

  // One untimed run each warms the file cache and Wine's services; a failure of ours here drops
  // it from the comparison, a failure of NSIS ends the benchmark.
  std::string oursFailure = TimeInstall(ours, KRoot + "warm-ours\\").Failure;
  if (oursFailure.empty()) oursFailure = TimeInstall(ours, KRoot + "warm-toolbar\\", true).Failure;
  const std::string nsisFailure = TimeInstall(nsis, KRoot + "warm-nsis\\").Failure;
  if (!nsisFailure.empty()) {
    std::fprintf(stderr, "NSIS peer failed: %s\n", nsisFailure.c_str());
    RemoveDirectoryA(KRoot.c_str());
    return 1;
  }
  std::vector<double> oursMs, toolbarMs, nsisMs;
  for (int i = 0; i < runs; ++i) {
    if (oursFailure.empty()) {
      const TRun run = TimeInstall(ours, KRoot + "ours" + std::to_string(i) + "\\");
      oursFailure = run.Failure;
      oursMs.push_back(run.Ms);
    }
    if (oursFailure.empty()) {
      const TRun run = TimeInstall(ours, KRoot + "toolbar" + std::to_string(i) + "\\", true);
      oursFailure = run.Failure;
      toolbarMs.push_back(run.Ms);
    }
    const TRun run = TimeInstall(nsis, KRoot + "nsis" + std::to_string(i) + "\\");
    if (!run.Failure.empty()) {
      std::fprintf(stderr, "NSIS peer failed: %s\n", run.Failure.c_str());
      RemoveDirectoryA(KRoot.c_str());
      return 1;
    }
    nsisMs.push_back(run.Ms);
  }
  RemoveDirectoryA(KRoot.c_str());

  const double n = Median(nsisMs);
  if (!oursFailure.empty()) {
    std::printf("ours FAILED, no ratio: %s\n", oursFailure.c_str());
    std::printf("silent installation, start to exit, median of %d runs: NSIS %.1f ms\n", runs, n);
    return 1;
  }
  const double o = Median(oursMs), t = Median(toolbarMs);
  std::printf("silent installation, start to exit, median of %d runs: ours %.1f ms, NSIS %.1f ms, ratio ours/NSIS %.2f\n",
              runs, o, n, o / n);
  std::printf("silent installation with the toolbar, median of %d runs: ours %.1f ms, ratio ours/NSIS %.2f\n", runs,
              t, t / n);
  return 0;
}
