// Time from process start to the first painted window: the installer against a minimal Win32
// window program (this same exe with --minimal), both started the same way in the same run; and
// against an NSIS Modern UI installer (bench/nsis/peer-mui.nsi, built by scripts/bench-setup.sh)
// when it is there.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "lib/LIB_Version.h"
#include "lib/win/WinApp.h"

namespace {

const std::string KWizardTitle = std::string("Install Korvane P2P ") + KProductVersion;

int RunMinimal() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(h, m, w, l);
  };
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "KvMinimal";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, "KvMinimal", "Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 780, 509,
                           nullptr, nullptr, wc.hInstance, nullptr);
  ShowWindow(w, SW_SHOW);
  UpdateWindow(w);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * double(c.QuadPart) / double(f.QuadPart);
}

// Starts the program, waits until its message loop first idles with its window visible (it has
// painted by then), and returns the milliseconds that took; nothing when it ended before that.
std::optional<double> TryTimeToFirstPaint(std::string commandLine, const char* title) {
  STARTUPINFOA si{sizeof(si)};
  PROCESS_INFORMATION pi{};
  const double t0 = Now();
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return std::nullopt;
  WaitForInputIdle(pi.hProcess, 20000);
  HWND w = nullptr;
  while (!(w = FindWindowA(nullptr, title)) || !IsWindowVisible(w)) {
    if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) {
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
      return std::nullopt;
    }
  }
  const double ms = Now() - t0;
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return ms;
}

double TimeToFirstPaint(const std::string& commandLine, const char* title) {
  const auto ms = TryTimeToFirstPaint(commandLine, title);
  if (!ms) {
    std::fprintf(stderr, "%s ended or did not start before showing its window\n", commandLine.c_str());
    std::exit(1);
  }
  return *ms;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--minimal") return RunMinimal();
  const std::string self = ExePath();
  const std::string dir = self.substr(0, self.find_last_of('\\') + 1);
  const std::string installer = "\"" + (argc > 2 ? std::string(argv[2]) : dir + "..\\Install_Korvane.exe") + "\"";
  const std::string minimal = "\"" + self + "\" --minimal";
  const std::string peerPath = dir + "nsis\\PeerMUI.exe", peer = "\"" + peerPath + "\"";
  const char* peerTitle = "Korvane P2P NSIS Setup";
  const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
  std::vector<double> base, wizard, nsis;
  TimeToFirstPaint(minimal, "Minimal");  // warm the file cache for all
  TimeToFirstPaint(installer, KWizardTitle.c_str());
  bool withPeer = GetFileAttributesA(peerPath.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (!withPeer)
    std::printf("%s not found (scripts/bench-setup.sh builds it): no NSIS figure\n", peerPath.c_str());
  else if (!TryTimeToFirstPaint(peer, peerTitle)) {
    std::printf("%s did not show its window (a prefix without 32-bit Wine?): no NSIS figure\n", peerPath.c_str());
    withPeer = false;
  }
  for (int i = 0; i < runs; ++i) {
    base.push_back(TimeToFirstPaint(minimal, "Minimal"));
    wizard.push_back(TimeToFirstPaint(installer, KWizardTitle.c_str()));
    if (withPeer) nsis.push_back(TimeToFirstPaint(peer, peerTitle));
  }
  const double b = Median(base), w = Median(wizard);
  std::printf("first painted window, median of %d runs: minimal %.1f ms, wizard %.1f ms, ratio %.2f\n", runs, b, w,
              w / b);
  if (withPeer) {
    const double n = Median(nsis);
    std::printf("first painted window, median of %d runs: NSIS Modern UI %.1f ms, ratio wizard/NSIS %.2f\n", runs, n,
                w / n);
  }
  return 0;
}
