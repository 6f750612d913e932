#include "panels/PNL_InstallToolbar.h"

#include "lib/win/ShellHelpers.h"
#include "wizard/Form_Main.h"

namespace {
using P = TPNLInstallToolbar;

constexpr TControlDecl<P> kControls[] = {
    {TKind::CheckBox, &P::CheckBox1, 16, 124, 161, 17, "Install the Korvane toolbar."},
    {TKind::StaticText, &P::StaticText1, 8, 8, 668, 17,
     "The Korvane toolbar allows you to search the web, connect to the Korvane community, get weather info, play "
     "games and much much more."},
    {TKind::Picture, &P::Image2, 7, 28, 675, 56, "TOOLBARPIC"},
    {TKind::Picture, &P::Image1, 8, 84, 674, 24, "TOOLBARSTRIP"},
    {TKind::Label, &P::Label2, 36, 140, 0, 0, "(Recommended)"},
    {TKind::Label, &P::Label3, 16, 164, 0, 0,
     "If you select to install the Korvane toolbar by clicking next, you agree to abide by the "},
    {TKind::Label, &P::Label4, 393, 163, 0, 0, "license agreement", {.Underline = true}, Rgb(0, 0, 255), clNone, 0,
     nullptr, &P::Label4Click},
    {TKind::Label, &P::Label5, 18, 179, 0, 0,
     ", enable auto updates, enable search from address bar, and set the toolbar search as default."},
    {TKind::Label, &P::Label1, 12, 206, 0, 0,
     "Installation of this toolbar is optional. The toolbar can be deactivated and/or uninstalled at any time."},
};
}  // namespace

TPNLInstallToolbar::TPNLInstallToolbar()
    : TFramePanel("PNLInstallToolbar", "Integrate the Korvane Toolbar in your browser",
                  {.GoOn = "&Next", .Previous = true}) {}

void TPNLInstallToolbar::CreateControls() {
  Build(*this, std::span(kControls));
  SendMessageW(CheckBox1, BM_SETCHECK, BST_CHECKED, 0);
  Arrange();
}

void TPNLInstallToolbar::Arrange() {
  // The link continues the sentence of Label3 wherever this screen's font ends it.
  RECT r3, r4;
  GetWindowRect(Label3, &r3);
  GetWindowRect(Label4, &r4);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r3), 2);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r4), 2);
  SetWindowPos(Label4, nullptr, r3.right - 1, r4.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TPNLInstallToolbar::BeforeShow() {
  SendMessageW(CheckBox1, BM_SETCHECK, Frame().State.InstallToolbar ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TPNLInstallToolbar::NextClick() {
  Frame().State.InstallToolbar = SendMessageW(CheckBox1, BM_GETCHECK, 0, 0) == BST_CHECKED;
  return true;
}

// The page comes from the network: the browser that shows it never gets the installer's rights.
void TPNLInstallToolbar::Label4Click() { OpenAsUser(KToolbarLicenceURL); }
