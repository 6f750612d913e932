// The address of an error report: the report service's address followed by the query fields.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// RFC 3986 percent-encoding: letters, digits and "-._~" stay, every other byte becomes %XX.
std::string PercentEncode(std::string_view text);

// The folders of the run that failed, as far as they were settled.
struct TReportFolders {
  std::string InstallDir, DownloadDir, DataDir, AppDataDir;
};

// The user's profile folder, which names the user: a report never carries it.
struct TUserProfile {
  // The folder as the shell names it and its short (8.3) form; a trailing backslash is ignored.
  std::vector<std::string> Forms;
  // Whether two names are the same to the file system.
  bool (*SameName)(std::string_view a, std::string_view b);
};

// `text` with every path that starts with a form of the profile folder (a whole component:
// the end, a backslash or a quote follows) starting with "%USERPROFILE%" instead.
std::string HideUserProfile(std::string_view text, const TUserProfile& profile);

// `address` (it ends with "?"), then T, V and the fields A to F: the panel title, the install,
// download, data and application data folders, and the message, each with the user's profile
// folder hidden. Each field's value is quoted and then percent-encoded, so that no blank, quote,
// "&", "#" or non-ASCII byte of a folder or a message can break the request or forge another field.
std::string ErrorReportURL(std::string_view address, std::string_view panelTitle, const TReportFolders& folders,
                           std::string_view message, const TUserProfile& profile);
