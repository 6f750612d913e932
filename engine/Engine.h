// The installation and the upgrade without a window: a plan of plain values goes in, events come
// out, and a run returns the folders it settled on or raises the error that ended it. The wizard,
// the silent installation (/S) and the self-update (/autoupdate) are front ends of these.
#pragma once
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "lib/LIB_FindFiles.h"

struct TInstallResult {
  std::string InstallDir, AppDataDir, DataDir;
  // As chosen until the data file is written; then as the data file keeps it, without a trailing
  // backslash.
  std::string DownloadDir;
};

// What a run tells its front end. The calls come from the thread that runs the engine.
class TEngineEvents {
 public:
  virtual ~TEngineEvents() = default;
  virtual void Progress(int position, int maximum) = 0;
  // A message for the user while the run waits (the upgrade's retries); empty clears it.
  virtual void Status(const std::string& text) = 0;
  // One line per step: done; skipped, and why; or failed, with the error's text.
  virtual void Log(const std::string& line) = 0;
  // The installation has settled its folders, before it writes into them: a failure from here on
  // is one of these folders, not of those the plan named.
  virtual void FoldersSettled(const TInstallResult& folders) = 0;
};

// The front ends fill every answer: the defaults are theirs.
struct TInstallPlan {
  std::string InstallDir;  // as chosen; the run may settle on a fallback, unless InstallDirGiven
  std::string DownloadDir;
  int ConnectionType{};
  std::string InstallerTag;
  bool Toolbar{};
  bool DesktopShortcut{};
  // The run holds an administrator's token: only then do program folders made outside the
  // program files folder get its rights, which a standard user could not write into.
  bool Elevated = true;
  // Named by an administrator (/D=): the run uses InstallDir or fails before it writes anything,
  // never falling back to another folder.
  bool InstallDirGiven = false;
};

struct TRetryPolicy {
  int Attempts = 21;
  int WaitSteps = 15;  // after each failed attempt
  std::chrono::milliseconds Step{1000};
};

struct TUpgradePlan {
  std::string InstallDir;
  // The self-update: the client that asked for it first gets three steps to end, and is started
  // again, maximized, at the end.
  bool AutoUpdate = false;
  TRetryPolicy Retry;
};

// The retry policy of the installer as built. The test build lets end-to-end runs shorten its
// step through KV_UPGRADE_WAIT_STEP_MS; the release build has no such door.
TRetryPolicy DefaultRetryPolicy();

// The folders the wizard proposes before the user chooses.
std::string ProposedInstallDir();
std::string ProposedDownloadDir(const std::string& installDir);

// The installation folder named by the uninstall entry, ending with "\"; nothing without one.
std::optional<std::string> RegisteredInstallDir();
// What an upgrade offers, first choice first: the registered installation, then the client
// programs a search found (full paths of "korvane.exe"). A folder that is a link, or lies behind
// one, is not offered.
std::vector<std::string> UpgradeChoices(const std::vector<std::string>& found);
// Searches the fixed drives that `platform` shows for client programs, reporting the search's
// progress in whole per cent (maximum 100), and returns what an upgrade offers of them.
std::vector<std::string> FindInstallations(TFindPlatform& platform, TEngineEvents& events);

// Why a self-update may not act on `folder`, or nothing when it may. Run elevated, it acts only
// on the registered installation, the two folders compared as full paths; otherwise it can write
// only where its user can anyway, and a standard user's installation may have no entry.
std::string SelfUpdateRefusal(const std::string& folder, bool elevated);

// Settles the folders, writes the programs, optionally starts the toolbar installer, makes the
// links, writes the data files and the removal list, and registers the uninstaller.
TInstallResult RunInstallation(const TInstallPlan& plan, TEngineEvents& events);

// Rewrites the client program (retrying while it is in use) and the uninstaller of an
// installation, its Start-menu links and its uninstall entry. Returns the folder, ending with "\".
std::string RunUpgrade(const TUpgradePlan& plan, TEngineEvents& events);
