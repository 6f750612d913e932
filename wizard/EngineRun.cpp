#include "wizard/EngineRun.h"

#include <objbase.h>

#include <commctrl.h>

#include <memory>

#include "lib/win/Controls.h"
#include "lib/win/WinApp.h"
#include "payload/GB_Payload.h"
#include "wizard/Appl_Report.h"
#include "wizard/Form_Main.h"

namespace {
constexpr UINT kRunOnUi = WM_APP + 7;
}  // namespace

TEngineRun::TEngineRun(THandlers handlers, std::string logoffReason)
    : handlers_(std::move(handlers)), logoffReason_(std::move(logoffReason)) {}

TEngineRun::~TEngineRun() {
  worker_.Join();
  // Never started: nothing queued, and no window (a null one would peek at every window's messages).
  if (!Handle()) return;
  // Closures still queued for this window would never run: free them.
  MSG msg;
  while (PeekMessageW(&msg, Handle(), kRunOnUi, kRunOnUi, PM_REMOVE))
    delete reinterpret_cast<std::function<void()>*>(msg.lParam);
}

void TEngineRun::Start(TFormMain& frame, std::function<TDone(TEngineEvents&)> work) {
  worker_.Join();
  // The window that carries the engine's reports is made at the first run, not with the
  // progress panels: they are made before the wizard's first frame.
  if (!Handle()) CreateHandle(L"KvEngineRun", 0, 0, 0, 0, 0, 0, HWND_MESSAGE);
  frame_ = &frame;
  frame_->SetEngineRunning(true, logoffReason_);
  worker_ = TThread([this, work = std::move(work)] {
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    TDone done;
    std::string error;
    try {
      done = work(*this);
    } catch (const std::exception& e) {
      error = e.what();
    } catch (...) {
      error = "Unknown exception";
    }
    if (com) CoUninitialize();
    Post([this, done = std::move(done), error] {
      Finish();
      if (done) done();
      else HandleException(error);
    });
  });
}

void TEngineRun::Finish() {
  worker_.Join();
  frame_->SetEngineRunning(false);
  // The last position the engine reported, whether or not its message came first.
  if (handlers_.Progress && maximum_ > 0) handlers_.Progress(position_, maximum_);
}

void TEngineRun::Progress(int position, int maximum) {
  position_ = position;
  maximum_ = maximum;
  // One message in the queue at a time, showing the newest position when it is handled: the
  // writers report every 1 KiB, far more often than a screen can show.
  if (!progressPosted_.exchange(true)) Post([this] {
      progressPosted_ = false;
      if (handlers_.Progress) handlers_.Progress(position_, maximum_);
    });
}

void TEngineRun::Status(const std::string& text) {
  Post([this, text] {
    if (handlers_.Status) handlers_.Status(text);
  });
}

void TEngineRun::Log(const std::string& line) { AppLog().Line(line); }

void TEngineRun::FoldersSettled(const TInstallResult& folders) {
  Post([this, folders] {
    if (handlers_.FoldersSettled) handlers_.FoldersSettled(folders);
  });
}

void TEngineRun::Post(std::function<void()> f) {
  auto* call = new std::function<void()>(std::move(f));
  if (!PostMessageW(Handle(), kRunOnUi, 0, reinterpret_cast<LPARAM>(call))) delete call;
}

LRESULT TEngineRun::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != kRunOnUi) return Default(msg, wp, lp);
  // The window procedure's funnel hands an error of the call to the exception handler.
  const std::unique_ptr<std::function<void()>> call(reinterpret_cast<std::function<void()>*>(lp));
  (*call)();
  return 0;
}

std::string ProgressCaption(int percent) { return std::to_string(percent) + "% complete"; }

void ShowProgress(HWND bar, HWND caption, int position) {
  SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  const auto shown = SendMessageW(bar, PBM_GETPOS, 0, 0);
  const auto maximum = SendMessageW(bar, PBM_GETRANGE, FALSE, 0);
  SetTextOf(caption, ProgressCaption(RoundPercent(shown, maximum)));
}
