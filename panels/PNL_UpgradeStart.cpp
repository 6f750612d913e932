#include "panels/PNL_UpgradeStart.h"

#include "app/Appl_Globals.h"
#include "app/Form_Main.h"
#include "lib/win/WinText.h"

namespace {
using P = TPNLUpgradeStart;

constexpr TControlDecl<P> kControls[] = {
    {TKind::Label, &P::Label13, 16, 24, 0, 0, "Upgrade Korvane P2P installed in:"},
    {TKind::ComboList, &P::ComboBoxUpgrade, 16, 44, 457, 200},
};
}  // namespace

TPNLUpgradeStart::TPNLUpgradeStart() : TFramePanel("PNLUpgradeStart", "Ready to upgrade") {}

void TPNLUpgradeStart::CreateControls() { Build(*this, std::span(kControls)); }

void TPNLUpgradeStart::InitButtons(tKvButtonBar& bar) {
  bar.AddLeft("&Exit", 1, 1, [this](TLbSpeedButton&) { ExitClick(); });
  bar.AddRight("&Upgrade", 2, 1, [this](TLbSpeedButton&) { UpgradeClick(); });
  bar.AddRight("&Previous", 3, 1, [this](TLbSpeedButton&) { PreviousClick(); });
}

void TPNLUpgradeStart::BeforeShow() {
  SendMessageW(ComboBoxUpgrade, CB_RESETCONTENT, 0, 0);
  for (const std::string& path : GFoundInstallations)
    SendMessageW(ComboBoxUpgrade, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(Wide(path.substr(0, path.find_last_of('\\') + 1)).c_str()));
  SendMessageW(ComboBoxUpgrade, CB_SETCURSEL, 0, 0);
  // The panel may still be hidden; the list then simply goes without focus.
  SetFocus(ComboBoxUpgrade);
}

void TPNLUpgradeStart::ExitClick() {
  if (FormMain->Busy) return;
  FormMain->Close();
}

void TPNLUpgradeStart::PreviousClick() {
  if (FormMain->Busy) return;
  FormMain->ShowPanel("PnlInstall", true);
}

void TPNLUpgradeStart::UpgradeClick() {
  if (FormMain->Busy) return;
  GInstallDir = TextOf(ComboBoxUpgrade);
  FormMain->ShowPanel("PnlUpgradeUpgrading", true);
}
