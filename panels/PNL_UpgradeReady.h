// The end of the upgrade road: success, and the way to start the upgraded client.
#pragma once
#include "app/Frame_Panel.h"
#include "lib/win/WinHandles.h"

class TPNLUpgradeReady : public TFramePanel {
 public:
  TPNLUpgradeReady();
  void InitButtons(tKvButtonBar& bar) override;

  void ExitClick();
  void StartClientClick();

  HWND Label9 = nullptr, Image8 = nullptr, Panel45 = nullptr, Label11 = nullptr;

 protected:
  void CreateControls() override;
};
