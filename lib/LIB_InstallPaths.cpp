#include "lib/LIB_InstallPaths.h"

#include <algorithm>
#include <cmath>

#include "lib/LIB_Text.h"

bool IsValidFolderPath(const std::string& Path) {
  if (Trim(Path) != Path) return false;
  const std::string t = LowerCase(Path);
  if (t.size() < 3) return false;
  if (t[1] != ':' || t[2] != '\\') return false;
  if (t.find("\\\\") != std::string::npos) return false;
  return t.find_first_of("\"*/:<>?", 2) == std::string::npos;
}

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
