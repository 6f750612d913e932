// What a run of the installer knows: the answers, given in the wizard's panels or on the command
// line, and the folders the installation settled on. The wizard's window owns one and hands it to
// its panels; the silent installation fills one from its switches. Plain values, one thread.
#pragma once
#include <string>
#include <vector>

struct TSetupState {
  // Folders end with "\" once a panel or the engine has accepted them.
  std::string InstallDir;
  std::string DownloadDir;  // without its "\" once the data file has it
  std::string DataDir;
  std::string AppDataDir;
  // The silent self-update of the client in InstallDir.
  bool AutoUpdate = false;
  int ConnectionType = 8;  // the last kind of connection, "I don't know"
  bool InstallToolbar = true;
  std::string InstallerTag = "03";  // this build's tag, which the data file records
  bool Upgrade = false;
  bool DesktopShortcut = false;
  // The client programs the last search found, first choice first.
  std::vector<std::string> FoundInstallations;
};
