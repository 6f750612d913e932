// The installation's progress panel: starts the installation engine with the user's answers
// and shows how far it got; the completion panel follows when it is done.
#pragma once
#include <string>

#include "wizard/EngineRun.h"
#include "wizard/Frame_Panel.h"

class TPNLInstallInstalling : public TFramePanel {
 public:
  TPNLInstallInstalling();
  void BeforeShow() override;
  void AfterShow() override;

  // Bar to Position, caption to the nearest whole per cent.
  void ShowInstallProgress(int Position);

  HWND Label12 = nullptr, ProgressBar1 = nullptr;

 protected:
  void CreateControls() override;

 private:
  TEngineRun run_;
};
