#include "panels/PNL_UpgradeStart.h"

#include "lib/win/WinText.h"
#include "wizard/Form_Main.h"

namespace {
using P = TPNLUpgradeStart;

constexpr TControlDecl<P> kControls[] = {
    {TKind::Label, &P::Label13, 16, 24, 0, 0, "Upgrade Korvane P2P installed in:"},
    {TKind::ComboList, &P::ComboBoxUpgrade, 16, 44, 457, 200},
};
}  // namespace

TPNLUpgradeStart::TPNLUpgradeStart()
    : TFramePanel("PNLUpgradeStart", "Ready to upgrade", {.GoOn = "&Upgrade", .Previous = true}) {}

void TPNLUpgradeStart::CreateControls() { Build(*this, std::span(kControls)); }

void TPNLUpgradeStart::BeforeShow() {
  SendMessageW(ComboBoxUpgrade, CB_RESETCONTENT, 0, 0);
  for (const std::string& path : Frame().State.FoundInstallations)
    SendMessageW(ComboBoxUpgrade, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(Wide(path.substr(0, path.find_last_of('\\') + 1)).c_str()));
  SendMessageW(ComboBoxUpgrade, CB_SETCURSEL, 0, 0);
  // The panel may still be hidden; the list then simply goes without focus.
  SetFocus(ComboBoxUpgrade);
}

bool TPNLUpgradeStart::NextClick() {
  Frame().State.InstallDir = TextOf(ComboBoxUpgrade);
  return true;
}
