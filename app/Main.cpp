#include <windows.h>

#include "app/Appl_Globals.h"
#include "app/EngineRun.h"
#include "app/Form_Main.h"
#include "app/SilentInstall.h"
#include "lib/win/ShellHelpers.h"
#include "lib/win/WinApp.h"
#include "lib/win/WinText.h"

namespace {
// The arguments as one text, the program's own name left out.
std::string ArgumentsLine() { return std::string(ArgumentsText(Utf8(GetCommandLineW()))); }
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  // Before anything loads a DLL on demand: never from the installer's own folder
  // (a Downloads folder may hold planted DLLs), only from the system folder.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  GInstallerTag = "03";
  const std::string arguments = ArgumentsLine();
  const TCommandLine cl = ParseCommandLine(arguments);
  if (cl.Silent) return RunSilentInstallation(cl, arguments);

  if (!cl.LogFile.empty()) {
    OpenAppLog(cl.LogFile);
    AppLog().Line("Korvane P2P 4.43 setup:" + arguments);
  }
  // The self-update replaces the client of an installation, and nothing else: a folder without
  // one is a caller's mistake, and nothing is written there.
  if (cl.AutoUpdate && !FileExists(cl.InstallDir + "Korvane.Exe")) {
    AppLog().Line("Outcome: nothing upgraded, \"" + cl.InstallDir + "\" holds no Korvane.Exe (exit code 2)");
    return KExitFailed;
  }
  InitApplication();
  int exitCode;
  {
    TFormMain form(cl);
    form.Show();
    exitCode = RunMessageLoop();
  }
  return exitCode;
}
