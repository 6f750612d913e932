#include "panels/PNL_UpgradeFindDir.h"

#include <commctrl.h>

#include "app/Appl_Globals.h"
#include "app/Form_Main.h"
#include "engine/Engine.h"
#include "lib/win/WinText.h"

namespace {
using P = TPnlUpgradeFindDir;

constexpr TControlDecl<P> kControls[] = {
    {TKind::Picture, &P::Image9, 16, 16, 160, 202, "INSTALL"},
    {TKind::Label, &P::Label12, 200, 40, 140, 13, "0% complete", {}, Rgb(255, 255, 255)},
    {TKind::ProgressBar, &P::ProgressBar1, 200, 60, 457, 20},
    {TKind::StaticText, &P::StaticText4, 200, 100, 457, 60, "Explanation"},
};

constexpr char kNothingFound[] =
    "No installed Korvane P2P versions could be found,\r"
    "or the found Korvane P2P versions are newer than\r"
    "the one in this installation. An upgrade is\r"
    "not possible.";
}  // namespace

TPnlUpgradeFindDir::TPnlUpgradeFindDir() : TFramePanel("PnlUpgradeFindDir", "Searching Korvane P2P") {}

void TPnlUpgradeFindDir::CreateControls() { Build(*this, std::span(kControls)); }

bool TPnlUpgradeFindDir::ShowSearchProgress(uint8_t Percent) {
  SendMessageW(ProgressBar1, PBM_SETPOS, Percent, 0);
  SetTextOf(Label12, std::to_string(Percent) + "% complete");
  ProcessMessages();
  return false;
}

bool TPnlUpgradeFindDir::AcceptFound(const std::string&) { return true; }

void TPnlUpgradeFindDir::AfterShow() {
  ShowSearchProgress(0);
  SetTextOf(StaticText4,
                 "Now searching for installed Korvane P2P versions on your hard disks.\r"
                 "This can take a few moments.");
  GFoundInstallations = UpgradeChoices(FindFiles(
      "korvane.exe", 1, "", [this](uint8_t percent) { return ShowSearchProgress(percent); },
      [this](const std::string& path) { return AcceptFound(path); }, 0, *Platform));
  if (!GFoundInstallations.empty()) {
    ShowSearchProgress(0);
    FormMain->ShowPanel("PnlUpgradeStart", true);
  } else {
    MessageBoxW(FormMain->Handle(), Wide(kNothingFound).c_str(), L"Install Korvane P2P", MB_OK);
    FormMain->ShowPanel("PnlInstall", true);
  }
}
