#include <windows.h>

#include <shellapi.h>

#include "app/Appl_Globals.h"
#include "app/Form_Main.h"
#include "lib/win/WinApp.h"

namespace {
// Arguments 1..n as the runtime splits them, quotes removed.
std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; i < argc; ++i) {
    const int n = WideCharToMultiByte(CP_ACP, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string a(n > 0 ? n - 1 : 0, '\0');
    WideCharToMultiByte(CP_ACP, 0, argv[i], -1, a.data(), n, nullptr, nullptr);
    args.push_back(std::move(a));
  }
  LocalFree(argv);
  return args;
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before anything loads a DLL on demand: never from the installer's own folder
  // (a Downloads folder may hold planted DLLs), only from the system folder.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  InitApplication();
  GInstallerTag = "03";
  int exitCode;
  {
    TFormMain form(Arguments());
    form.Show();
    exitCode = RunMessageLoop();
  }
  return exitCode;
}
