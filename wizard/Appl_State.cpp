#include "wizard/Appl_State.h"

#include "lib/win/Elevation.h"

TInstallPlan InstallPlanOf(const TSetupState& state) {
  return {.InstallDir = state.InstallDir,
          .DownloadDir = state.DownloadDir,
          .ConnectionType = state.ConnectionType,
          .InstallerTag = state.InstallerTag,
          .Toolbar = state.InstallToolbar,
          .DesktopShortcut = state.DesktopShortcut,
          .Elevated = RunsElevated()};
}

void SettleFolders(TSetupState& state, const TInstallResult& folders) {
  state.InstallDir = folders.InstallDir;
  state.AppDataDir = folders.AppDataDir;
  state.DataDir = folders.DataDir;
  state.DownloadDir = folders.DownloadDir;
}
