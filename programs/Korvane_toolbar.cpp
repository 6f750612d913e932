// Stands in for the browser toolbar installer: changes nothing on the computer and exits 0.
// When KORVANE_TOOLBAR_LOG names a file it appends its command line there, so that a test
// can see that it was started and with which arguments. No C runtime: the program stays a
// few KiB, which its payload slot (almost all incompressible) needs.
#include <windows.h>

extern "C" void ToolbarMain() {
  char log[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("KORVANE_TOOLBAR_LOG", log, sizeof log);
  if (n > 0 && n < sizeof log) {
    HANDLE f = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
      const char* line = GetCommandLineA();
      DWORD done;
      WriteFile(f, line, lstrlenA(line), &done, nullptr);
      WriteFile(f, "\r\n", 2, &done, nullptr);
      CloseHandle(f);
    }
  }
  ExitProcess(0);
}
