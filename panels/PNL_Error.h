// The page where unexpected failures end: the message, what the user can try, and two ways out.
#pragma once
#include <string>
#include <string_view>

#include "app/Frame_Panel.h"
#include "lib/LIB_ErrorReport.h"
#include "lib/win/WinHandles.h"

class TPnlError : public TFramePanel {
 public:
  TPnlError();
  ~TPnlError() override;
  void InitButtons(tKvButtonBar& bar) override;

  // Shows a failure's message; the runtime's text for a full disk reads "Disk Full".
  void SetMessage(std::string Text);

  void ExitClick();
  void RestartClick();
  void btnClipboardClick();
  void Label5Click();

  HWND Image1 = nullptr, Panel1 = nullptr, Label1 = nullptr, StaticText1 = nullptr, btnClipboard = nullptr;
  HWND Label2 = nullptr, StaticText2 = nullptr, StaticText3 = nullptr, StaticText4 = nullptr;
  HWND Label3 = nullptr, StaticText5 = nullptr, StaticText7 = nullptr, Label4 = nullptr, Label5 = nullptr;

 protected:
  void CreateControls() override;
};

// The error panel, for the main window's exception handler.
extern TPnlError* GPnlError;

// Base address of the error report in packed form: the program never holds it as plain text.
// Tests point it at a local server.
extern std::string GReportURL;
// The address of this run's error report: the report address, then the fields, with the user's
// profile folder hidden.
std::string ErrorReport(std::string_view panelTitle, const TReportFolders& folders, std::string_view message);

// The maker's support contact, offered on the choice and error panels.
inline constexpr char KSupportAddress[] = "help@korvane.example";
// Opens the user's mail program addressed to the support contact, never with the installer's
// rights; the outcome is not checked.
void MailSupport();
