#include "app/Appl_Panels.h"

#include "panels/PNL_Disclaimer.h"
#include "panels/PNL_Error.h"
#include "panels/PNL_Install.h"
#include "panels/PNL_InstallChooseConnection.h"
#include "panels/PNL_InstallChooseDir.h"
#include "panels/PNL_InstallChooseDownloadDir.h"
#include "panels/PNL_InstallGo.h"
#include "panels/PNL_InstallInstalling.h"
#include "panels/PNL_InstallReady.h"
#include "panels/PNL_InstallToolbar.h"
#include "panels/PNL_UpgradeFindDir.h"
#include "panels/PNL_UpgradeReady.h"
#include "panels/PNL_UpgradeStart.h"
#include "panels/PNL_UpgradeUpgrading.h"
#include "panels/PNL_Welcome.h"

namespace {
using enum TPanelId;

bool UpgradeChosen(const TSetupState& s) { return s.Upgrade; }
bool NothingFound(const TSetupState& s) { return s.FoundInstallations.empty(); }

// The wizard's whole flow. The completion panels and the error panel lead nowhere: their
// buttons start the client, or a new installer, and end the run.
constexpr TRoute kRoutes[] = {
    // panel                  Next                      Previous                  Otherwise, when
    {Welcome,                 Disclaimer},
    {Disclaimer,              Install,                  Welcome},
    {Install,                 InstallChooseDir,         Disclaimer,               UpgradeFindDir, UpgradeChosen},
    {InstallChooseDir,        InstallChooseDownloadDir, Install},
    {InstallChooseDownloadDir, InstallChooseConnection, InstallChooseDir},
    {InstallChooseConnection, InstallToolbar,           InstallChooseDownloadDir},
    {InstallToolbar,          InstallGo,                InstallChooseConnection},
    {InstallGo,               InstallInstalling,        InstallToolbar},
    {InstallInstalling,       InstallReady},
    {InstallReady,            None},
    // The search goes on to the choice, or back to the fork when it found nothing; the choice
    // goes back to the fork too, and a new choice to upgrade searches again.
    {UpgradeFindDir,          UpgradeStart,             None,                     Install,        NothingFound},
    {UpgradeStart,            UpgradeUpgrading,         Install},
    {UpgradeUpgrading,        UpgradeReady},
    {UpgradeReady,            None},
    {Error,                   None},
};
}  // namespace

const TWizardFlow KWizardFlow = {.First = Welcome, .SelfUpdate = UpgradeUpgrading, .Failure = Error, .Routes = kRoutes};

TPanels CreatePanels() {
  TPanels panels;
  panels.emplace_back(Welcome, std::make_unique<TPnlWelcome>());
  panels.emplace_back(Disclaimer, std::make_unique<TPnlDisclaimer>());
  panels.emplace_back(Install, std::make_unique<TPnlInstall>());
  panels.emplace_back(InstallChooseDir, std::make_unique<TPnlInstallChooseDir>());
  panels.emplace_back(InstallChooseDownloadDir, std::make_unique<TPNLInstallChooseDownloadDir>());
  panels.emplace_back(InstallChooseConnection, std::make_unique<TPNLInstallChooseConnection>());
  panels.emplace_back(InstallToolbar, std::make_unique<TPNLInstallToolbar>());
  panels.emplace_back(InstallGo, std::make_unique<TPNLInstallGo>());
  panels.emplace_back(InstallInstalling, std::make_unique<TPNLInstallInstalling>());
  panels.emplace_back(InstallReady, std::make_unique<TPNLInstallReady>());
  panels.emplace_back(UpgradeFindDir, std::make_unique<TPnlUpgradeFindDir>());
  panels.emplace_back(UpgradeStart, std::make_unique<TPNLUpgradeStart>());
  panels.emplace_back(UpgradeUpgrading, std::make_unique<TPNLUpgradeUpgrading>());
  panels.emplace_back(UpgradeReady, std::make_unique<TPNLUpgradeReady>());
  panels.emplace_back(Error, std::make_unique<TPnlError>());
  return panels;
}

std::unique_ptr<TFormMain> CreateWizard(const TCommandLine& args) {
  return std::make_unique<TFormMain>(args, CreatePanels(), KWizardFlow);
}
