#include "panels/PNL_UpgradeUpgrading.h"

#include <commctrl.h>

#include "app/Appl_Globals.h"
#include "app/Form_Main.h"

namespace {
using P = TPNLUpgradeUpgrading;

constexpr TControlDecl<P> kControls[] = {
    {TKind::Label, &P::Label1, 39, 24, 634, 30, ".", {}, Rgb(255, 0, 0)},
    // Centred where the caption stands, wide enough for "100% complete" in any screen font.
    {TKind::Label, &P::Label12, 304, 200, 140, 13, "0% complete", {}, Rgb(255, 255, 255), clNone, SS_CENTER},
    {TKind::ProgressBar, &P::ProgressBar1, 39, 232, 634, 26},
};

}  // namespace

TPNLUpgradeUpgrading::TPNLUpgradeUpgrading()
    : TFramePanel("PNLUpgradeUpgrading", "Upgrading Korvane P2P"),
      run_({[this](int position, int) { ShowUpgradeProgress(position); },
            [this](const std::string& text) { SetTextOf(Label1, text); }}) {}

void TPNLUpgradeUpgrading::CreateControls() { Build(*this, std::span(kControls)); }

void TPNLUpgradeUpgrading::ShowUpgradeProgress(int Value) {
  SendMessageW(ProgressBar1, PBM_SETPOS, static_cast<WPARAM>(Value), 0);
  const auto position = SendMessageW(ProgressBar1, PBM_GETPOS, 0, 0);
  const auto maximum = SendMessageW(ProgressBar1, PBM_GETRANGE, FALSE, 0);
  SetTextOf(Label12, std::to_string(RoundPercent(position, maximum)) + "% complete");
}

void TPNLUpgradeUpgrading::BeforeShow() { ShowUpgradeProgress(0); }

void TPNLUpgradeUpgrading::AfterShow() {
  SendMessageW(ProgressBar1, PBM_SETRANGE32, 0, KUpgradeProgressMaximum);
  const TUpgradePlan plan{GInstallDir, GAutoUpdate, Retry};
  AppLog().Line(std::string(plan.AutoUpdate ? "Self-update" : "Upgrade") + " of \"" + plan.InstallDir + "\" started");
  run_.Start([plan](TEngineEvents& events) -> TEngineRun::TDone {
    RunUpgrade(plan, events);
    return [autoUpdate = plan.AutoUpdate] {
      AppLog().Line("Outcome: upgraded");
      if (autoUpdate) EndProcess(0);
      else FormMain->ShowPanel("PNLUpgradeReady", true);
    };
  });
}
