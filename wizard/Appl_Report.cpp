#include "wizard/Appl_Report.h"

#include <shellapi.h>

#include <memory>

#include "lib/LIB_kvURL.h"
#include "lib/win/LIB_GetMemStreamFromTheWeb.h"
#include "lib/win/ShellHelpers.h"
#include "lib/win/WinApp.h"
#include "lib/win/WinText.h"

namespace {
std::unique_ptr<TInstallLog>& LogInstance() {
  static std::unique_ptr<TInstallLog> log = std::make_unique<TInstallLog>();
  return log;
}

std::string& Address() {
  static std::string packed(KPackedURL<KV_REPORT_URL>.data(), KPackedURL<KV_REPORT_URL>.size());
  return packed;
}
}  // namespace

TInstallLog& AppLog() { return *LogInstance(); }
void OpenAppLog(const std::string& file) { LogInstance() = std::make_unique<TInstallLog>(file); }

const std::string& ReportAddress() { return Address(); }
void SetReportAddress(std::string packed) { Address() = std::move(packed); }

void SendErrorReport(std::string_view title, const TReportFolders& folders, std::string_view message) {
  tLibGetMemStreamFromTheWeb::Create(ErrorReportURL(UnpackURL(Address()), title, folders, message, UserProfile()),
                                     nullptr);
}

void WaitForErrorReports(unsigned ms) {
  const ULONGLONG deadline = GetTickCount64() + ms;
  while (tLibGetMemStreamFromTheWeb::Pending() > 0 && GetTickCount64() < deadline) ProcessMessagesFor(20);
}

// The mail program never gets the installer's rights.
void MailSupport() { OpenAsUser(std::string("mailto:") + KSupportAddress); }
