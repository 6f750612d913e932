#include "panels/PNL_UpgradeFindDir.h"

#include <commctrl.h>

#include "engine/Engine.h"
#include "lib/win/WinText.h"
#include "wizard/Form_Main.h"

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

TPnlUpgradeFindDir::TPnlUpgradeFindDir()
    : TFramePanel("PnlUpgradeFindDir", "Searching Korvane P2P"),
      run_({.Progress = [this](int percent, int) { ShowSearchProgress(static_cast<uint8_t>(percent)); }}) {}

void TPnlUpgradeFindDir::CreateControls() { Build(*this, std::span(kControls)); }

void TPnlUpgradeFindDir::ShowSearchProgress(uint8_t Percent) {
  SendMessageW(ProgressBar1, PBM_SETPOS, Percent, 0);
  SetTextOf(Label12, ProgressCaption(Percent));
}

void TPnlUpgradeFindDir::AfterShow() {
  ShowSearchProgress(0);
  SetTextOf(StaticText4,
            "Now searching for installed Korvane P2P versions on your hard disks.\r"
            "This can take a few moments.");
  run_.Start(Frame(), [this, platform = Platform](TEngineEvents& events) -> TEngineRun::TDone {
    std::vector<std::string> found = FindInstallations(*platform, events);
    return [this, found = std::move(found)] {
      Frame().State.FoundInstallations = found;
      if (!found.empty()) ShowSearchProgress(0);
      else MessageBoxW(Frame().Handle(), Wide(kNothingFound).c_str(), L"Install Korvane P2P", MB_OK);
      Frame().Next();
    };
  });
}
