// The installation, step by step.
#include <shlobj.h>
#include <windows.h>

#include <optional>
#include <vector>

#include "engine/Engine.h"
#include "engine/EngineSteps.h"
#include "engine/UninstallEntry.h"
#include "lib/LIB_DataPlatform.h"
#include "lib/LIB_Errors.h"
#include "lib/LIB_InstallPaths.h"
#include "lib/LIB_Text.h"
#include "lib/win/FileByHandle.h"
#include "lib/win/ShellHelpers.h"
#include "lib/win/WinApp.h"
#include "lib/win/WinHandles.h"
#include "lib/win/WinText.h"
#include "lib/win/WinThread.h"
#include "payload/GB_KORVANE_DAT.h"
#include "payload/GB_Payload.h"
#include "payload/win/GB_KorvaneP2P_exe.h"
#include "payload/win/GB_Uninstall_exe.h"
#include "payload/win/GB_korvane_toolbar_exe.h"

namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// A folder that an elevated installation takes over outside the program files folder gets that
// folder's rights, and Administrators as its owner, before any program goes in: whoever made it
// beforehand can then no longer replace what an administrator will run. Only when it is empty or
// holds nothing but this product's files: rights that are inherited would otherwise rewrite
// those of everything else in it. A folder that is a link, or lies behind one, takes no programs.
void PrepareProgramFolder(const std::string& folder, bool elevated, TEngineEvents& events) {
  if (HasLinkOnPath(folder)) {
    events.Log("Installation folder " + Quoted(folder) + ": refused, it is a link or lies behind one");
    throw EInOutError(ERROR_ACCESS_DENIED);
  }
  if (InstallFolderAccess(folder, elevated) != TFolderAccess::LikeProgramFiles) return;
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileW(Wide(folder + "*").c_str(), &entry);
  std::string other;
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = Utf8(entry.cFileName);
      if (name == "." || name == "..") continue;
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsProductFileName(name)) other = name;
    } while (other.empty() && FindNextFileW(find, &entry));
    FindClose(find);
  }
  if (!other.empty()) {
    events.Log("Installation folder " + Quoted(folder) + ": keeps its own rights, it holds " + Quoted(other) +
               ", which is not this product's");
    return;
  }
  const TFileHandle handle = OpenPlainFolder(folder, READ_CONTROL | WRITE_DAC | WRITE_OWNER);
  TProgramFilesAccess().Apply(handle.get());
  events.Log("Installation folder " + Quoted(folder) +
             ": given the rights of the program files folder, owned by Administrators");
}

// The first candidate folder that exists or can be made; the last one's failure is the
// installation's.
std::string UsableInstallDir(const std::string& chosen, bool elevated, TEngineEvents& events) {
  const auto programFiles = KnownFolder(CSIDL_PROGRAM_FILES);
  const auto local = KnownFolder(CSIDL_LOCAL_APPDATA);
  std::vector<std::string> candidates = {chosen};
  if (programFiles) candidates.push_back(*programFiles + "\\KorvaneP2P\\");
  if (local) candidates.push_back(*local + "\\Korvane P2P\\");
  candidates.push_back("C:\\Korvane\\");
  for (size_t i = 0;; ++i) {
    const bool last = i + 1 == candidates.size();
    try {
      ForceFolder(candidates[i], InstallFolderAccess(candidates[i], elevated));
      if (last || DirectoryExists(candidates[i])) {
        PrepareProgramFolder(candidates[i], elevated, events);
        return candidates[i];
      }
      events.Log("Installation folder " + Quoted(candidates[i]) + ": failed, it does not exist after creation");
    } catch (const EInOutError& e) {
      events.Log("Installation folder " + Quoted(candidates[i]) + ": failed, " + e.what());
      if (last) throw;
    }
  }
}

