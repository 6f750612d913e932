#include "panels/PNL_InstallInstalling.h"

#include <commctrl.h>

#include "app/Appl_Globals.h"
#include "app/Form_Main.h"
#include "lib/win/Elevation.h"
#include "engine/Engine.h"
#include "payload/GB_Payload.h"

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
      run_({[this](int position, int) { ShowInstallProgress(position); }, {}}) {}

void TPNLInstallInstalling::CreateControls() { Build(*this, std::span(kControls)); }

void TPNLInstallInstalling::ShowInstallProgress(int Position) {
  SendMessageW(ProgressBar1, PBM_SETPOS, static_cast<WPARAM>(Position), 0);
  const auto position = SendMessageW(ProgressBar1, PBM_GETPOS, 0, 0);
  const auto maximum = SendMessageW(ProgressBar1, PBM_GETRANGE, FALSE, 0);
  SetTextOf(Label12, std::to_string(RoundPercent(position, maximum)) + "% complete");
}

void TPNLInstallInstalling::BeforeShow() { ShowInstallProgress(0); }

void TPNLInstallInstalling::AfterShow() {
  SendMessageW(ProgressBar1, PBM_SETRANGE32, 0, InstallProgressMaximum());
  TInstallPlan plan{GInstallDir, GDownloadDir, GConnectionType, GInstallerTag, GInstallToolbar, GDesktopShortcut};
  plan.Elevated = RunsElevated();
  AppLog().Line("Installation into \"" + plan.InstallDir + "\" started");
  run_.Start([plan](TEngineEvents& events) -> TEngineRun::TDone {
    const TInstallResult r = RunInstallation(plan, events);
    return [r] {
      GInstallDir = r.InstallDir;
      GAppDataDir = r.AppDataDir;
      GDataDir = r.DataDir;
      GDownloadDir = r.DownloadDir;
      AppLog().Line("Folders: installation \"" + r.InstallDir + "\", data \"" + r.DataDir + "\", downloads \"" +
                    r.DownloadDir + "\"");
      AppLog().Line("Outcome: installed");
      FormMain->ShowPanel("PNLInstallReady", true);
    };
  });
}
