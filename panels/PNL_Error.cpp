#include "panels/PNL_Error.h"

#include <shellapi.h>

#include <cstring>

#include "lib/LIB_Text.h"
#include "lib/win/WinApp.h"
#include "lib/win/WinText.h"
#include "wizard/Appl_Report.h"
#include "wizard/Form_Main.h"

namespace {
constexpr COLORREF clRed = Rgb(255, 0, 0);
constexpr COLORREF clBlue = Rgb(0, 0, 255);

constexpr TControlDecl<TPnlError> kControls[] = {
    {TKind::Picture, &TPnlError::Image1, 16, 8, 121, 122, "ERRORPIC"},
    {TKind::Panel, &TPnlError::Panel1, 132, 8, 559, 119, "", {}, clNone, Rgb(255, 255, 255)},
    {TKind::Label, &TPnlError::Label1, 8, 8, 0, 0, "Install could not continue - An error occured", {.Height = -19},
     clRed, clNone, 0, &TPnlError::Panel1},
    {TKind::StaticText, &TPnlError::StaticText1, 10, 32, 500, 50, "", {}, clNone, clNone, 0, &TPnlError::Panel1},
    {TKind::Button, &TPnlError::btnClipboard, 464, 97, 91, 19, "Copy to clipboard", {}, clNone, clNone, 0,
     &TPnlError::Panel1, &TPnlError::btnClipboardClick},
    {TKind::Label, &TPnlError::Label2, 16, 144, 0, 0, "How to resolve", {.Bold = true}},
    {TKind::StaticText, &TPnlError::StaticText2, 16, 160, 217, 49,
     "This error was unexpected, the installation program has no knowledge how to automatically resolve or by "
     "pass this problem. "},
    {TKind::StaticText, &TPnlError::StaticText3, 16, 211, 217, 46,
     "Possible remedies can be to install the program in a different folder or to run the installer with all "
     "usage rights (as administrator)."},
    {TKind::StaticText, &TPnlError::StaticText4, 17, 262, 217, 46,
     "You can hit the restart button to give it another shot. "},
    {TKind::Label, &TPnlError::Label3, 308, 143, 0, 0, "Let us know", {.Bold = true}},
    {TKind::StaticText, &TPnlError::StaticText5, 308, 159, 217, 50,
     "We aim on creating software that just does what it should do, apperently something went wrong in this. "
     "We would love to know that so we can fix it."},
    {TKind::StaticText, &TPnlError::StaticText7, 309, 217, 217, 45,
     "Could you include the exact text of the error message in your E-mail? For copy/paste use the copy to "
     "clipboard button."},
    {TKind::Label, &TPnlError::Label4, 310, 270, 0, 0, "You can reach us at: "},
    {TKind::Label, &TPnlError::Label5, 413, 270, 0, 0, KSupportAddress, {.Underline = true}, clBlue, clNone, 0,
     nullptr, &TPnlError::Label5Click},
};
}  // namespace

TPnlError::TPnlError() : TFramePanel("PnlError", "Error", {.GoOn = "&Restart"}) {}

void TPnlError::CreateControls() { Build(*this, std::span(kControls)); }

void TPnlError::BeforeShow() { SetMessage(Frame().Failure()); }

void TPnlError::SetMessage(std::string Text) {
  if (LowerCase(Text) == "i/o error 112") Text = "Disk Full";
  // It may be set before the panel has ever shown.
  EnsureControls();
  SetTextOf(StaticText1, Text);
}

bool TPnlError::NextClick() {
  // The new copy starts without arguments: a failed self-update comes back as the ordinary wizard.
  ShellExecuteW(nullptr, nullptr, Wide(ExePath()).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  ExitProcess(0);
}

void TPnlError::btnClipboardClick() {
  const std::wstring text = Wide(TextOf(StaticText1));
  if (!OpenClipboard(Handle())) return;
  EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    std::memcpy(GlobalLock(mem), text.c_str(), bytes);
    GlobalUnlock(mem);
    if (!SetClipboardData(CF_UNICODETEXT, mem)) GlobalFree(mem);
  }
  CloseClipboard();
}

void TPnlError::Label5Click() { MailSupport(); }
