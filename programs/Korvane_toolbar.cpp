// Stands in for the browser toolbar installer: changes nothing on the computer and exits 0.
// When KORVANE_TOOLBAR_LOG names a file it appends its command line there, in UTF-8, so that a
// test can see that it was started and with which arguments. No C runtime: the program stays a
// few KiB, which its payload slot (almost all incompressible) needs.
#include <windows.h>

#include <cstdint>

// The stack protector's guard and its end of the process, as lib/win/StackGuard.cpp has them for
// the programs with a C runtime, whose constructor that seeds the guard would not run here. The
// guard's first value, its own address, keeps a relocation in the image whatever the code does:
// code that addresses everything relative to itself leaves ld no relocation section to write, and
// Windows loads an image without one at its fixed base whatever DYNAMIC_BASE says.
extern "C" {
void* __stack_chk_guard = &__stack_chk_guard;

[[noreturn]] void __stack_chk_fail() {
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_STACK_BUFFER_OVERRUN));
  __builtin_unreachable();
}
}

namespace {

// Not inlined: its frame is the protected one, checked when it returns.
[[gnu::noinline]] void LogCommandLine() {
  wchar_t log[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"KORVANE_TOOLBAR_LOG", log, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  HANDLE f = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
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

}  // namespace

// The entry point. It seeds the guard, as lib/win/StackGuard.cpp does, so it keeps no copy of it.
extern "C" [[gnu::no_stack_protector]] void ToolbarMain() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  FILETIME time;
  GetSystemTimeAsFileTime(&time);
  const uintptr_t seed = static_cast<uintptr_t>(now.QuadPart) ^ (uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime) ^
                         (uintptr_t{GetCurrentProcessId()} << 32) ^ GetCurrentThreadId() ^ reinterpret_cast<uintptr_t>(&now);
  __stack_chk_guard = reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(__stack_chk_guard) ^ seed);
  LogCommandLine();
  ExitProcess(0);
}
