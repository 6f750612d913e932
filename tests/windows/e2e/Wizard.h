// The real installer as a user sees it, for the end-to-end runs: started, its panels
// answered by accelerator keys, typed folders and ticks, its controls read back.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "lib/LIB_Text.h"
#include "tests/windows/TestFiles.h"

// The installer under test, as a Windows path.
inline std::string gInstaller;

inline void SetInstaller(std::string path) {
  if (path.starts_with('/')) {  // a Unix path: Wine's Z: drive is the root
    std::replace(path.begin(), path.end(), '/', '\\');
    path = "Z:" + path;
  }
  gInstaller = path;
}

// The installer started with `arguments`, as a script or the client starts it; ended at the
// latest with the object.
class TInstallerRun {
 public:
  explicit TInstallerRun(const std::string& arguments) {
    STARTUPINFOW si{sizeof si};
    std::wstring cmd = Wide("\"" + gInstaller + "\" " + arguments);
    Started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_);
  }
  ~TInstallerRun() {
    if (!Started) return;
    Kill();
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
  }
  TInstallerRun(const TInstallerRun&) = delete;
  TInstallerRun& operator=(const TInstallerRun&) = delete;

  // Waits up to `ms`; true when the installer has ended by itself.
  bool Ended(DWORD ms) const { return Started && WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0; }
  // Ends it at once, as a crash or a power cut would.
  void Kill() const {
    TerminateProcess(pi_.hProcess, 9);
    WaitForSingleObject(pi_.hProcess, INFINITE);
  }
  // Its exit code when it ends within `ms`; otherwise it is killed and the code is STILL_ACTIVE.
  DWORD ExitCode(DWORD ms = 60000) const {
    if (!Ended(ms)) {
      if (Started) Kill();
      return STILL_ACTIVE;
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }

  bool Started = false;

 private:
  PROCESS_INFORMATION pi_{};
};

