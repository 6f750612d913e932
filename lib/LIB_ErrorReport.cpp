#include "lib/LIB_ErrorReport.h"

std::string PercentEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                            c == '-' || c == '.' || c == '_' || c == '~';
    if (unreserved) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string HideUserProfile(std::string_view text, const TUserProfile& profile) {
  std::string out(text);
  for (std::string_view form : profile.Forms) {
    while (form.ends_with('\\')) form.remove_suffix(1);
    if (form.empty()) continue;
    std::string hidden;
    for (size_t at = 0; at < out.size();) {
      const size_t end = at + form.size();
      const bool whole = end <= out.size() && (end == out.size() || out[end] == '\\' || out[end] == '"');
      if (whole && profile.SameName(std::string_view(out).substr(at, form.size()), form)) {
        hidden += "%USERPROFILE%";
        at = end;
      } else {
        hidden += out[at++];
      }
    }
    out = std::move(hidden);
  }
  return out;
}

std::string ErrorReportURL(std::string_view address, std::string_view panelTitle, const TReportFolders& folders,
                           std::string_view message, const TUserProfile& profile) {
  auto field = [&profile](std::string_view name, std::string_view value) {
    return "&" + std::string(name) + "=" + PercentEncode("\"" + HideUserProfile(value, profile) + "\"");
  };
  return std::string(address) + "T=Korvane" + "&V=" + "3" + field("A", panelTitle) + field("B", folders.InstallDir) +
         field("C", folders.DownloadDir) + field("D", folders.DataDir) + field("E", folders.AppDataDir) +
         field("F", message);
}
