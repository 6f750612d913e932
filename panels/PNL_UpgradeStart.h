// The upgrade choice: one of the installations found, back to the road's fork, or leave.
#pragma once
#include "app/Frame_Panel.h"

class TPNLUpgradeStart : public TFramePanel {
 public:
  TPNLUpgradeStart();
  void InitButtons(tKvButtonBar& bar) override;
  void BeforeShow() override;

  void ExitClick();
  void PreviousClick();
  void UpgradeClick();

  HWND Label13 = nullptr, ComboBoxUpgrade = nullptr;

 protected:
  void CreateControls() override;
};
