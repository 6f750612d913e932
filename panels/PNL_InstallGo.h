// The last page before anything is written: the answers in short, and "&Install Now".
#pragma once
#include "lib/win/WinHandles.h"
#include "wizard/Frame_Panel.h"

class TPNLInstallGo : public TFramePanel {
 public:
  TPNLInstallGo();
  void BeforeShow() override;

  HWND Image7 = nullptr, Label1 = nullptr, Label2 = nullptr, Label6 = nullptr, Label7 = nullptr, Label9 = nullptr;

 protected:
  void CreateControls() override;
};