// A folder an administrator named: made and written, or the run ends here, with no folder of
// its making left behind.
std::string GivenInstallDir(const std::string& given, bool elevated, TEngineEvents& events) {
  try {
    ForceWritableFolder(given, InstallFolderAccess(given, elevated));
    PrepareProgramFolder(given, elevated, events);
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
    // The user could have put a link there to steer what an administrator's installation writes.
    if (HasLinkOnPath(dir)) {
      events.Log("Data folder " + Quoted(dir) + ": failed, it is a link or lies behind one; the installation folder is used");
      return installDir;
    }
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
  const std::string folder = file.substr(0, file.find_last_of('\\') + 1);
  const std::string temp = file + ".tmp";
  // The folder cannot be swapped for a link while the files in it are written and renamed.
  const THeldFolder held(folder);
  std::string downloadDir;
  try {
    downloadDir = WriteDataFile(temp, values, progress);
    if (keepOld) {
      if (const TFileHandle old = OpenPlainFile(file, DELETE)) {
        try {
          RenameOpenFile(old.get(), folder + "Korvane.bak");
        } catch (const EInOutError&) {
          // The old file stays as it was; the new one replaces it all the same.
        }
      }
    }
    FlushAndMove(temp, file);
  } catch (...) {
    RemovePlainFile(temp);
    throw;
  }
  return downloadDir;
}

// Starts the toolbar installer on a thread of its own, so that the installation goes on while
// the desktop shell is asked to start it. The thread finds the shell as soon as the installation
// begins, since that alone takes longer than writing the programs. The log says how the
// start went once it is known, however the installation ends.
class TToolbarStart {
 public:
  explicit TToolbarStart(TEngineEvents& events) : events_(events), thread_([this] { Run(); }) {}
  // The installer is written at `program`: it may be started.
  void Start(const std::string& program) {
    program_ = program;
    SetEvent(go_.get());
  }
  ~TToolbarStart() {
    SetEvent(go_.get());
    thread_.Join();
    if (!program_.empty()) events_.Log("Toolbar installer started: " + StartedText(started_));
  }

 private:
  void Run() {
    TUserStarter starter;
    WaitForSingleObject(go_.get(), INFINITE);
    if (!program_.empty()) started_ = starter.Start(program_, "/s -silent", SW_MINIMIZE);
  }

  TEngineEvents& events_;
  std::string program_;
  TStarted started_ = TStarted::Failed;
  TKernelHandle go_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  TThread thread_;  // last, so that it starts once the rest is in place
};

}  // namespace

TInstallResult RunInstallation(const TInstallPlan& plan, TEngineEvents& events) {
  const int maximum = InstallProgressMaximum();
  auto percent = [&](int p) { events.Progress(PercentPosition(maximum, p), maximum); };
  auto bar = [&](int value) { events.Progress(value, maximum); };

  std::optional<TToolbarStart> toolbarStart;
  if (plan.Toolbar) toolbarStart.emplace(events);
  TInstallResult r;
  std::string chosen = plan.InstallDir;
  if (!chosen.ends_with('\\')) chosen += '\\';
  r.InstallDir = plan.InstallDirGiven ? GivenInstallDir(chosen, plan.Elevated, events)
                                      : UsableInstallDir(chosen, plan.Elevated, events);
  events.Log("Installation folder " + Quoted(r.InstallDir) + ": done");
  r.AppDataDir = UsableDataDir(r.InstallDir, events);
  r.DataDir = r.AppDataDir;
  events.Log("Data folder " + Quoted(r.AppDataDir) + ": done");
  r.DownloadDir = plan.DownloadDir;
  events.FoldersSettled(r);
  const std::string& dir = r.InstallDir;
  // The list exists before the first program file, so that an installation cut short at any
  // point can be removed.
  OptionalStep(events, "Removal list " + Quoted(dir + "UnInstall.dat") + " ahead of the programs",
               [&] { WriteRemovalList(r, plan.DesktopShortcut); });

  DeleteIfPresent(dir + "korvane.exe", events);
  EssentialStep(events, "Client program " + Quoted(dir + "Korvane.Exe"), [&] { WriteClientProgram(dir + "Korvane.Exe", bar); });
  // Without its uninstaller the product could never be removed.
  EssentialStep(events, "Uninstaller " + Quoted(dir + "Uninstall.Exe"), [&] { WriteUninstaller(dir + "Uninstall.Exe"); });
  DeleteIfPresent(dir + "korvane.dat", events);
  DeleteIfPresent(dir + "korvane.bak", events);

  if (plan.Toolbar) {
    const std::string toolbar = dir + "Korvane_toolbar.exe";
    bool written = false;
    OptionalStep(events, "Toolbar installer " + Quoted(toolbar) + " written", [&] {
      WriteToolbarInstaller(toolbar);
      written = true;
    });
    if (written) toolbarStart->Start(toolbar);
  } else {
    events.Log("Toolbar installer: skipped, not chosen");
  }
  percent(90);

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
  // Last, so that the size it gives counts every file written.
  OptionalStep(events, "Uninstall entry in the registry", [&] { WriteUninstallEntry(dir, r.AppDataDir); });
  return r;
}

TFolderAccess InstallFolderAccess(const std::string& folder, bool elevated) {
  if (!elevated) return TFolderAccess::Inherited;
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
