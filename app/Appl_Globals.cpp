#include "app/Appl_Globals.h"

std::string GInstallDir;
std::string GDownloadDir;
std::string GDataDir;
std::string GAppDataDir;
bool GAutoUpdate = false;
int GConnectionType = 8;
bool GInstallToolbar = true;
std::string GInstallerTag = "XX";
bool GUpgrade = false;
bool GDesktopShortcut = false;
std::vector<std::string> GFoundInstallations;

void ResetGlobals() {
  GInstallDir.clear();
  GDownloadDir.clear();
  GDataDir.clear();
  GAppDataDir.clear();
  GAutoUpdate = false;
  GConnectionType = 8;
  GInstallToolbar = true;
  GInstallerTag = "XX";
  GUpgrade = false;
  GDesktopShortcut = false;
  GFoundInstallations.clear();
}

void ApplyCommandLine(const TCommandLine& cl) {
  if (!cl.AutoUpdate) return;
  GInstallDir = cl.InstallDir;
  GAutoUpdate = true;
}
