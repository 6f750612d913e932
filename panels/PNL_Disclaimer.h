// The licence agreement: the user goes on only after ticking the agreement box, on every pass.
#pragma once
#include "lib/win/WinHandles.h"
#include "wizard/Frame_Panel.h"

class TPnlDisclaimer : public TFramePanel {
 public:
  TPnlDisclaimer();
  void BeforeShow() override;
  // Goes on only with the agreement box ticked.
  bool NextClick() override;

  HWND Image1 = nullptr, Label1 = nullptr, CheckBox1 = nullptr, MemoDisclaimer = nullptr;

 protected:
  void CreateControls() override;
};
