#include "lib/LIB_InstallPaths.h"

#include <algorithm>
#include <cmath>

#include "lib/LIB_DataPlatform.h"
#include "lib/LIB_Text.h"

bool IsValidFolderPath(const std::string& Path) {
  if (Trim(Path) != Path) return false;
  const std::string t = LowerCase(Path);
  if (t.size() < 3) return false;
  if (t[1] != ':' || t[2] != '\\') return false;
  if (t.find("\\\\") != std::string::npos) return false;
  return t.find_first_of("\"*/:<>?", 2) == std::string::npos;
}

namespace {

// The names Windows keeps for devices, in every folder (`n` characters at `name`); the last two
// with a digit 1 to 9 after them.
bool IsDeviceName(const char* name, size_t n) {
  static constexpr char kNames[][4] = {"con", "prn", "aux", "nul", "com", "lpt"};
  const bool numbered = n == 4 && name[3] >= '1' && name[3] <= '9';
  if (n != 3 && !numbered) return false;
  for (int i = numbered ? 4 : 0; i < (numbered ? 6 : 4); ++i)
    // Or-ing 0x20 lower-cases a letter, and makes nothing else one: the names are all letters.
    if ((name[0] | 0x20) == kNames[i][0] && (name[1] | 0x20) == kNames[i][1] && (name[2] | 0x20) == kNames[i][2])
      return true;
  return false;
}

// Looks at each part of a folder path after its "X:\"; "." and ".." are parts to be resolved.
TFolderFault PartsFault(const std::string& path) {
  for (size_t from = 3, end; from < path.size(); from = end + 1) {
    end = std::min(path.find('\\', from), path.size());
    // A device is named by what comes before the part's first dot, without the blanks that end
    // it ("nul.txt", "Con .log").
    size_t base = from;
    while (base < end && path[base] != '.') ++base;
    while (base > from && path[base - 1] == ' ') --base;
    if (IsDeviceName(path.data() + from, base - from)) return TFolderFault::DeviceName;
    const char last = path[end - 1];
    const bool dots = end - from <= 2 && path[from] == '.' && last == '.';
    if ((last == '.' || last == ' ') && !dots) return TFolderFault::EndsInDotOrBlank;
  }
  return TFolderFault::None;
}

bool IsFolderPath(const std::string& path) { return IsValidFolderPath(path) && path.size() > 3; }

static_assert(KLongestFolder == 239, "the reason for a folder too long names its bound");
// By TFolderFault, None first.
constexpr const char* kFaultReasons[] = {
    "",
    "is not a valid folder",
    "is a network or \\\\?\\ path, not a folder on a drive of this computer",
    "has a part named as a device (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9)",
    "has a part that ends with a dot or a blank",
    "has characters that the system's code page cannot hold",
    "is too long: the files put into it need folders of at most 239 characters",
};

}  // namespace

TFolderFault FolderFault(const std::string& typed, const std::string& full) {
  if (typed.starts_with("\\\\") || typed.starts_with("//")) return TFolderFault::UncPath;
  if (!IsFolderPath(typed)) return TFolderFault::NotAFolderPath;
  if (const TFolderFault f = PartsFault(typed); f != TFolderFault::None) return f;
  if (!IsFolderPath(full)) return TFolderFault::NotAFolderPath;
  if (const TFolderFault f = PartsFault(full); f != TFolderFault::None) return f;
  const auto bytes = ToSystemCodePage(full);
  if (!bytes) return TFolderFault::CodePage;
  if (bytes->size() - (full.ends_with('\\') ? 1 : 0) > KLongestFolder) return TFolderFault::TooLong;
  return TFolderFault::None;
}

std::string FolderFaultMessage(TFolderFault fault) {
  switch (fault) {
    case TFolderFault::NotAFolderPath:
      return "Invalid folder.\rThe foldername you choose contains invalid characters or is a root folder.";
    case TFolderFault::CodePage:
      return "This folder's name has characters that Windows cannot store for Korvane P2P on this computer.\r"
             "Please choose a folder whose name uses only the characters of your system's language.";
    default:
      return std::string("Invalid folder.\rThis folder ") + FolderFaultReason(fault) + ".";
  }
}

const char* FolderFaultReason(TFolderFault fault) { return kFaultReasons[static_cast<int>(fault)]; }

std::string FolderPart(const std::string& Path) {
  const size_t at = Path.find_last_of("\\:");
  if (at == std::string::npos) return "";
  size_t end = at + 1;
  if (at > 0 && Path[at] == '\\' && Path[at - 1] != '\\' && Path[at - 1] != ':') end = at;
  return Path.substr(0, end);
}

std::string InstallDirForSelection(const std::string& Selected) {
  if (std::count(Selected.begin(), Selected.end(), '\\') >= 2) return Selected;
  return Selected + (Selected.ends_with('\\') ? "" : "\\") + "Korvane P2P";
}

std::string DownloadDirForSelection(const std::string& Selected) {
  return Selected.size() < 4 ? Selected + "Downloads" : Selected;
}

int PercentPosition(int maximum, int percent) {
  return static_cast<int>(std::nearbyint(maximum / 100.0 * percent));
}

std::string QuotedCommand(const std::string& program, const std::string& arguments) {
  std::string command = "\"" + program + "\"";
  if (!arguments.empty()) command += " " + arguments;
  return command;
}

std::optional<std::string> InstallDirFromUninstallString(const std::string& command) {
  std::string program;
  if (command.starts_with('"')) {
    const size_t end = command.find('"', 1);
    if (end == std::string::npos) return std::nullopt;
    program = command.substr(1, end - 1);
  } else {
    program = command.substr(0, command.find(' '));
  }
  const size_t slash = program.find_last_of('\\');
  if (slash == std::string::npos || LowerCase(program.substr(slash + 1)) != "uninstall.exe" ||
      !IsValidFolderPath(program.substr(0, slash + 1)))
    return std::nullopt;
  return program.substr(0, slash + 1);
}

bool IsProductFileName(const std::string& name) {
  std::string n = LowerCase(name);
  if (n.ends_with(".tmp")) n.resize(n.size() - 4);
  for (const char* ours : {"korvane.exe", "uninstall.exe", "korvane_toolbar.exe", "kvinst.dat", "uninstall.dat",
                           "korvane.dat", "korvane.bak"})
    if (n == ours) return true;
  return false;
}

std::vector<std::string> RemovalList(const std::string& InstallDir, const std::string& DataDir,
                                     const std::string& AppDataDir, bool DesktopShortcut) {
  std::vector<std::string> lines = {
      "Korvane P2P",
      "<P" + DataDir + "*.ZCF>",
      "<P" + DataDir + "*.ZCV>",
      "<P" + DataDir + "*.ZTH>",
      "<P" + DataDir + "*.DAT>",
      "<P" + DataDir + "*.GET>",
      "<E" + DataDir + ">",
      "<F" + InstallDir + "Korvane.Exe>",
      "<F" + AppDataDir + "Korvane.dat>",
      "<F" + AppDataDir + "Korvane.bak>",
      "<F" + InstallDir + "KVInst.dat>",
      "<F" + InstallDir + "Uninstall.Exe>",
      "<F" + InstallDir + "Uninstall.Dat>",
      "<E" + InstallDir + ">",
      "<E" + AppDataDir + ">",
      std::string("<R") + KUninstallKey + ">",
      "<SKorvane P2P>",
  };
  if (DesktopShortcut) lines.push_back("<TKorvane P2P.Lnk>");
  return lines;
}
