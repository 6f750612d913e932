#include <windows.h>

#include <cstdlib>

#include "app/Appl_Panels.h"
#include "app/SilentInstall.h"
#include "engine/Engine.h"
#include "engine/EngineSteps.h"
#include "lib/LIB_Version.h"
#include "lib/win/Elevation.h"
#include "lib/win/SelfCheck.h"
#include "lib/win/ShellHelpers.h"
#include "lib/win/WinApp.h"
#include "lib/win/WinText.h"
#include "wizard/Appl_Report.h"

// What the runtime calls on an exception that nothing catches. Its own version writes the
// exception's type name to the standard error output, which a window program does not have, and
// brings the C++ name demangler (45 KB) into the installer to do it; both end the program alike.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace {
// The arguments as one text, the program's own name left out.
std::string ArgumentsLine() { return std::string(ArgumentsText(Utf8(GetCommandLineW()))); }
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  // Before anything loads a DLL on demand: never from the installer's own folder
  // (a Downloads folder may hold planted DLLs), only from the system folder.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  const std::string arguments = ArgumentsLine();
  const TCommandLine cl = ParseCommandLine(arguments);
  if (cl.Silent) return RunSilentInstallation(cl, arguments, CheckOwnFile);

  if (!cl.LogFile.empty()) {
    OpenAppLog(cl.LogFile);
    // As for /S: a log asked for and not to be had ends the run before anything is written.
    if (!AppLog().IsOpen()) return KExitBadArguments;
    AppLog().Line(std::string("Korvane P2P ") + KProductVersion + " setup:" + arguments);
  }
  // The self-update replaces the client of an installation, and nothing else: a folder without
  // one is a caller's mistake, and nothing is written there.
  const std::string& folder = cl.State.InstallDir;
  if (cl.State.AutoUpdate && !FileExists(folder + "Korvane.Exe")) {
    AppLog().Line("Outcome: nothing upgraded, \"" + folder + "\" holds no Korvane.Exe (exit code 2)");
    return KExitFailed;
  }
  // The self-update writes as soon as its window shows: its installer is checked first. The
  // client ended so that it could be replaced; it is started again as it was.
  if (cl.State.AutoUpdate) {
    if (const std::string refusal = SelfUpdateRefusal(folder, RunsElevated()); !refusal.empty()) {
      AppLog().Line("Outcome: nothing upgraded, \"" + folder + "\": " + refusal + " (exit code 2)");
      return KExitFailed;
    }
    if (const std::string damage = CheckOwnFile(); !damage.empty()) {
      AppLog().Line("Installer check: failed, " + damage + ". " + KDamagedInstaller);
      AppLog().Line("Client started again: " + StartedText(StartAsUser(folder + "Korvane.Exe", "", SW_SHOWMAXIMIZED)));
      AppLog().Line("Outcome: nothing upgraded (exit code 2)");
      return KExitFailed;
    }
  }
  InitApplication();
  int exitCode;
  {
    const auto form = CreateWizard(cl);
    if (!cl.State.AutoUpdate) form->CheckInstallerBeside(CheckOwnFile);
    form->Show();
    exitCode = RunMessageLoop();
  }
  return exitCode;
}
