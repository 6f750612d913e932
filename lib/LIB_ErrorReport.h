// The address of an error report: the report service's address followed by the query fields.
#pragma once
#include <string>
#include <string_view>

// RFC 3986 percent-encoding: letters, digits and "-._~" stay, every other byte becomes %XX.
std::string PercentEncode(std::string_view text);

// The folders of the run that failed, as far as they were settled.
struct TReportFolders {
  std::string InstallDir, DownloadDir, DataDir, AppDataDir;
};

// `address` (it ends with "?"), then T, V and the fields A to F: the panel title, the install,
// download, data and application data folders, and the message. Each field's value is quoted and
// then percent-encoded, so that no blank, quote, "&", "#" or non-ASCII byte of a folder or a
// message can break the request or forge another field.
std::string ErrorReportURL(std::string_view address, std::string_view panelTitle, const TReportFolders& folders,
                           std::string_view message);
