// What -fstack-protector-strong needs at run time in the programs built with a C runtime: the
// guard that every protected frame keeps a copy of, and the end of a process whose copy was
// overwritten. Not the toolchain's libssp: it seeds its guard through CryptAcquireContextA, which
// loads a cryptographic provider DLL by name before WinMain has restricted where DLLs come from.
// This guard is seeded as the MSVC runtime seeds its own, from kernel32 alone.
#include <windows.h>

#include <cstdint>

extern "C" {
// Starts as its own address: the loader relocates it, so even the first value moves with ASLR.
void* __stack_chk_guard = &__stack_chk_guard;

// At once: nothing of a process whose stack was overwritten runs on, no handler, no DLL detach.
[[noreturn]] void __stack_chk_fail() {
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_STACK_BUFFER_OVERRUN));
  __builtin_unreachable();
}
}

namespace {
// Before the static constructors of the default priority, so that no frame that keeps a copy of
// the guard (a thread started by one of them) is live when the guard changes. It keeps none itself.
[[gnu::constructor(101), gnu::no_stack_protector]] void SeedStackGuard() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  FILETIME time;
  GetSystemTimeAsFileTime(&time);
  const uintptr_t seed = static_cast<uintptr_t>(now.QuadPart) ^ (uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime) ^
                         (uintptr_t{GetCurrentProcessId()} << 32) ^ GetCurrentThreadId() ^ reinterpret_cast<uintptr_t>(&now);
  __stack_chk_guard = reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(__stack_chk_guard) ^ seed);
}
}  // namespace
