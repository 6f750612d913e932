// The installation, step by step.
#include <shlobj.h>
#include <windows.h>

#include <optional>
#include <vector>

#include "engine/Engine.h"
#include "engine/EngineSteps.h"
#include "lib/LIB_DataPlatform.h"
#include "lib/LIB_Errors.h"
#include "lib/LIB_InstallPaths.h"
#include "lib/LIB_Text.h"
#include "lib/win/ShellHelpers.h"
#include "lib/win/WinApp.h"
#include "lib/win/WinHandles.h"
#include "lib/win/WinText.h"
#include "payload/GB_KORVANE_DAT.h"
#include "payload/GB_Payload.h"
#include "payload/win/GB_KorvaneP2P_exe.h"
#include "payload/win/GB_Uninstall_exe.h"
#include "payload/win/GB_korvane_toolbar_exe.h"

namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// The first candidate folder that exists or can be made; the last one's failure is the
// installation's.
std::string UsableInstallDir(const std::string& chosen, TEngineEvents& events) {
  const auto programFiles = KnownFolder(CSIDL_PROGRAM_FILES);
  const auto local = KnownFolder(CSIDL_LOCAL_APPDATA);
  std::vector<std::string> candidates = {chosen};
  if (programFiles) candidates.push_back(*programFiles + "\\KorvaneP2P\\");
  if (local) candidates.push_back(*local + "\\Korvane P2P\\");
  candidates.push_back("C:\\Korvane\\");
  for (size_t i = 0;; ++i) {
    const bool last = i + 1 == candidates.size();
    try {
      ForceFolder(candidates[i], InstallFolderAccess(candidates[i]));
      if (last || DirectoryExists(candidates[i])) return candidates[i];
      events.Log("Installation folder " + Quoted(candidates[i]) + ": failed, it does not exist after creation");
    } catch (const EInOutError& e) {
      events.Log("Installation folder " + Quoted(candidates[i]) + ": failed, " + e.what());
      if (last) throw;
    }
  }
}

// A folder an administrator named: made and written, or the run ends here, with no folder of
// its making left behind.
std::string GivenInstallDir(const std::string& given) {
  try {
    ForceWritableFolder(given, InstallFolderAccess(given));
  } catch (const EInOutError& e) {
    throw std::runtime_error("the installation folder " + Quoted(given) + " cannot be used: " +
                             SysErrorMessage(static_cast<DWORD>(e.ErrorCode)));
  }
  return given;
}

// The client reads the data folder's name in the system's code page. A profile folder named in
// another script (a Cyrillic user name on a Western system) is reached by its short name, which
// the file system spells in ASCII, if it keeps short names.
std::string UsableDataDir(const std::string& installDir, TEngineEvents& events) {
  const auto local = KnownFolder(CSIDL_LOCAL_APPDATA);
  if (!local) {
    events.Log("Data folder: the local application data folder is not available, the installation folder is used");
    return installDir;
  }
  const std::string dir = *local + "\\Korvane P2P\\";
  try {
    ForceFolder(dir);
    if (DirectoryExists(dir)) {
      if (ToSystemCodePage(dir)) return dir;
      auto shortDir = ShortPath(dir);
      if (shortDir && !shortDir->ends_with('\\')) *shortDir += '\\';
      if (shortDir && ToSystemCodePage(*shortDir)) {
        events.Log("Data folder " + Quoted(dir) + ": its name does not fit the system's code page, its short name " +
                   Quoted(*shortDir) + " is used");
        return *shortDir;
      }
      events.Log("Data folder " + Quoted(dir) +
                 ": failed, its name does not fit the system's code page and it has no short name that does; the "
                 "installation folder is used");
      return installDir;
    }
    events.Log("Data folder " + Quoted(dir) + ": failed, it does not exist after creation; the installation folder is used");
  } catch (const EInOutError& e) {
    events.Log("Data folder " + Quoted(dir) + ": failed, " + e.what() + "; the installation folder is used");
  }
  return installDir;
}

