#include "panels/PNL_InstallReady.h"

#include "wizard/Form_Main.h"
#include "wizard/StartClient.h"

namespace {
using P = TPNLInstallReady;

constexpr TControlDecl<P> kControls[] = {
    {TKind::Label, &P::Label9, 16, 24, 325, 13, "The installation of Korvane P2P is completed successfully.",
     {.Bold = true}},
    {TKind::Panel, &P::Panel45, -1, 56, 466, 257},
    {TKind::Picture, &P::Image1, 16, 0, 209, 209, "EMBLEM", {}, clNone, clNone, 0, &P::Panel45},
    {TKind::Label, &P::Label11, 216, 225, 0, 0, "Enjoy your Korvane P2P!", {.Height = -19, .Italic = true},
     Rgb(255, 255, 255), clNone, 0, &P::Panel45},
};
}  // namespace

TPNLInstallReady::TPNLInstallReady()
    : TFramePanel("PNLInstallReady", "Installation of Korvane P2P ready",
                  {.GoOn = "&Start Korvane P2P", .GoOnWidth = 2}) {}

void TPNLInstallReady::CreateControls() { Build(*this, std::span(kControls)); }

bool TPNLInstallReady::NextClick() {
  // Whether the client starts or not, the installer's work is done.
  StartInstalledClient(Frame(), Frame().State.InstallDir + "Korvane.Exe");
  Frame().Close();
  return false;
}
