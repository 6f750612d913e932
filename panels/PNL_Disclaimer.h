// The licence agreement: the user goes on only after ticking the agreement box, on every pass.
#pragma once
#include "app/Frame_Panel.h"
#include "lib/win/WinHandles.h"

class TPnlDisclaimer : public TFramePanel {
 public:
  TPnlDisclaimer();
  void InitButtons(tKvButtonBar& bar) override;
  void BeforeShow() override;

  void ExitClick();
  void NextClick();
  void PreviousClick();

  HWND Image1 = nullptr, Label1 = nullptr, CheckBox1 = nullptr, MemoDisclaimer = nullptr;

 protected:
  void CreateControls() override;
};