class TWizard {
 public:
  TWizard() {
    STARTUPINFOA si{sizeof si};
    std::string cmd = "\"" + gInstaller + "\"";
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) return;
    // Its own window: another wizard (an in-process test's in the same session) may be open too.
    for (int i = 0; i < 200 && !main_; ++i) {
      for (HWND h = nullptr; !main_ && (h = FindWindowExA(nullptr, h, "TFormMain", nullptr));) {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid == pi_.dwProcessId) main_ = h;
      }
      if (!main_) Sleep(50);
    }
  }
  ~TWizard() {
    if (pi_.hProcess) {
      if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 1);
      CloseHandle(pi_.hProcess);
      CloseHandle(pi_.hThread);
    }
  }
  bool Running() const { return main_ != nullptr; }

  // Waits until the shown panel holds a control whose text contains `text`.
  HWND WaitFor(const std::string& text, int ms = 30000) {
    for (int waited = 0; waited < ms; waited += 50) {
      if (HWND h = Find(text)) return h;
      Sleep(50);
    }
    ADD_FAILURE() << "not shown: " << text;
    return nullptr;
  }
  // An accelerator key of the button bar, as Alt+key.
  void Key(char c) { PostMessageA(main_, WM_SYSCHAR, static_cast<WPARAM>(c), 0); }
  // Presses a bar button until the panel with `next` shows: a press while the panels still
  // slide is ignored, as it is for the user.
  void Advance(char c, const std::string& next) {
    for (int i = 0; i < 20; ++i) {
      Key(c);
      for (int waited = 0; waited < 2000; waited += 50) {
        if (Find(next)) return;
        Sleep(50);
      }
    }
    ADD_FAILURE() << "not shown: " << next;
  }
  // Presses a bar button until the installer has ended.
  bool PressToEnd(char c) {
    for (int i = 0; i < 20; ++i) {
      Key(c);
      if (WaitExit(2000)) return true;
    }
    return false;
  }
  void Tick(const std::string& text) {
    if (HWND h = WaitFor(text)) SendMessageA(h, BM_CLICK, 0, 0);
  }
  void TypeFolder(const std::string& text) {
    HWND edit = nullptr;
    for (HWND h : Visible())
      if (Class(h) == "edit") edit = h;
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  // The text of the shown control that contains `part`; empty when there is none.
  std::string TextWith(const std::string& part) const {
    const HWND h = Find(part);
    return h ? Text(h) : "";
  }
  // The first shown control of a window class (lower case), or null.
  HWND Control(const std::string& cls) const {
    for (HWND h : Visible())
      if (Class(h) == cls) return h;
    return nullptr;
  }
  bool WaitExit(int ms = 20000) { return WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0; }
  DWORD ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }
  // The text of a message box the installer shows within `ms`, answered with OK; empty when
  // none shows.
  std::string AnswerMessageBox(int ms = 10000) {
    struct TFind {
      DWORD pid;
      HWND box = nullptr;
    } find{pi_.dwProcessId};
    for (int waited = 0; waited < ms && !find.box; waited += 50) {
      EnumWindows(
          [](HWND h, LPARAM p) -> BOOL {
            auto& f = *reinterpret_cast<TFind*>(p);
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            if (pid == f.pid && IsWindowVisible(h) && Class(h) == "#32770") f.box = h;
            return f.box == nullptr;
          },
          reinterpret_cast<LPARAM>(&find));
      if (!find.box) Sleep(50);
    }
    if (!find.box) return "";
    std::string text;
    for (HWND h = GetWindow(find.box, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
      if (Class(h) == "static" && !Text(h).empty()) text = Text(h);
    PostMessageA(find.box, WM_COMMAND, IDOK, 0);
    return text;
  }

  // Answers the default questions up to the confirmation panel.
  void ToConfirmation(const std::function<void()>& onChoice = {}, const std::function<void()>& onFolder = {},
                      const std::function<void()>& onDownloads = {}, const std::function<void()>& onConnection = {},
                      const std::function<void()>& onToolbar = {}) {
    WaitFor("Thanks for installing Korvane P2P");
    Advance('n', "&I have read the statement above");
    Tick("&I have read the statement above");
    Advance('n', "&Install Korvane P2P on this computer");
    if (onChoice) onChoice();
    Advance('n', "The installation folder is the folder");
    if (onFolder) onFolder();
    Advance('n', "The download folder is the folder");
    if (onDownloads) onDownloads();
    Advance('n', "Internet-connection");
    if (onConnection) onConnection();
    Advance('n', "Install the Korvane toolbar.");
    if (onToolbar) onToolbar();
    Advance('n', "All questions are answered.");
  }

 private:
  static std::string Class(HWND h) {
    char c[64] = "";
    GetClassNameA(h, c, sizeof c);
    return LowerCase(c);
  }
  static std::string Text(HWND h) {
    char t[1024] = "";
    GetWindowTextA(h, t, sizeof t);
    return t;
  }
  std::vector<HWND> Visible() const {
    std::vector<HWND> found;
    EnumChildWindows(
        main_,
        [](HWND h, LPARAM p) -> BOOL {
          if (IsWindowVisible(h)) reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
  }
  HWND Find(const std::string& text) const {
    for (HWND h : Visible())
      if (Text(h).find(text) != std::string::npos) return h;
    return nullptr;
  }
  PROCESS_INFORMATION pi_{};
  HWND main_ = nullptr;
};

// Runs an installation's uninstaller quietly and waits until its copy has removed it.
inline void Uninstall(const std::string& installDir) {
  STARTUPINFOW si{sizeof si};
  PROCESS_INFORMATION pi{};
  std::wstring cmd = Wide("\"" + installDir + "Uninstall.Exe\" /quiet");
  ASSERT_TRUE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  WaitForSingleObject(pi.hProcess, 30000);
  DWORD code = 99;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  EXPECT_EQ(code, 0u);
  // The uninstaller leaves the folders and itself to a copy that waits for it to end.
  for (int i = 0; i < 100 && Exists(installDir + "Uninstall.Exe"); ++i) Sleep(100);
  Sleep(500);
}
