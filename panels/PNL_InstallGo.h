// The last page before anything is written: the answers in short, and "&Install Now".
#pragma once
#include "app/Frame_Panel.h"
#include "lib/win/WinHandles.h"

class TPNLInstallGo : public TFramePanel {
 public:
  TPNLInstallGo();
  void InitButtons(tKvButtonBar& bar) override;
  void BeforeShow() override;

  void ExitClick();
  void InstallNowClick();
  void PreviousClick();

  HWND Image7 = nullptr, Label1 = nullptr, Label2 = nullptr, Label6 = nullptr, Label7 = nullptr, Label9 = nullptr;

 protected:
  void CreateControls() override;
};
