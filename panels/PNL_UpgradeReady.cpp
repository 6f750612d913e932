#include "panels/PNL_UpgradeReady.h"

#include "app/Appl_Globals.h"
#include "app/Form_Main.h"
#include "app/StartClient.h"

namespace {
using P = TPNLUpgradeReady;

// The sky-blue band lies over the picture's upper part, so it comes after the picture.
constexpr TControlDecl<P> kControls[] = {
    {TKind::Label, &P::Label9, 16, 24, 0, 0, "The upgrade of Korvane is completed succesfully.", {.Bold = true}},
    {TKind::Picture, &P::Image8, 16, 56, 383, 302, "EMBLEM"},
    {TKind::Panel, &P::Panel45, 16, 56, 383, 120, "", {}, clNone, clPanelSky},
    {TKind::Label, &P::Label11, 200, 90, 0, 0, "Enjoy your Korvane!", {.Height = -19, .Italic = true},
     Rgb(255, 255, 255), clNone, 0, &P::Panel45},
};
}  // namespace

TPNLUpgradeReady::TPNLUpgradeReady() : TFramePanel("PNLUpgradeReady", "Upgrade of Korvane P2P ready") {}

void TPNLUpgradeReady::CreateControls() { Build(*this, std::span(kControls)); }

void TPNLUpgradeReady::InitButtons(tKvButtonBar& bar) {
  bar.AddLeft("&Exit", 1, 1, [this](TLbSpeedButton&) { ExitClick(); });
  bar.AddRight("&Start Korvane P2P", 2, 2, [this](TLbSpeedButton&) { StartClientClick(); });
}

void TPNLUpgradeReady::ExitClick() {
  if (FormMain->Busy) return;
  FormMain->Close();
}

void TPNLUpgradeReady::StartClientClick() {
  if (FormMain->Busy) return;
  // Whether the client starts or not, the installer's work is done.
  StartInstalledClient(GInstallDir + "Korvane.Exe");
  FormMain->Close();
}
