#include "app/SilentInstall.h"

#include <objbase.h>

#include "app/Appl_Globals.h"
#include "engine/Engine.h"
#include "engine/InstallLog.h"
#include "lib/LIB_DataPlatform.h"
#include "lib/LIB_ErrorReport.h"
#include "lib/win/Elevation.h"
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

}  // namespace

int RunSilentInstallation(const TCommandLine& cl, const std::string& commandLine,
                          const std::function<std::string()>& checkInstaller) {
  TInstallLog log(cl.LogFile.empty() ? DefaultLogFile() : cl.LogFile);
  log.Line("Korvane P2P 4.43 silent installation:" + commandLine);
  if (const std::string damage = checkInstaller(); !damage.empty()) {
    log.Line("Installer check: failed, " + damage + ". " + KDamagedInstaller);
    log.Line("Outcome: nothing installed (exit code 2)");
    return KExitFailed;
  }
  if (!cl.Error.empty()) {
    log.Line("Arguments refused: " + cl.Error);
    log.Line("Outcome: nothing installed (exit code 1)");
    return KExitBadArguments;
  }

  TInstallPlan plan;
  plan.InstallDir = cl.InstallDir.empty() ? ProposedInstallDir() : cl.InstallDir;
  // The folders as the wizard's panels accept them: with their backslash.
  plan.DownloadDir = cl.DownloadDir.empty() ? ProposedDownloadDir(plan.InstallDir) + "\\" : cl.DownloadDir;
  plan.ConnectionType = cl.ConnectionType;
  plan.InstallerTag = GInstallerTag;
  plan.Toolbar = cl.Toolbar;
  plan.DesktopShortcut = cl.DesktopShortcut;
  plan.Elevated = RunsElevated();
  log.Line("Plan: installation folder \"" + plan.InstallDir + "\", downloads \"" + plan.DownloadDir +
           "\", connection " + std::to_string(plan.ConnectionType) + ", desktop link " +
           (plan.DesktopShortcut ? "yes" : "no") + ", toolbar " + (plan.Toolbar ? "yes" : "no"));

  // The client and the uninstaller read the folders in the system's code page, as the wizard's
  // panels make sure.
  for (const auto& [what, folder] : {std::pair{"installation", &plan.InstallDir}, {"download", &plan.DownloadDir}}) {
    if (ToSystemCodePage(*folder)) continue;
    log.Line(std::string("Arguments refused: the ") + what + " folder \"" + *folder +
             "\" has characters that the system's code page cannot hold");
    log.Line("Outcome: nothing installed (exit code 1)");
    return KExitBadArguments;
  }

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
