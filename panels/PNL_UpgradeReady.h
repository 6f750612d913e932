// The end of the upgrade road: success, and the way to start the upgraded client.
#pragma once
#include "lib/win/WinHandles.h"
#include "wizard/Frame_Panel.h"

class TPNLUpgradeReady : public TFramePanel {
 public:
  TPNLUpgradeReady();
  // Starts the upgraded client and ends the run.
  bool NextClick() override;

  HWND Label9 = nullptr, Image8 = nullptr, Panel45 = nullptr, Label11 = nullptr;

 protected:
  void CreateControls() override;
};
