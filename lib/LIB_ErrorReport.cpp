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

std::string ErrorReportURL(std::string_view address, std::string_view panelTitle, const TReportFolders& folders,
                           std::string_view message) {
  auto field = [](std::string_view name, std::string_view value) {
    return "&" + std::string(name) + "=" + PercentEncode("\"" + std::string(value) + "\"");
  };
  return std::string(address) + "T=Korvane" + "&V=" + "3" + field("A", panelTitle) + field("B", folders.InstallDir) +
         field("C", folders.DownloadDir) + field("D", folders.DataDir) + field("E", folders.AppDataDir) +
         field("F", message);
}
