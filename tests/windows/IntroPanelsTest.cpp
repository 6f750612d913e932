// The welcome, licence and install-or-upgrade panels in the real main window.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "panels/PNL_Disclaimer.h"
#include "panels/PNL_Install.h"
#include "panels/PNL_Welcome.h"
#include "tests/windows/WizardTestUtil.h"

namespace {

using Welcome = TWizardTest;

TEST_F(Welcome, FirstDrawsOfTheGeneratorGiveTheWordsTheirMotion) {
  auto& welcome = dynamic_cast<TPnlWelcome&>(*form->ActivePanel());
  EXPECT_EQ(ActiveName(), "PnlWelcome");
  EXPECT_EQ(form->HeaderCaption(), "Welcome");
  // The same draws, replayed: word 1 first, and per word up, left, vertical, horizontal.
  ResetRandom();
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(i + 1);
    const TMovingWord& w = welcome.Words()[i];
    EXPECT_EQ(w.MovingUp, Random(2) == 1);
    EXPECT_EQ(w.MovingLeft, Random(2) == 1);
    EXPECT_EQ(w.VerticalStep, Random(5) + 1);
    EXPECT_EQ(w.HorizontalStep, Random(5) + 1);
  }
  EXPECT_EQ(welcome.Words()[0].Left, 32);
  EXPECT_EQ(welcome.Words()[6].Top, 328);
}

TEST_F(Welcome, OfAllPanelsOnlyTheWelcomeHasWindowsAtStart) {
  std::vector<HWND> panels;
  EnumChildWindows(
      form->Handle(),
      [](HWND h, LPARAM found) -> BOOL {
        char cls[32];
        if (GetClassNameA(h, cls, sizeof cls) && std::string(cls) == "KvFramePanel")
          reinterpret_cast<std::vector<HWND>*>(found)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&panels));
  EXPECT_EQ(panels, std::vector<HWND>{form->ActivePanel()->Handle()});
  EXPECT_NE(GetWindow(form->ActivePanel()->Handle(), GW_CHILD), nullptr);
  // The other panels are there all the same: the last one made, the error panel, takes failures.
  ASSERT_NE(form->Panel(TPanelId::Error), nullptr);
  EXPECT_EQ(form->Panel(TPanelId::Error)->Handle(), nullptr);
}

// The check of the installer's own file runs beside the welcome panel, which waits for it:
// a slow check holds Next back, a failed one says so and ends the run before anything is written.
TEST_F(Welcome, NextWaitsForTheInstallerCheckAndAFailedOneEndsTheRun) {
  form->CheckInstallerBeside([] {
    Sleep(300);
    return std::string();
  });
  Press("&Next");
  EXPECT_EQ(ActiveName(), "PnlDisclaimer");

  form.reset();
  form = CreateWizard(TCommandLine{});
  form->CheckInstallerBeside([] { return std::string("it is cut short"); });
  EXPECT_EQ(AnswerMessageBox([&] { Press("&Next"); }), "The installer is damaged. Please download it again.");
  EXPECT_EQ(ActiveName(), "PnlWelcome");
  MSG quit;
  ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 2u);
}

TEST_F(Welcome, WordsMoveUntilNextAndNeverAgain) {
  auto& welcome = dynamic_cast<TPnlWelcome&>(*form->ActivePanel());
  const auto start = welcome.Words();
  ProcessMessagesFor(300);
  int moved = 0;
  for (int i = 0; i < 8; ++i)
    moved += welcome.Words()[i].Left != start[i].Left || welcome.Words()[i].Top != start[i].Top;
  EXPECT_EQ(moved, 8);

  ASSERT_TRUE(Press("&Next"));
  EXPECT_EQ(ActiveName(), "PnlDisclaimer");
  ASSERT_TRUE(Press("&Previous"));
  EXPECT_EQ(ActiveName(), "PnlWelcome");
  EXPECT_FALSE(welcome.Timer1Enabled());
  const auto stopped = welcome.Words();
  ProcessMessagesFor(300);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(welcome.Words()[i].Left, stopped[i].Left);
    EXPECT_EQ(welcome.Words()[i].Top, stopped[i].Top);
  }
}

TEST_F(Welcome, WordsStayInsideThePictureWidthAndPanelHeight) {
  auto& welcome = dynamic_cast<TPnlWelcome&>(*form->ActivePanel());
  for (int tick = 0; tick < 2000; ++tick) {
    welcome.Timer1Timer();
    for (const TMovingWord& w : welcome.Words()) {
      ASSERT_GE(w.Left, 0);
      ASSERT_LE(w.Left + w.Width, 513);
      ASSERT_GE(w.Top, 0);
      ASSERT_LE(w.Top + w.Height, 377);
    }
  }
}

class Licence : public TWizardTest {
 protected:
  TPnlDisclaimer& Show() {
    form->ShowPanel(TPanelId::Disclaimer, false);
    return dynamic_cast<TPnlDisclaimer&>(*form->ActivePanel());
  }
};

