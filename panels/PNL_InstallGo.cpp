#include "panels/PNL_InstallGo.h"

#include "wizard/Form_Main.h"

namespace {
using P = TPNLInstallGo;

// The three summary lines change with the answers: wide enough for a long folder.
constexpr TControlDecl<P> kControls[] = {
    {TKind::Picture, &P::Image7, 8, 8, 193, 164, "INSTALL"},
    {TKind::Label, &P::Label1, 208, 16, 0, 0, "All questions are answered."},
    {TKind::Label, &P::Label2, 208, 32, 0, 0, "Click the button \"Install Now\" and the installation will begin."},
    {TKind::Label, &P::Label6, 228, 55, 480, 13},
    {TKind::Label, &P::Label7, 228, 76, 480, 13},
    {TKind::Label, &P::Label9, 228, 98, 480, 13},
};
}  // namespace

TPNLInstallGo::TPNLInstallGo()
    : TFramePanel("PNLInstallGo", "Ready to install", {.GoOn = "&Install Now", .GoOnWidth = 2, .Previous = true}) {}

void TPNLInstallGo::CreateControls() { Build(*this, std::span(kControls)); }

void TPNLInstallGo::BeforeShow() {
  const TSetupState& state = Frame().State;
  SetTextOf(Label6, "Installation folder = " + state.InstallDir);
  SetTextOf(Label7, "Download folder = " + state.DownloadDir);
  SetTextOf(Label9, state.DesktopShortcut ? "Create shortcut on desktop = Yes" : "Create shortcut on desktop = No");
}
