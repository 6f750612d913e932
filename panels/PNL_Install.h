// The fork of the wizard: a new installation or the upgrade of an existing one, and whether a
// desktop shortcut is wanted. The controls keep the last choice between visits.
#pragma once
#include "lib/win/WinHandles.h"
#include "wizard/Frame_Panel.h"

class TPnlInstall : public TFramePanel {
 public:
  TPnlInstall();
  // Stores the choice; the route takes the road it names.
  bool NextClick() override;

  void RadioButton1Click();
  void RadioButton2Click();
  void Label18Click();

  HWND Panel44 = nullptr, Image4 = nullptr, Label2 = nullptr, Label5 = nullptr, Label14 = nullptr, Label18 = nullptr;
  HWND Label4a = nullptr, RadioButton1 = nullptr, RadioButton2 = nullptr, Label1 = nullptr, CheckBox1 = nullptr;
  HWND Label3 = nullptr, StaticText1 = nullptr;

 protected:
  void CreateControls() override;
};
