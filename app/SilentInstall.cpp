#include "app/SilentInstall.h"

#include <objbase.h>

#include "app/Appl_Globals.h"
#include "engine/Engine.h"
#include "engine/InstallLog.h"
#include "lib/LIB_ErrorReport.h"
#include "lib/LIB_Version.h"
#include "lib/win/Elevation.h"
#include "lib/win/FolderRule.h"
#include "lib/win/LIB_GetMemStreamFromTheWeb.h"
#include "lib/win/SelfCheck.h"
#include "lib/win/WinApp.h"
#include "panels/PNL_Error.h"

namespace {

class TLogEvents : public TEngineEvents {
 public:
  explicit TLogEvents(TInstallLog& log) : log_(log) {}
  void Progress(int, int) override {}
  void Status(const std::string& text) override {
    if (!text.empty()) log_.Line(text);
  }
  void Log(const std::string& line) override { log_.Line(line); }

 private:
  TInstallLog& log_;
};

// Sends the error report as the wizard does, and waits for it a little: the process is about
// to end, and a report still on its way would end with it.
void SendErrorReport(const TInstallPlan& plan, const std::string& message) {
  tLibGetMemStreamFromTheWeb::Create(
      ErrorReport("Installing Korvane P2P", {plan.InstallDir, plan.DownloadDir, "", ""}, message), nullptr);
  const ULONGLONG deadline = GetTickCount64() + 15000;
  while (tLibGetMemStreamFromTheWeb::Pending() > 0 && GetTickCount64() < deadline)
    ProcessMessagesFor(20);
}

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

  TInstallPlan plan;
  std::string why;
  plan.InstallDir = SettledFolder(cl.GivenInstallDir, ProposedInstallDir(), "/D", why);
  if (plan.InstallDir.empty()) return refuse(why);
  plan.DownloadDir = SettledFolder(cl.GivenDownloadDir, ProposedDownloadDir(plan.InstallDir), "/DOWNLOAD", why);
  if (plan.DownloadDir.empty()) return refuse(why);
  plan.InstallDirGiven = cl.GivenInstallDir.has_value();
  plan.ConnectionType = cl.ConnectionType;
  plan.InstallerTag = GInstallerTag;
  plan.Toolbar = cl.Toolbar;
  plan.DesktopShortcut = cl.DesktopShortcut;
  plan.Elevated = RunsElevated();
  log.Line("Plan: installation folder \"" + plan.InstallDir + "\", downloads \"" + plan.DownloadDir +
           "\", connection " + std::to_string(plan.ConnectionType) + ", desktop link " +
           (plan.DesktopShortcut ? "yes" : "no") + ", toolbar " + (plan.Toolbar ? "yes" : "no"));

  const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  TLogEvents events(log);
  int code = KExitInstalled;
  try {
    const TInstallResult r = RunInstallation(plan, events);
    log.Line("Folders: installation \"" + r.InstallDir + "\", data \"" + r.DataDir + "\", downloads \"" +
             r.DownloadDir + "\"");
    log.Line("Outcome: installed (exit code 0)");
  } catch (const std::exception& e) {
    log.Line(std::string("Outcome: failed, ") + e.what() + " (exit code 2)");
    SendErrorReport(plan, e.what());
    code = KExitFailed;
  }
  if (com) CoUninitialize();
  return code;
}
