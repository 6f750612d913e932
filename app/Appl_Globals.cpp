#include "app/Appl_Globals.h"

#include "lib/LIB_Text.h"

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

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  std::string joined;
  for (const auto& a : args) {
    if (!joined.empty()) joined += ' ';
    joined += a;
  }
  joined = Trim(joined);
  static const std::string keyword = "/autoupdate ";
  TCommandLine result;
  if (LowerCase(joined).starts_with(keyword)) {
    result.InstallDir = Trim(joined.substr(keyword.size()));
    if (!result.InstallDir.ends_with('\\')) result.InstallDir += '\\';
    result.AutoUpdate = true;
  }
  return result;
}

void ApplyCommandLine(const std::vector<std::string>& args) {
  const TCommandLine cl = ParseCommandLine(args);
  if (!cl.AutoUpdate) return;
  GInstallDir = cl.InstallDir;
  GAutoUpdate = true;
}
