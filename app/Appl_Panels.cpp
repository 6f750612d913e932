// CreatePanels: every panel of the wizard, in its fixed order.
#include <memory>

#include "app/Appl_Globals.h"
#include "app/Form_Main.h"

#include "panels/PNL_Welcome.h"
#include "panels/PNL_Disclaimer.h"
#include "panels/PNL_Install.h"
#include "panels/PNL_InstallChooseDir.h"
#include "panels/PNL_InstallChooseDownloadDir.h"
#include "panels/PNL_InstallChooseConnection.h"
#include "panels/PNL_InstallToolbar.h"
#include "panels/PNL_InstallGo.h"
#include "panels/PNL_InstallInstalling.h"
#include "panels/PNL_InstallReady.h"
#include "panels/PNL_UpgradeFindDir.h"
#include "panels/PNL_UpgradeStart.h"
#include "panels/PNL_UpgradeUpgrading.h"
#include "panels/PNL_UpgradeReady.h"
#include "panels/PNL_Error.h"

void CreatePanels() {
  FormMain->AddPanel(std::make_unique<TPnlWelcome>());
  FormMain->AddPanel(std::make_unique<TPnlDisclaimer>());
  FormMain->AddPanel(std::make_unique<TPnlInstall>());
  FormMain->AddPanel(std::make_unique<TPnlInstallChooseDir>());
  FormMain->AddPanel(std::make_unique<TPNLInstallChooseDownloadDir>());
  FormMain->AddPanel(std::make_unique<TPNLInstallChooseConnection>());
  FormMain->AddPanel(std::make_unique<TPNLInstallToolbar>());
  FormMain->AddPanel(std::make_unique<TPNLInstallGo>());
  FormMain->AddPanel(std::make_unique<TPNLInstallInstalling>());
  FormMain->AddPanel(std::make_unique<TPNLInstallReady>());
  FormMain->AddPanel(std::make_unique<TPnlUpgradeFindDir>());
  FormMain->AddPanel(std::make_unique<TPNLUpgradeStart>());
  FormMain->AddPanel(std::make_unique<TPNLUpgradeUpgrading>());
  FormMain->AddPanel(std::make_unique<TPNLUpgradeReady>());
  FormMain->AddPanel(std::make_unique<TPnlError>());
}
