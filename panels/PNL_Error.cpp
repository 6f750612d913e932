#include "panels/PNL_Error.h"

#include <shellapi.h>

#include <cstring>

#include "app/Appl_Globals.h"
#include "app/EngineRun.h"
#include "app/Form_Main.h"
#include "app/SilentInstall.h"
#include "lib/LIB_ErrorReport.h"
#include "lib/LIB_Text.h"
#include "lib/LIB_kvURL.h"
#include "lib/win/LIB_GetMemStreamFromTheWeb.h"
#include "lib/win/ShellHelpers.h"
#include "lib/win/WinText.h"

TPnlError* GPnlError = nullptr;
std::string GReportURL(KPackedURL<KV_REPORT_URL>.data(), KPackedURL<KV_REPORT_URL>.size());

std::string ErrorReport(std::string_view panelTitle, const TReportFolders& folders, std::string_view message) {
  return ErrorReportURL(UnpackURL(GReportURL), panelTitle, folders, message, UserProfile());
}

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

void MailSupport() { OpenAsUser(std::string("mailto:") + KSupportAddress); }

TPnlError::TPnlError() : TFramePanel("PnlError", "Error") { GPnlError = this; }

void TPnlError::CreateControls() { Build(*this, std::span(kControls)); }

TPnlError::~TPnlError() {
  if (GPnlError == this) GPnlError = nullptr;
}

void TPnlError::InitButtons(tKvButtonBar& bar) {
  bar.AddLeft("&Exit", 1, 1, [this](TLbSpeedButton&) { ExitClick(); });
  bar.AddRight("&Restart", 2, 1, [this](TLbSpeedButton&) { RestartClick(); });
}

void TPnlError::SetMessage(std::string Text) {
  if (LowerCase(Text) == "i/o error 112") Text = "Disk Full";
  // The message is set before the panel shows, often for the first time.
  EnsureControls();
  SetTextOf(StaticText1, Text);
}

void TPnlError::ExitClick() {
  if (FormMain->Busy) return;
  FormMain->Close();
}

void TPnlError::RestartClick() {
  if (FormMain->Busy) return;
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

// The application's handler of unexpected failures: report in the background, then show the
// message on the error panel. The funnel that calls it refuses to re-enter it, so a failure
// while the error panel is being shown cannot loop.
void TFormMain::AppException(const std::string& message) {
  AppLog().Line("Outcome: failed, " + message + " (exit code 2)");
  exitCode_ = KExitFailed;
  tLibGetMemStreamFromTheWeb::Create(
      ErrorReport(HeaderCaption(), {GInstallDir, GDownloadDir, GDataDir, GAppDataDir}, message), nullptr);
  GPnlError->SetMessage(message);
  ShowPanel("PnlError", true);
}
