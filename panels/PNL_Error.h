// The page where unexpected failures end: the message, what the user can try, and two ways out.
#pragma once
#include <string>

#include "lib/win/WinHandles.h"
#include "wizard/Frame_Panel.h"

class TPnlError : public TFramePanel {
 public:
  TPnlError();
  // Shows the main window's last failure.
  void BeforeShow() override;
  // "&Restart": a new copy of the installer, and this one ends.
  bool NextClick() override;

  // Shows a failure's message; the runtime's text for a full disk reads "Disk Full".
  void SetMessage(std::string Text);

  void btnClipboardClick();
  void Label5Click();

  HWND Image1 = nullptr, Panel1 = nullptr, Label1 = nullptr, StaticText1 = nullptr, btnClipboard = nullptr;
  HWND Label2 = nullptr, StaticText2 = nullptr, StaticText3 = nullptr, StaticText4 = nullptr;
  HWND Label3 = nullptr, StaticText5 = nullptr, StaticText7 = nullptr, Label4 = nullptr, Label5 = nullptr;

 protected:
  void CreateControls() override;
};
