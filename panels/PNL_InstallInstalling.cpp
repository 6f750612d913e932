#include "panels/PNL_InstallInstalling.h"

#include <commctrl.h>

#include "engine/Engine.h"
#include "payload/GB_Payload.h"
#include "wizard/Appl_Report.h"
#include "wizard/Appl_State.h"
#include "wizard/Form_Main.h"

namespace {
using P = TPNLInstallInstalling;

constexpr TControlDecl<P> kControls[] = {
    // Centred where the caption stands, wide enough for "100% complete" in any screen font.
    {TKind::Label, &P::Label12, 304, 200, 140, 13, "0% complete", {}, Rgb(255, 255, 255), clNone, SS_CENTER},
    {TKind::ProgressBar, &P::ProgressBar1, 39, 232, 634, 26},
};

}  // namespace

TPNLInstallInstalling::TPNLInstallInstalling()
    : TFramePanel("PNLInstallInstalling", "Installing Korvane P2P"),
      run_({.Progress = [this](int position, int) { ShowInstallProgress(position); },
            .FoldersSettled = [this](const TInstallResult& folders) { SettleFolders(Frame().State, folders); }},
           "Korvane P2P is being installed") {}

void TPNLInstallInstalling::CreateControls() { Build(*this, std::span(kControls)); }

void TPNLInstallInstalling::ShowInstallProgress(int Position) { ShowProgress(ProgressBar1, Label12, Position); }

void TPNLInstallInstalling::BeforeShow() { ShowInstallProgress(0); }

void TPNLInstallInstalling::AfterShow() {
  SendMessageW(ProgressBar1, PBM_SETRANGE32, 0, InstallProgressMaximum());
  const TInstallPlan plan = InstallPlanOf(Frame().State);
  AppLog().Line("Installation into \"" + plan.InstallDir + "\" started");
  run_.Start(Frame(), [this, plan](TEngineEvents& events) -> TEngineRun::TDone {
    const TInstallResult r = RunInstallation(plan, events);
    return [this, r] {
      SettleFolders(Frame().State, r);
      AppLog().Line("Folders: installation \"" + r.InstallDir + "\", data \"" + r.DataDir + "\", downloads \"" +
                    r.DownloadDir + "\"");
      AppLog().Line("Outcome: installed");
      Frame().Next();
    };
  });
}
