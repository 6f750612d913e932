// The search for installed copies, and which of them an upgrade may act on. An elevated upgrade
// writes programs and everyone's links: it must not be steered to a copy that a user planted, or
// one reached through a link.
#include <windows.h>

#include "engine/Engine.h"
#include "lib/LIB_InstallPaths.h"
#include "lib/LIB_Text.h"
#include "lib/win/FileByHandle.h"
#include "lib/win/FolderRule.h"
#include "lib/win/ShellHelpers.h"
#include "lib/win/WinText.h"

std::optional<std::string> RegisteredInstallDir() {
  wchar_t value[1024];
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, Wide(KUninstallKey).c_str(), L"UninstallString", RRF_RT_REG_SZ, nullptr, value,
                   &size) != ERROR_SUCCESS)
    return std::nullopt;
  return InstallDirFromUninstallString(Utf8(value));
}

std::vector<std::string> UpgradeChoices(const std::vector<std::string>& found) {
  std::vector<std::string> choices;
  const auto registered = RegisteredInstallDir();
  if (registered && FileExists(*registered + "Korvane.Exe") && !HasLinkOnPath(*registered))
    choices.push_back(*registered + "Korvane.Exe");
  for (const std::string& path : found) {
    const std::string folder = path.substr(0, path.find_last_of('\\') + 1);
    if (HasLinkOnPath(folder) || (registered && LowerCase(folder) == LowerCase(*registered))) continue;
    choices.push_back(path);
  }
  return choices;
}

std::vector<std::string> FindInstallations(TFindPlatform& platform, TEngineEvents& events) {
  auto progress = [&](uint8_t percent) {
    events.Progress(percent, 100);
    return false;
  };
  return UpgradeChoices(FindFiles("korvane.exe", 1, "", progress, {}, 0, platform));
}

std::string SelfUpdateRefusal(const std::string& folder, bool elevated) {
  if (!elevated) return "";
  const auto registered = RegisteredInstallDir();
  if (!registered) return "no installation is registered";
  const std::string asked = CheckFolder(folder).Folder, named = CheckFolder(*registered).Folder;
  if (asked.empty() || LowerCase(asked) != LowerCase(named))
    return "it is not the registered installation \"" + *registered + "\"";
  return "";
}
