// A Win32 thread and lock. The runtime's std::thread, std::mutex and clocks go through its
// POSIX thread layer, which would add some 30 KB to an installer that calls Win32 anyway.
#pragma once
#include <windows.h>

#include <functional>

// A thread that runs `body` and is joined when its owner goes, as std::jthread is.
// `body` must not let an exception out: there is no one to catch it.
class TThread {
 public:
  TThread() = default;
  // Throws std::runtime_error when no thread can be made.
  explicit TThread(std::function<void()> body);
  TThread(TThread&& o) noexcept : h_(o.h_) { o.h_ = nullptr; }
  TThread& operator=(TThread&& o) noexcept;
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;
  ~TThread() { Join(); }

  bool Joinable() const { return h_ != nullptr; }
  void Join();
  // The thread runs on alone.
  void Detach();

 private:
  HANDLE h_ = nullptr;
};

// An exclusive lock held for the guard's lifetime; it needs no set-up and cannot fail.
class TLock {
 public:
  class TGuard {
   public:
    explicit TGuard(TLock& l) : l_(l) { AcquireSRWLockExclusive(&l_.srw_); }
    ~TGuard() { ReleaseSRWLockExclusive(&l_.srw_); }
    TGuard(const TGuard&) = delete;
    TGuard& operator=(const TGuard&) = delete;

   private:
    TLock& l_;
  };

 private:
  SRWLOCK srw_ = SRWLOCK_INIT;
};
