// Runs an engine on a worker thread for a progress panel. The UI thread only shows what the
// engine reports, through posted messages, and never waits for it: the window stays as
// responsive as an idle one, whatever a single step of the engine costs.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "engine/Engine.h"
#include "lib/win/WinThread.h"
#include "lib/win/Window.h"

class TFormMain;

class TEngineRun final : public TEngineEvents, private TWindow {
 public:
  // What the UI thread shows of the run; any may be empty.
  struct THandlers {
    std::function<void(int position, int maximum)> Progress;
    std::function<void(const std::string& text)> Status;
    std::function<void(const TInstallResult& folders)> FoldersSettled;
  };
  // `logoffReason`: what Windows tells a user who logs off while the run works; a run without
  // one does not hold the session.
  explicit TEngineRun(THandlers handlers, std::string logoffReason = "");
  ~TEngineRun() override;

  // What the engine's work hands back to the UI thread when it succeeds.
  using TDone = std::function<void()>;
  // Starts `work` on a worker thread with COM initialised; `frame` stays until it has finished.
  // Its result runs on the UI thread; an error raised by the work goes to the application's
  // exception handler there.
  void Start(TFormMain& frame, std::function<TDone(TEngineEvents&)> work);

  // TEngineEvents, called on the worker thread.
  void Progress(int position, int maximum) override;
  void Status(const std::string& text) override;
  void Log(const std::string& line) override;
  void FoldersSettled(const TInstallResult& folders) override;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Post(std::function<void()> f);
  void Finish();

  THandlers handlers_;
  std::string logoffReason_;
  TFormMain* frame_ = nullptr;
  TThread worker_;
  std::atomic<int> position_{0}, maximum_{0};
  std::atomic<bool> progressPosted_{false};
};

// The caption of a progress bar at `percent`.
std::string ProgressCaption(int percent);
// Moves a progress bar to `position` and its caption to the nearest whole per cent of the bar.
void ShowProgress(HWND bar, HWND caption, int position);
