// Runs an engine on a worker thread for a progress panel. The UI thread only shows what the
// engine reports, through posted messages, and never waits for it: the window stays as
// responsive as an idle one, whatever a single step of the engine costs.
#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "engine/Engine.h"
#include "engine/InstallLog.h"
#include "lib/win/WinThread.h"
#include "lib/win/Window.h"

// The log of this run of the installer (/LOG=file); writes nothing until opened.
TInstallLog& AppLog();
void OpenAppLog(const std::string& file);

class TEngineRun final : public TEngineEvents, private TWindow {
 public:
  struct THandlers {
    std::function<void(int position, int maximum)> Progress;
    std::function<void(const std::string& text)> Status;
  };
  explicit TEngineRun(THandlers handlers);
  ~TEngineRun() override;

  // What the engine's work hands back to the UI thread when it succeeds.
  using TDone = std::function<void()>;
  // Starts `work` on a worker thread with COM initialised. Its result runs on the UI thread;
  // an error raised by the work goes to the application's exception handler there.
  void Start(std::function<TDone(TEngineEvents&)> work);
  bool Running() const { return worker_.Joinable(); }

  // TEngineEvents, called on the worker thread.
  void Progress(int position, int maximum) override;
  void Status(const std::string& text) override;
  void Log(const std::string& line) override;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Post(std::function<void()> f);
  void Finish();

  THandlers handlers_;
  TThread worker_;
  std::atomic<int> position_{0}, maximum_{0};
  std::atomic<bool> progressPosted_{false};
};
