// The end of the installation road: success, and the way to start the installed client.
#pragma once
#include "app/Frame_Panel.h"
#include "lib/win/WinHandles.h"

class TPNLInstallReady : public TFramePanel {
 public:
  TPNLInstallReady();
  void InitButtons(tKvButtonBar& bar) override;

  void ExitClick();
  void StartClick();

  HWND Label9 = nullptr, Panel45 = nullptr, Image1 = nullptr, Label11 = nullptr;

 protected:
  void CreateControls() override;
};
