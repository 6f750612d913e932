// The end of the installation road: success, and the way to start the installed client.
#pragma once
#include "lib/win/WinHandles.h"
#include "wizard/Frame_Panel.h"

class TPNLInstallReady : public TFramePanel {
 public:
  TPNLInstallReady();
  // Starts the client from the folder the installation used, and ends the run.
  bool NextClick() override;

  HWND Label9 = nullptr, Panel45 = nullptr, Image1 = nullptr, Label11 = nullptr;

 protected:
  void CreateControls() override;
};
