// The upgrade choice: one of the installations found, back to the road's fork, or leave.
#pragma once
#include "wizard/Frame_Panel.h"

class TPNLUpgradeStart : public TFramePanel {
 public:
  TPNLUpgradeStart();
  void BeforeShow() override;
  // "&Upgrade": the chosen folder is the one to upgrade.
  bool NextClick() override;

  HWND Label13 = nullptr, ComboBoxUpgrade = nullptr;

 protected:
  void CreateControls() override;
};
