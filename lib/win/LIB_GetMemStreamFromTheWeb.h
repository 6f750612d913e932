// Fetches the body of one web address into memory on a thread of its own and hands it to the
// main thread when done. Fire and forget: the object frees itself. The request gives nothing
// away beyond the address: no cookies, no logon, no redirect followed (the redirect's own body
// is the answer).
#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include <windows.h>

class tLibGetMemStreamFromTheWeb {
 public:
  using TDoneEvent = std::function<void(tLibGetMemStreamFromTheWeb& Sender)>;

  // Starts fetching `URL` at once. `OnDone` runs on the main thread, through its message loop,
  // once the fetch has ended; it may take over `Stream`. Call on the main thread.
  // `TimeoutMs` bounds the wait for the connection and for each send and receive.
  static void Create(const std::string& URL, TDoneEvent OnDone, DWORD TimeoutMs = 10000);

  // The longest body taken; a longer one is not read further and counts as a failed fetch.
  static constexpr size_t MaxBody = 64 * 1024;

  const std::string URL;
  // The body of the answer, whatever its status; empty when the fetch failed.
  std::unique_ptr<std::string> Stream;

  // Fetches started and not yet freed.
  static int Pending() { return pending_; }

 private:
  tLibGetMemStreamFromTheWeb(const std::string& url, TDoneEvent onDone, DWORD timeoutMs, HWND syncWindow);
  ~tLibGetMemStreamFromTheWeb();
  void Execute();
  void DoDone();
  static LRESULT CALLBACK SyncProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;

  TDoneEvent OnDone;
  DWORD timeoutMs_;
  HWND syncWindow_;
  static std::atomic<int> pending_;
};
