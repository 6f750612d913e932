// What the installer starts for the user, and how: the client from the completion panels, the
// mail program from the support links. An elevated installer never lends its own rights.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "lib/win/Elevation.h"
#include "lib/win/ShellHelpers.h"
#include "lib/win/WinApp.h"
#include "panels/PNL_Error.h"
#include "panels/PNL_Install.h"
#include "tests/windows/ScriptedShell.h"
#include "tests/windows/TestFiles.h"
#include "tests/windows/WizardTestUtil.h"
#include "wizard/Appl_Report.h"

namespace {

std::string StandInClient() {
  const std::string exe = ExePath();
  return exe.substr(0, exe.find_last_of('\\') + 1) + "programs\\Korvane.Exe";
}

// A client window shows up within `ms`.
bool ClientShows(DWORD ms) {
  for (const DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(100))
    if (FindWindowA("KorvaneP2P", nullptr)) return true;
  return false;
}

class StartForUser : public TWizardTest {
 protected:
  void SetUp() override {
    // Wine gives every user an administrator's token: these are the elevated installer's ways.
    ASSERT_TRUE(RunsElevated());
    TWizardTest::SetUp();
    shell_.emplace();
    char temp[MAX_PATH];
    log_ = std::string(temp, GetTempPathA(MAX_PATH, temp)) + "kvtest start.log";
  }
  void TearDown() override {
    OpenAppLog("");
    DeleteFileA(log_.c_str());
    shell_.reset();
    TWizardTest::TearDown();
  }
  // The log so far; it is closed for good.
  std::string Log() {
    OpenAppLog("");
    return ReadAll(log_);
  }
  static bool QuitPosted() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE);
  }

  std::optional<TScriptedShell> shell_;
  std::string log_;
};

TEST_F(StartForUser, CompletionPanelsStartTheClientThroughTheShellAskAgainThenSayHow) {
  const std::string started = "Client started: done, by the desktop shell with the user's own rights";
  const std::string tryFailed = ": failed, no desktop shell could start it with the user's own rights";
  const struct {
    std::vector<bool> answers;
    size_t asked;
    std::string messageBox;
    std::vector<std::string> logged;
  } cases[] = {
      {{true}, 1, "(no message box)", {started}},
      {{false, false, true}, 3, "(no message box)",
       {"Client start, try 1 of 4" + tryFailed, "Client start, try 2 of 4" + tryFailed, started}},
      {{false},
       4,
       "Korvane P2P could not be started. Please start it from the Start menu: Korvane P2P > Korvane P2P.",
       {"Client start, try 1 of 4" + tryFailed, "Client start, try 2 of 4" + tryFailed,
        "Client start, try 3 of 4" + tryFailed, "Client start, try 4 of 4" + tryFailed,
        "Client not started: the user was told to start it from the Start menu"}},
  };
  for (const TPanelId panel : {TPanelId::InstallReady, TPanelId::UpgradeReady}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::to_string(static_cast<int>(panel)) + ", shell answers " + std::to_string(c.answers.size()));
      TWizardTest::TearDown();  // a fresh wizard for each case
      TWizardTest::SetUp();
      OpenAppLog(log_);
      TScriptedShell::Asked.clear();
      TScriptedShell::Answers = c.answers;
      form->State.InstallDir = "C:\\Program Files\\Korvane P2P\\";
      form->ShowPanel(panel, false);
      EXPECT_EQ(AnswerMessageBox([&] { ASSERT_TRUE(Press("&Start Korvane P2P")); }), c.messageBox);
      // The same request every time: the client, maximized, in its own folder.
      EXPECT_EQ(TScriptedShell::Asked,
                std::vector<std::string>(c.asked, "C:\\Program Files\\Korvane P2P\\Korvane.Exe||"
                                                  "C:\\Program Files\\Korvane P2P|" +
                                                      std::to_string(SW_SHOWMAXIMIZED)));
      // Whether it started or not, the wizard ends.
      EXPECT_TRUE(QuitPosted());
      EXPECT_FALSE(form->Busy);
      std::vector<std::string> lines;
      const std::string log = Log();
      for (size_t from = 0, at; (at = log.find("\r\n", from)) != std::string::npos; from = at + 2)
        lines.push_back(log.substr(from + 25, at - from - 25));  // without the time stamp
      EXPECT_EQ(lines, c.logged);
    }
  }
}

// Without a desktop shell to ask, nothing is started: the installer's own rights are never the
// way round it.
TEST_F(StartForUser, NoDesktopShellNoStartAtAll) {
  ASSERT_FALSE(ClientShows(0));
  // A shell that refuses, and none found at all.
  TScriptedShell::Answers = {false};
  EXPECT_EQ(StartAsUser(StandInClient(), "", SW_SHOWNORMAL), TStarted::Failed);
  EXPECT_EQ(OpenAsUser(StandInClient()), TStarted::Failed);
  EXPECT_EQ(TScriptedShell::Asked.size(), 2u);
  FindDesktopShell = [] { return std::unique_ptr<TDesktopShell>(); };
  TUserStarter ahead;  // made before the start, as the toolbar's is
  EXPECT_EQ(ahead.Start(StandInClient(), "", SW_SHOWNORMAL), TStarted::Failed);
  EXPECT_EQ(OpenAsUser(StandInClient()), TStarted::Failed);
  EXPECT_FALSE(ClientShows(1500));
}

// The shell says S_FALSE when it was asked but could not start the program: that is no start.
TEST_F(StartForUser, RealShellCannotStartWhatIsNotThere) {
  shell_.reset();
  EXPECT_EQ(StartAsUser("C:\\kvtest nowhere\\Korvane.Exe", "", SW_SHOWNORMAL), TStarted::Failed);
}

TEST_F(StartForUser, SupportLinksOpenTheMailProgramThroughTheShell) {
  const auto click = [](HWND label) {
    SendMessageA(GetParent(label), WM_COMMAND, MAKEWPARAM(0, STN_CLICKED), reinterpret_cast<LPARAM>(label));
  };
  const struct {
    TPanelId panel;
    const char* name;
    std::function<HWND(TFramePanel*)> link;
  } cases[] = {
      {TPanelId::Install, "PnlInstall", [](TFramePanel* p) { return static_cast<TPnlInstall*>(p)->Label18; }},
      {TPanelId::Error, "PnlError", [](TFramePanel* p) { return static_cast<TPnlError*>(p)->Label5; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TScriptedShell::Asked.clear();
    form->ShowPanel(c.panel, false);
    click(c.link(form->ActivePanel()));
    EXPECT_EQ(TScriptedShell::Asked,
              std::vector<std::string>{"mailto:help@korvane.example|||" + std::to_string(SW_SHOWNORMAL)});
    EXPECT_EQ(ActiveName(), c.name);
  }
}

}  // namespace