void DeleteIfPresent(const std::string& file, TEngineEvents& events) {
  if (!FileExists(file)) return;
  if (DeleteFileW(Wide(file).c_str())) events.Log("Old " + Quoted(file) + " deleted: done");
  else events.Log("Old " + Quoted(file) + " deleted: failed, " + SysErrorMessage(GetLastError()) + " (ignored)");
}

void RegisterUninstaller(const std::string& installDir) {
  HKEY key;
  if (const LONG rc = RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(KUninstallKey).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                      nullptr);
      rc != ERROR_SUCCESS)
    throw std::runtime_error(SysErrorMessage(static_cast<DWORD>(rc)));
  TRegKey owner(key);
  auto write = [&](const wchar_t* name, const std::string& value) {
    const std::wstring wide = Wide(value);
    const LONG rc = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                                   static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    if (rc != ERROR_SUCCESS) throw std::runtime_error(SysErrorMessage(static_cast<DWORD>(rc)));
  };
  write(L"DisplayName", "Korvane P2P");
  write(L"UninstallString", QuotedCommand(installDir + "Uninstall.Exe", ""));
}

// The uninstaller reads the list in the system's code page.
void WriteRemovalList(const TInstallResult& r, bool desktopShortcut) {
  std::string text;
  for (const std::string& line : RemovalList(r.InstallDir, r.DataDir, r.AppDataDir, desktopShortcut)) {
    const auto bytes = ToSystemCodePage(line);
    if (!bytes) throw std::runtime_error("the line " + Quoted(line) + " does not fit the system's code page");
    text += *bytes + "\r\n";
  }
  const std::string file = r.InstallDir + "UnInstall.dat";
  TFileHandle h(CreateFileW(Wide(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) throw EInOutError(static_cast<int>(GetLastError()));
  DWORD written = 0;
  if (!WriteFile(h.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) || written != text.size())
    throw EInOutError(static_cast<int>(GetLastError()));
}

// Writes a data file whole: into a temporary file beside it, flushed, then moved over the old
// one. A cut or a full disk leaves the old file, never a partial one. The old client data file
// is kept as Korvane.bak, which the removal list names.
std::string WriteDataFileWhole(const std::string& file, const TDataFileValues& values,
                               const TDataFileProgress& progress, bool keepOld) {
  const std::string temp = file + ".tmp";
  std::string downloadDir;
  try {
    downloadDir = WriteDataFile(temp, values, progress);
    if (keepOld && FileExists(file))
      MoveFileExW(Wide(file).c_str(), Wide(file.substr(0, file.find_last_of('\\') + 1) + "Korvane.bak").c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    FlushAndMove(temp, file);
  } catch (...) {
    DeleteFileW(Wide(temp).c_str());
    throw;
  }
  return downloadDir;
}

}  // namespace

TInstallResult RunInstallation(const TInstallPlan& plan, TEngineEvents& events) {
  const int maximum = InstallProgressMaximum();
  auto percent = [&](int p) { events.Progress(PercentPosition(maximum, p), maximum); };
  auto bar = [&](int value) { events.Progress(value, maximum); };

  TInstallResult r;
  std::string chosen = plan.InstallDir;
  if (!chosen.ends_with('\\')) chosen += '\\';
  r.InstallDir = plan.InstallDirGiven ? GivenInstallDir(chosen) : UsableInstallDir(chosen, events);
  events.Log("Installation folder " + Quoted(r.InstallDir) + ": done");
  r.AppDataDir = UsableDataDir(r.InstallDir, events);
  r.DataDir = r.AppDataDir;
  events.Log("Data folder " + Quoted(r.AppDataDir) + ": done");
  const std::string& dir = r.InstallDir;
  // The list exists before the first program file, so that an installation cut short at any
  // point can be removed.
  OptionalStep(events, "Removal list " + Quoted(dir + "UnInstall.dat") + " ahead of the programs",
               [&] { WriteRemovalList(r, plan.DesktopShortcut); });

  DeleteIfPresent(dir + "korvane.exe", events);
  EssentialStep(events, "Client program " + Quoted(dir + "Korvane.Exe"), [&] { WriteClientProgram(dir + "Korvane.Exe", bar); });
  OptionalStep(events, "Uninstaller " + Quoted(dir + "Uninstall.Exe"), [&] { WriteUninstaller(dir + "Uninstall.Exe"); });
  DeleteIfPresent(dir + "korvane.dat", events);
  DeleteIfPresent(dir + "korvane.bak", events);

  if (plan.Toolbar) {
    const std::string toolbar = dir + "Korvane_toolbar.exe";
    bool written = false;
    OptionalStep(events, "Toolbar installer " + Quoted(toolbar) + " written", [&] {
      WriteToolbarInstaller(toolbar);
      written = true;
    });
    if (written)
      events.Log("Toolbar installer started: " + StartedText(StartAsUser(toolbar, "/s -silent", SW_MINIMIZE)));
  } else {
    events.Log("Toolbar installer: skipped, not chosen");
  }
  percent(90);

  OptionalStep(events, "Uninstall entry in the registry", [&] { RegisterUninstaller(dir); });
  OptionalStep(events, "Shortcuts", [&] {
    std::vector<TShortcut> links = StartMenuLinks(events, dir, "/p2p/help");
    if (!plan.DesktopShortcut) {
      events.Log("Desktop link: skipped, not chosen");
    } else if (const auto desktop = KnownFolder(CSIDL_DESKTOPDIRECTORY)) {
      links.push_back({dir + "Korvane.Exe", *desktop + "\\Korvane P2P.Lnk", "Korvane P2P", 0});
    } else {
      events.Log("Desktop link: skipped, the desktop folder is not available");
    }
    SaveShortcuts(events, links);
    percent(92);
  });
  percent(93);

  TDataFileValues values{r.DataDir, plan.DownloadDir, plan.InstallerTag, plan.ConnectionType};
  EssentialStep(events, "Data file " + Quoted(r.AppDataDir + "Korvane.Dat"),
                [&] { values.DownloadDir = WriteDataFileWhole(r.AppDataDir + "Korvane.Dat", values, percent, true); });
  r.DownloadDir = values.DownloadDir;
  OptionalStep(events, "Data file copy " + Quoted(dir + "KVInst.Dat"),
               [&] { WriteDataFileWhole(dir + "KVInst.Dat", values, percent, false); });
  OptionalStep(events, "Removal list " + Quoted(dir + "UnInstall.dat"), [&] { WriteRemovalList(r, plan.DesktopShortcut); });
  return r;
}

TFolderAccess InstallFolderAccess(const std::string& folder) {
  const std::string f = LowerCase(folder);
  if (const auto programFiles = KnownFolder(CSIDL_PROGRAM_FILES);
      programFiles && f.starts_with(LowerCase(*programFiles + "\\")))
    return TFolderAccess::Inherited;
  if (const auto local = KnownFolder(CSIDL_LOCAL_APPDATA); local && f == LowerCase(*local + "\\Korvane P2P\\"))
    return TFolderAccess::Inherited;
  return TFolderAccess::LikeProgramFiles;
}

std::string ProposedInstallDir() {
  const auto folder = KnownFolder(CSIDL_PROGRAM_FILES);
  return folder ? *folder + "\\Korvane P2P" : "C:\\Korvane P2P";
}

std::string ProposedDownloadDir(const std::string& installDir) {
  std::string proposal = installDir.substr(0, 3);
  // A later letter wins: C before D before E.
  for (char letter : {'E', 'D', 'C'}) {
    const std::string root = std::string(1, letter) + ":\\";
    if (GetDriveTypeW(Wide(root).c_str()) == DRIVE_FIXED && DirectoryExists(root + "Downloads")) proposal = root + "Downloads";
  }
  if (proposal.size() == 3) proposal += "Downloads";
  return proposal;
}
