// How a run tells its outcome, the same for the wizard and the silent installation: its exit
// code, its log, and the error report sent to the maker in the background.
#pragma once
#include <string>
#include <string_view>

#include "engine/InstallLog.h"
#include "lib/LIB_ErrorReport.h"

inline constexpr int KExitInstalled = 0, KExitBadArguments = 1, KExitFailed = 2;

// The log of this run of the wizard (/LOG=file); writes nothing until opened.
TInstallLog& AppLog();
void OpenAppLog(const std::string& file);

// The report service's address in packed form: the program never holds it as plain text.
// Tests point it at a local server.
const std::string& ReportAddress();
void SetReportAddress(std::string packed);

// Starts the report of a failure on a thread of its own; `title` names where the run was. The
// user's profile folder is hidden in every field.
void SendErrorReport(std::string_view title, const TReportFolders& folders, std::string_view message);
// Waits, handling messages, until the reports on their way have gone or `ms` have passed: a
// process about to end would take them along.
void WaitForErrorReports(unsigned ms);

// The maker's support contact, offered on the choice and error panels.
inline constexpr char KSupportAddress[] = "help@korvane.example";
// Opens the user's mail program addressed to the support contact; the outcome is not checked.
void MailSupport();
