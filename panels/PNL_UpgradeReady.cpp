#include "panels/PNL_UpgradeReady.h"

#include "wizard/Form_Main.h"
#include "wizard/StartClient.h"

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

TPNLUpgradeReady::TPNLUpgradeReady()
    : TFramePanel("PNLUpgradeReady", "Upgrade of Korvane P2P ready",
                  {.GoOn = "&Start Korvane P2P", .GoOnWidth = 2}) {}

void TPNLUpgradeReady::CreateControls() { Build(*this, std::span(kControls)); }

bool TPNLUpgradeReady::NextClick() {
  // Whether the client starts or not, the installer's work is done.
  StartInstalledClient(Frame(), Frame().State.InstallDir + "Korvane.Exe");
  Frame().Close();
  return false;
}
