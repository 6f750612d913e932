#include "panels/PNL_Install.h"

#include "wizard/Appl_Report.h"
#include "wizard/Form_Main.h"

namespace {
bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetChecked(HWND button, bool on) { SendMessageW(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

// The white panel and what it holds come first; then the choice, in tab order.
constexpr TControlDecl<TPnlInstall> kControls[] = {
    {TKind::Panel, &TPnlInstall::Panel44, 8, 8, 345, 281, "", {}, clNone, clWhite},
    {TKind::Picture, &TPnlInstall::Image4, 8, 8, 225, 193, "INSTALL", {}, clNone, clNone, 0, &TPnlInstall::Panel44},
    {TKind::Label, &TPnlInstall::Label2, 8, 208, 0, 0,
     "We did a lot to make sure installation of Korvane P2P will work smoothly.", {}, clNone, clNone, 0,
     &TPnlInstall::Panel44},
    {TKind::Label, &TPnlInstall::Label5, 9, 228, 0, 0, "In case you might experience problems please let us know",
     {}, clNone, clNone, 0, &TPnlInstall::Panel44},
    {TKind::Label, &TPnlInstall::Label14, 8, 248, 0, 0, "so we can help you out. You can reach us at :", {}, clNone,
     clNone, 0, &TPnlInstall::Panel44},
    {TKind::Label, &TPnlInstall::Label18, 227, 248, 0, 0, KSupportAddress, {.Underline = true}, Rgb(0, 0, 255),
     clNone, 0, &TPnlInstall::Panel44, &TPnlInstall::Label18Click},
    {TKind::Label, &TPnlInstall::Label4a, 372, 17, 0, 0, "What do you want to do?", {.Bold = true}},
    {TKind::RadioButton, &TPnlInstall::RadioButton1, 389, 41, 252, 17, "&Install Korvane P2P on this computer", {},
     clNone, clNone, WS_GROUP, nullptr, &TPnlInstall::RadioButton1Click},
    {TKind::RadioButton, &TPnlInstall::RadioButton2, 389, 69, 177, 17, "&Upgrade an existing installation", {},
     clNone, clNone, 0, nullptr, &TPnlInstall::RadioButton2Click},
    {TKind::Label, &TPnlInstall::Label1, 372, 133, 0, 0, "Shortcut", {.Bold = true}},
    {TKind::CheckBox, &TPnlInstall::CheckBox1, 394, 153, 191, 17, "&Create a shortcut on the desktop", {}, clNone,
     clNone, WS_GROUP},
    {TKind::Label, &TPnlInstall::Label3, 375, 192, 0, 0, "Directory", {.Bold = true}},
    {TKind::StaticText, &TPnlInstall::StaticText1, 392, 211, 185, 30,
     "In the next step you'll be asked to choose the installation directory. "},
};
}  // namespace

TPnlInstall::TPnlInstall() : TFramePanel("PnlInstall", "Install or upgrade?", {.GoOn = "&Next", .Previous = true}) {}

void TPnlInstall::CreateControls() {
  Build(*this, std::span(kControls));
  SetChecked(RadioButton1, true);
  SetChecked(CheckBox1, true);
}

bool TPnlInstall::NextClick() {
  Frame().State.Upgrade = Checked(RadioButton2);
  Frame().State.DesktopShortcut = Checked(CheckBox1);
  return true;
}

void TPnlInstall::RadioButton1Click() { SetChecked(RadioButton2, !Checked(RadioButton1)); }
void TPnlInstall::RadioButton2Click() { SetChecked(RadioButton1, !Checked(RadioButton2)); }

void TPnlInstall::Label18Click() { MailSupport(); }
