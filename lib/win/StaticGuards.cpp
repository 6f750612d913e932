// The first-use construction of function-local statics, which several threads may reach at once
// (the engine's worker, the link savers, the search). The C++ runtime's own version waits through
// its POSIX thread layer, some 1.5 KB more of it in the installer; this one waits on a Win32 lock
// and condition variable, as that version does on its own.
//
// A guard is 64 bits: its first byte is set once the object is built, and the compiler tests that
// byte itself before it calls in here; the second byte marks a construction under way.
#include <windows.h>

#include <cstdint>

namespace {
SRWLOCK gLock = SRWLOCK_INIT;
CONDITION_VARIABLE gBuilt = CONDITION_VARIABLE_INIT;

unsigned char* Bytes(int64_t* guard) { return reinterpret_cast<unsigned char*>(guard); }
}  // namespace

extern "C" {
// 1: the caller builds the object. 0: it is built already, perhaps by another thread meanwhile.
int __cxa_guard_acquire(int64_t* guard) {
  AcquireSRWLockExclusive(&gLock);
  for (;;) {
    if (__atomic_load_n(Bytes(guard), __ATOMIC_ACQUIRE)) {
      ReleaseSRWLockExclusive(&gLock);
      return 0;
    }
    if (!Bytes(guard)[1]) break;
    SleepConditionVariableSRW(&gBuilt, &gLock, INFINITE, 0);
  }
  Bytes(guard)[1] = 1;
  ReleaseSRWLockExclusive(&gLock);
  return 1;
}

void __cxa_guard_release(int64_t* guard) {
  AcquireSRWLockExclusive(&gLock);
  Bytes(guard)[1] = 0;
  __atomic_store_n(Bytes(guard), 1, __ATOMIC_RELEASE);
  ReleaseSRWLockExclusive(&gLock);
  WakeAllConditionVariable(&gBuilt);
}

// The constructor threw: the next caller tries again.
void __cxa_guard_abort(int64_t* guard) {
  AcquireSRWLockExclusive(&gLock);
  Bytes(guard)[1] = 0;
  ReleaseSRWLockExclusive(&gLock);
  WakeAllConditionVariable(&gBuilt);
}
}
