// Stands in for the browser toolbar installer: changes nothing on the computer and exits 0.
// When KORVANE_TOOLBAR_LOG names a file it appends its command line there, in UTF-8, so that a
// test can see that it was started and with which arguments. No C runtime: the program stays a
// few KiB, which its payload slot (almost all incompressible) needs.
#include <windows.h>

extern "C" void ToolbarMain() {
  wchar_t log[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"KORVANE_TOOLBAR_LOG", log, MAX_PATH);
  if (n > 0 && n < MAX_PATH) {
    HANDLE f = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
      const wchar_t* line = GetCommandLineW();
      const int size = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
      HANDLE heap = GetProcessHeap();
      if (char* text = size > 0 ? static_cast<char*>(HeapAlloc(heap, 0, static_cast<SIZE_T>(size))) : nullptr) {
        WideCharToMultiByte(CP_UTF8, 0, line, -1, text, size, nullptr, nullptr);
        DWORD done;
        WriteFile(f, text, static_cast<DWORD>(size - 1), &done, nullptr);
        WriteFile(f, "\r\n", 2, &done, nullptr);
        HeapFree(heap, 0, text);
      }
      CloseHandle(f);
    }
  }
  ExitProcess(0);
}
