// CreatePanels: every panel of the wizard, in its fixed order.
// A panel joins the wizard as soon as its unit exists.
#include <memory>

#include "app/Appl_Globals.h"
#include "app/Form_Main.h"

#if __has_include("panels/PNL_Welcome.h")
#include "panels/PNL_Welcome.h"
#endif
#if __has_include("panels/PNL_Disclaimer.h")
#include "panels/PNL_Disclaimer.h"
#endif
#if __has_include("panels/PNL_Install.h")
#include "panels/PNL_Install.h"
#endif
#if __has_include("panels/PNL_InstallChooseDir.h")
#include "panels/PNL_InstallChooseDir.h"
#endif
#if __has_include("panels/PNL_InstallChooseDownloadDir.h")
#include "panels/PNL_InstallChooseDownloadDir.h"
#endif
#if __has_include("panels/PNL_InstallChooseConnection.h")
#include "panels/PNL_InstallChooseConnection.h"
#endif
#if __has_include("panels/PNL_InstallToolbar.h")
#include "panels/PNL_InstallToolbar.h"
#endif
#if __has_include("panels/PNL_InstallGo.h")
#include "panels/PNL_InstallGo.h"
#endif
#if __has_include("panels/PNL_InstallInstalling.h")
#include "panels/PNL_InstallInstalling.h"
#endif
#if __has_include("panels/PNL_InstallReady.h")
#include "panels/PNL_InstallReady.h"
#endif
#if __has_include("panels/PNL_UpgradeFindDir.h")
#include "panels/PNL_UpgradeFindDir.h"
#endif
#if __has_include("panels/PNL_UpgradeStart.h")
#include "panels/PNL_UpgradeStart.h"
#endif
#if __has_include("panels/PNL_UpgradeUpgrading.h")
#include "panels/PNL_UpgradeUpgrading.h"
#endif
#if __has_include("panels/PNL_UpgradeReady.h")
#include "panels/PNL_UpgradeReady.h"
#endif
#if __has_include("panels/PNL_Error.h")
#include "panels/PNL_Error.h"
#endif

void CreatePanels() {
#if __has_include("panels/PNL_Welcome.h")
  FormMain->AddPanel(std::make_unique<TPnlWelcome>());
#endif
#if __has_include("panels/PNL_Disclaimer.h")
  FormMain->AddPanel(std::make_unique<TPnlDisclaimer>());
#endif
#if __has_include("panels/PNL_Install.h")
  FormMain->AddPanel(std::make_unique<TPnlInstall>());
#endif
#if __has_include("panels/PNL_InstallChooseDir.h")
  FormMain->AddPanel(std::make_unique<TPnlInstallChooseDir>());
#endif
#if __has_include("panels/PNL_InstallChooseDownloadDir.h")
  FormMain->AddPanel(std::make_unique<TPNLInstallChooseDownloadDir>());
#endif
#if __has_include("panels/PNL_InstallChooseConnection.h")
  FormMain->AddPanel(std::make_unique<TPNLInstallChooseConnection>());
#endif
#if __has_include("panels/PNL_InstallToolbar.h")
  FormMain->AddPanel(std::make_unique<TPNLInstallToolbar>());
#endif
#if __has_include("panels/PNL_InstallGo.h")
  FormMain->AddPanel(std::make_unique<TPNLInstallGo>());
#endif
#if __has_include("panels/PNL_InstallInstalling.h")
  FormMain->AddPanel(std::make_unique<TPNLInstallInstalling>());
#endif
#if __has_include("panels/PNL_InstallReady.h")
  FormMain->AddPanel(std::make_unique<TPNLInstallReady>());
#endif
#if __has_include("panels/PNL_UpgradeFindDir.h")
  FormMain->AddPanel(std::make_unique<TPnlUpgradeFindDir>());
#endif
#if __has_include("panels/PNL_UpgradeStart.h")
  FormMain->AddPanel(std::make_unique<TPNLUpgradeStart>());
#endif
#if __has_include("panels/PNL_UpgradeUpgrading.h")
  FormMain->AddPanel(std::make_unique<TPNLUpgradeUpgrading>());
#endif
#if __has_include("panels/PNL_UpgradeReady.h")
  FormMain->AddPanel(std::make_unique<TPNLUpgradeReady>());
#endif
#if __has_include("panels/PNL_Error.h")
  FormMain->AddPanel(std::make_unique<TPnlError>());
#endif
}
