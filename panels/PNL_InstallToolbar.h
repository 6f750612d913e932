// The offer of the browser toolbar, with a link to its licence agreement on the web.
#pragma once
#include <string>

#include "lib/win/WinHandles.h"
#include "wizard/Frame_Panel.h"

class TPNLInstallToolbar : public TFramePanel {
 public:
  TPNLInstallToolbar();
  void BeforeShow() override;
  bool NextClick() override;

  void Label4Click();

  HWND StaticText1 = nullptr, Image2 = nullptr, Image1 = nullptr, CheckBox1 = nullptr, Label2 = nullptr;
  HWND Label3 = nullptr, Label4 = nullptr, Label5 = nullptr, Label1 = nullptr;

 protected:
  void Arrange() override;
  void CreateControls() override;
};

// The toolbar provider's licence agreement.
inline constexpr char KToolbarLicenceURL[] = "http://www.korvane-toolbar.example/eula/";
