// The upgrade's progress panel: starts the upgrade engine on the chosen folder and shows its
// progress and retry messages; in the silent self-update mode it ends the process when done.
#pragma once
#include <functional>
#include <string>

#include "engine/Engine.h"
#include "payload/GB_Payload.h"
#include "wizard/EngineRun.h"
#include "wizard/Frame_Panel.h"

// Attempts at the client program before its error ends the upgrade.
inline constexpr int KUpgradeAttempts = TRetryPolicy{}.Attempts;

class TPNLUpgradeUpgrading : public TFramePanel {
 public:
  TPNLUpgradeUpgrading();
  void BeforeShow() override;
  void AfterShow() override;

  // Bar to Value, caption to the nearest whole per cent.
  void ShowUpgradeProgress(int Value);

  HWND Label1 = nullptr, Label12 = nullptr, ProgressBar1 = nullptr;

  // The waits and retries of the upgrades this panel starts; tests shorten the step.
  static inline TRetryPolicy Retry = DefaultRetryPolicy();
  // Ends the process after a self-update; tests keep their process.
  static inline std::function<void(int)> EndProcess = [](int code) { ExitProcess(static_cast<UINT>(code)); };

 protected:
  void CreateControls() override;

 private:
  TEngineRun run_;
};
