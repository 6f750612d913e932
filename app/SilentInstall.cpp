#include "app/SilentInstall.h"

#include <objbase.h>

#include "engine/Engine.h"
#include "engine/InstallLog.h"
#include "lib/LIB_Version.h"
#include "lib/win/FolderRule.h"
#include "lib/win/SelfCheck.h"
#include "wizard/Appl_Report.h"
#include "wizard/Appl_State.h"

namespace {

// The run's story on the log; the folders, once settled, in the state.
class TLogEvents : public TEngineEvents {
 public:
  TLogEvents(TInstallLog& log, TSetupState& state) : log_(log), state_(state) {}
  void Progress(int, int) override {}
  void Status(const std::string& text) override {
    if (!text.empty()) log_.Line(text);
  }
  void Log(const std::string& line) override { log_.Line(line); }
  void FoldersSettled(const TInstallResult& folders) override { SettleFolders(state_, folders); }

 private:
  TInstallLog& log_;
  TSetupState& state_;
};

// A folder of the plan, given or proposed, by the rule of the wizard's folder panels, and from
// here on as that rule wrote it. Empty, with the reason in `why`, when the rule refuses it.
std::string SettledFolder(const std::optional<std::string>& given, const std::string& proposal, const char* name,
                          std::string& why) {
  const std::string& folder = given ? *given : proposal;
  const TCheckedFolder checked = CheckFolder(folder);
  if (checked.Fault != TFolderFault::None)
    why = (given ? "" : "the proposal for ") + std::string(name) + ": \"" + folder + "\" " + FolderFaultReason(checked.Fault);
  return checked.Folder;
}

}  // namespace

int RunSilentInstallation(const TCommandLine& cl, const std::string& commandLine,
                          const std::function<std::string()>& checkInstaller) {
  TInstallLog log(cl.LogFile.empty() ? DefaultLogFile() : cl.LogFile);
  // A log the administrator asked for and cannot have ends the run before anything is written.
  if (!cl.LogFile.empty() && !log.IsOpen()) return KExitBadArguments;
  log.Line(std::string("Korvane P2P ") + KProductVersion + " silent installation:" + commandLine);
  if (const std::string damage = checkInstaller(); !damage.empty()) {
    log.Line("Installer check: failed, " + damage + ". " + KDamagedInstaller);
    log.Line("Outcome: nothing installed (exit code 2)");
    return KExitFailed;
  }
  auto refuse = [&](const std::string& why) {
    log.Line("Arguments refused: " + why);
    log.Line("Outcome: nothing installed (exit code 1)");
    return KExitBadArguments;
  };
  if (!cl.Error.empty()) return refuse(cl.Error);

  TSetupState state = cl.State;
  std::string why;
  state.InstallDir = SettledFolder(cl.GivenInstallDir, ProposedInstallDir(), "/D", why);
  if (state.InstallDir.empty()) return refuse(why);
  state.DownloadDir = SettledFolder(cl.GivenDownloadDir, ProposedDownloadDir(state.InstallDir), "/DOWNLOAD", why);
  if (state.DownloadDir.empty()) return refuse(why);
  TInstallPlan plan = InstallPlanOf(state);
  plan.InstallDirGiven = cl.GivenInstallDir.has_value();
  log.Line("Plan: installation folder \"" + plan.InstallDir + "\", downloads \"" + plan.DownloadDir +
           "\", connection " + std::to_string(plan.ConnectionType) + ", desktop link " +
           (plan.DesktopShortcut ? "yes" : "no") + ", toolbar " + (plan.Toolbar ? "yes" : "no"));

  // A run without windows: the multithreaded apartment needs none of its own, where a
  // single-threaded one would make a hidden window, and load the display's driver for it.
  const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  TLogEvents events(log, state);
  int code = KExitInstalled;
  try {
    const TInstallResult r = RunInstallation(plan, events);
    log.Line("Folders: installation \"" + r.InstallDir + "\", data \"" + r.DataDir + "\", downloads \"" +
             r.DownloadDir + "\"");
    log.Line("Outcome: installed (exit code 0)");
  } catch (const std::exception& e) {
    log.Line(std::string("Outcome: failed, ") + e.what() + " (exit code 2)");
    // As the wizard reports, with the folders the run settled on; the process is about to end,
    // and a report still on its way would end with it.
    SendErrorReport("Installing Korvane P2P", {state.InstallDir, state.DownloadDir, "", ""}, e.what());
    WaitForErrorReports(15000);
    code = KExitFailed;
  }
  if (com) CoUninitialize();
  return code;
}
