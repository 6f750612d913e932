#include "panels/PNL_InstallGo.h"

#include "app/Appl_Globals.h"
#include "app/Form_Main.h"

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

TPNLInstallGo::TPNLInstallGo() : TFramePanel("PNLInstallGo", "Ready to install") {}

void TPNLInstallGo::CreateControls() { Build(*this, std::span(kControls)); }

void TPNLInstallGo::InitButtons(tKvButtonBar& bar) {
  bar.AddLeft("&Exit", 1, 1, [this](TLbSpeedButton&) { ExitClick(); });
  bar.AddRight("&Install Now", 2, 2, [this](TLbSpeedButton&) { InstallNowClick(); });
  bar.AddRight("&Previous", 3, 1, [this](TLbSpeedButton&) { PreviousClick(); });
}

void TPNLInstallGo::BeforeShow() {
  SetTextOf(Label6, "Installation folder = " + GInstallDir);
  SetTextOf(Label7, "Download folder = " + GDownloadDir);
  SetTextOf(Label9, GDesktopShortcut ? "Create shortcut on desktop = Yes" : "Create shortcut on desktop = No");
}

void TPNLInstallGo::ExitClick() {
  if (FormMain->Busy) return;
  FormMain->Close();
}

void TPNLInstallGo::InstallNowClick() {
  if (FormMain->Busy) return;
  FormMain->ShowPanel("PNLInstallInstalling", true);
}

void TPNLInstallGo::PreviousClick() {
  if (FormMain->Busy) return;
  FormMain->ShowPanel("PnlInstallToolbar", true);
}
