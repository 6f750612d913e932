#include "panels/PNL_UpgradeUpgrading.h"

#include <commctrl.h>

#include "wizard/Appl_Report.h"
#include "wizard/Form_Main.h"

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
      run_({.Progress = [this](int position, int) { ShowUpgradeProgress(position); },
            .Status = [this](const std::string& text) { SetTextOf(Label1, text); }},
           "Korvane P2P is being upgraded") {}

void TPNLUpgradeUpgrading::CreateControls() { Build(*this, std::span(kControls)); }

void TPNLUpgradeUpgrading::ShowUpgradeProgress(int Value) { ShowProgress(ProgressBar1, Label12, Value); }

void TPNLUpgradeUpgrading::BeforeShow() { ShowUpgradeProgress(0); }

void TPNLUpgradeUpgrading::AfterShow() {
  SendMessageW(ProgressBar1, PBM_SETRANGE32, 0, KUpgradeProgressMaximum);
  const TSetupState& state = Frame().State;
  const TUpgradePlan plan{.InstallDir = state.InstallDir, .AutoUpdate = state.AutoUpdate, .Retry = Retry};
  AppLog().Line(std::string(plan.AutoUpdate ? "Self-update" : "Upgrade") + " of \"" + plan.InstallDir + "\" started");
  run_.Start(Frame(), [this, plan](TEngineEvents& events) -> TEngineRun::TDone {
    RunUpgrade(plan, events);
    return [this, autoUpdate = plan.AutoUpdate] {
      AppLog().Line("Outcome: upgraded");
      if (autoUpdate) EndProcess(0);
      else Frame().Next();
    };
  });
}
