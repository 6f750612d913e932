#include "lib/win/WinThread.h"

#include <process.h>

#include <memory>
#include <stdexcept>

namespace {
unsigned __stdcall Run(void* arg) {
  const std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(arg));
  (*body)();
  return 0;
}
}  // namespace

TThread::TThread(std::function<void()> body) {
  auto owned = std::make_unique<std::function<void()>>(std::move(body));
  // _beginthreadex, not CreateThread: the C runtime sets up its own data for the thread.
  h_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Run, owned.get(), 0, nullptr));
  if (!h_) throw std::runtime_error("A thread could not be started");
  owned.release();
}

TThread& TThread::operator=(TThread&& o) noexcept {
  if (this != &o) {
    Join();
    h_ = o.h_;
    o.h_ = nullptr;
  }
  return *this;
}

void TThread::Join() {
  if (!h_) return;
  WaitForSingleObject(h_, INFINITE);
  Detach();
}

void TThread::Detach() {
  if (h_) CloseHandle(h_);
  h_ = nullptr;
}