TEST_F(Licence, FortySevenLinesTwentyTwoEmpty) {
  TPnlDisclaimer& p = Show();
  std::vector<std::string> lines;
  std::string text = Text(p.MemoDisclaimer);
  for (size_t from = 0;;) {
    const size_t at = text.find("\r\n", from);
    lines.push_back(text.substr(from, at - from));
    if (at == std::string::npos) break;
    from = at + 2;
  }
  ASSERT_EQ(lines.size(), 47u);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), ""), 22);
  EXPECT_EQ(lines[0], "KORVANE P2P LICENSE AGREEMENT");
  EXPECT_EQ(lines[1], std::string(43, '-'));
  for (auto [line, heading] : {std::pair{12, "DISTRIBUTION"}, {17, "DISCLAIMER"}, {29, "USAGE RESTRICTIONS"},
                               {39, "PRO VERSION"}})
    EXPECT_EQ(lines[line - 1], heading);
  EXPECT_EQ(lines[46], "BY USING THIS SOFTWARE YOU AGREE TO BE BOUND BY THESE CONDITIONS.");
  EXPECT_EQ(form->HeaderCaption(), "License agreement and disclaimer");
}

TEST_F(Licence, NextUntickedShowsTheMessageAndStays) {
  TPnlDisclaimer& p = Show();
  const std::string shown = AnswerMessageBox([&] { Press("&Next"); });
  EXPECT_EQ(shown,
            "You can only install Korvane P2P in case you agree to this statement.\r"
            "Check the checkbox to confirm.\rOtherwise please press Exit");
  EXPECT_EQ(ActiveName(), "PnlDisclaimer");
  EXPECT_FALSE(Checked(p.CheckBox1));
}

TEST_F(Licence, AgreementMustBeGivenAgainAndTextStartsAtTopOnEveryShow) {
  TPnlDisclaimer& p = Show();
  SendMessageA(p.MemoDisclaimer, EM_LINESCROLL, 0, 40);
  ASSERT_GT(SendMessageA(p.MemoDisclaimer, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  SendMessageA(p.CheckBox1, BM_CLICK, 0, 0);
  ASSERT_TRUE(Checked(p.CheckBox1));
  ASSERT_TRUE(Press("&Next"));
  ASSERT_EQ(ActiveName(), "PnlInstall");
  ASSERT_TRUE(Press("&Previous"));
  ASSERT_EQ(ActiveName(), "PnlDisclaimer");
  EXPECT_FALSE(Checked(p.CheckBox1));
  EXPECT_EQ(SendMessageA(p.MemoDisclaimer, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  ASSERT_TRUE(Press("&Previous"));
  EXPECT_EQ(ActiveName(), "PnlWelcome");
}

class Choice : public TWizardTest {
 protected:
  void SetUp() override {
    TWizardTest::SetUp();
    StandIn(TPanelId::InstallChooseDir, "PnlInstallChooseDir");
    StandIn(TPanelId::UpgradeFindDir, "PnlUpgradeFindDir");
    form->ShowPanel(TPanelId::Install, false);
    panel = dynamic_cast<TPnlInstall*>(form->ActivePanel());
    ASSERT_NE(panel, nullptr);
  }
  TPnlInstall* panel = nullptr;
};

TEST_F(Choice, UntouchedNextInstallsWithDesktopShortcut) {
  EXPECT_EQ(form->HeaderCaption(), "Install or upgrade?");
  ASSERT_TRUE(Press("&Next"));
  EXPECT_EQ(ActiveName(), "PnlInstallChooseDir");
  EXPECT_FALSE(form->State.Upgrade);
  EXPECT_TRUE(form->State.DesktopShortcut);
}

TEST_F(Choice, UpgradeWithoutShortcutAndTheChoiceSurvivesGoingBack) {
  SendMessageA(panel->RadioButton2, BM_CLICK, 0, 0);
  SendMessageA(panel->CheckBox1, BM_CLICK, 0, 0);
  EXPECT_FALSE(Checked(panel->RadioButton1));
  ASSERT_TRUE(Press("&Next"));
  EXPECT_EQ(ActiveName(), "PnlUpgradeFindDir");
  EXPECT_TRUE(form->State.Upgrade);
  EXPECT_FALSE(form->State.DesktopShortcut);
  // The upgrade choice's way back.
  form->ShowPanel(TPanelId::Install, true);
  EXPECT_TRUE(Checked(panel->RadioButton2));
  EXPECT_FALSE(Checked(panel->RadioButton1));
  EXPECT_FALSE(Checked(panel->CheckBox1));
  // Install again: both flags are written anew.
  SendMessageA(panel->RadioButton1, BM_CLICK, 0, 0);
  EXPECT_FALSE(Checked(panel->RadioButton2));
  ASSERT_TRUE(Press("&Next"));
  EXPECT_EQ(ActiveName(), "PnlInstallChooseDir");
  EXPECT_FALSE(form->State.Upgrade);
}

TEST_F(Choice, PreviousLeadsToTheLicence) {
  ASSERT_TRUE(Press("&Previous"));
  EXPECT_EQ(ActiveName(), "PnlDisclaimer");
}

}  // namespace
