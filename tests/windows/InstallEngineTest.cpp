// The installation engine run directly, without a window, and what it leaves on the computer;
// then the wizard's installation panel in front of it, and the completion panel starting the client.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "engine/Engine.h"
#include "engine/EngineSteps.h"
#include "engine/InstallLog.h"
#include "lib/LIB_DataFileReader.h"
#include "lib/LIB_Errors.h"
#include "lib/LIB_InstallPaths.h"
#include "lib/LIB_Version.h"
#include "lib/LIB_Text.h"
#include "lib/win/Elevation.h"
#include "lib/win/FolderRule.h"
#include "lib/win/ShellHelpers.h"
#include "lib/win/WinHandles.h"
#include "panels/PNL_InstallInstalling.h"
#include "payload/GB_Payload.h"
#include "panels/PNL_InstallReady.h"
#include "tests/windows/EngineEvents.h"
#include "tests/windows/TestFiles.h"
#include "tests/windows/WizardTestUtil.h"

namespace {

// Notes the name of every file made in a folder, or renamed to, while it watches.
class TNameWatch {
 public:
  explicit TNameWatch(const std::string& folder)
      : folder_(folder),
        dir_(CreateFileW(Wide(folder).c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)),
        thread_([this] { Run(); }) {
    // It watches once it sees a name of its own.
    for (int i = 0; i < 300 && !Seen("kvready"); ++i) Touch("kvready");
  }
  ~TNameWatch() { Stop(); }

  bool Watching() { return Seen("kvready"); }

  std::vector<std::string> Stop() {
    if (thread_.joinable()) {
      stop_ = true;
      Touch("kvstop");  // wakes the watch
      thread_.join();
    }
    return names_;
  }

 private:
  void Touch(const char* name) {
    CloseHandle(CreateFileW(Wide(folder_ + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    Sleep(10);
  }
  bool Seen(const std::string& name) {
    std::lock_guard guard(lock_);
    return std::ranges::find(names_, name) != names_.end();
  }
  void Run() {
    alignas(DWORD) char buffer[64 * 1024];
    DWORD got = 0;
    while (!stop_ && ReadDirectoryChangesW(dir_.get(), buffer, sizeof buffer, FALSE, FILE_NOTIFY_CHANGE_FILE_NAME, &got,
                                           nullptr, nullptr)) {
      for (DWORD at = 0; got > 0;) {
        const auto* n = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer + at);
        if (n->Action == FILE_ACTION_ADDED || n->Action == FILE_ACTION_RENAMED_NEW_NAME) {
          std::lock_guard guard(lock_);
          names_.push_back(Utf8(std::wstring_view(n->FileName, n->FileNameLength / sizeof(wchar_t))));
        }
        if (n->NextEntryOffset == 0) break;
        at += n->NextEntryOffset;
      }
    }
  }

  std::string folder_;
  TFileHandle dir_;
  std::atomic<bool> stop_{false};
  std::mutex lock_;
  std::vector<std::string> names_;
  std::thread thread_;
};

std::string ExePathFolder() {
  const std::string exe = ExePath();
  return exe.substr(0, exe.find_last_of('\\') + 1);
}

std::string WindowText(HWND h) {
  char buf[256] = "";
  GetWindowTextA(h, buf, sizeof buf);
  return buf;
}


long long RegNumber(const char* name) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, KUninstallKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
    return -1;
  return value;
}

// What the files directly inside `folder` hold, in bytes.
long long FilesIn(const std::string& folder) {
  long long bytes = 0;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      bytes += (static_cast<long long>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return bytes;
}

constexpr char kInstall[] = "C:\\kvtest install\\Korvane P2P\\";

// The entry in the list of installed programs: every value, its size being all that the
// installation put into its two folders.
void ExpectUninstallEntry(const std::string& appData) {
  const std::string inst = kInstall, site = KProductSite;
  const std::pair<const char*, std::string> texts[] = {
      {"DisplayName", "Korvane P2P"},
      {"UninstallString", "\"" + inst + "Uninstall.Exe\""},
      {"QuietUninstallString", "\"" + inst + "Uninstall.Exe\" /S"},
      {"DisplayVersion", KProductVersion},
      {"Publisher", "Korvane"},
      {"DisplayIcon", "\"" + inst + "Korvane.Exe\",0"},
      {"InstallLocation", inst},
      {"URLInfoAbout", site + "/p2p/"},
      {"HelpLink", site + "/p2p/help"},
  };
  for (const auto& [name, value] : texts) EXPECT_EQ(UninstallEntryValue(name), value) << name;
  EXPECT_EQ(RegNumber("EstimatedSize"), (FilesIn(inst) + FilesIn(appData) + 1023) / 1024);
  EXPECT_EQ(RegNumber("NoModify"), 1);
  EXPECT_EQ(RegNumber("NoRepair"), 1);

  // The shell finds the icon where the entry says.
  wchar_t icon[MAX_PATH] = L"";
  Wide(UninstallEntryValue("DisplayIcon")).copy(icon, MAX_PATH - 1);
  const int index = PathParseIconLocationW(icon);
  EXPECT_EQ(LowerCase(Utf8(icon)), LowerCase(inst + "Korvane.Exe"));
  EXPECT_EQ(index, 0);
  HICON large = nullptr;
  EXPECT_EQ(ExtractIconExW(icon, index, &large, nullptr, 1), 1u);
  if (large) DestroyIcon(large);
}

std::string AppData() { return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Korvane P2P\\"; }

void CleanInstallation() {
  RemoveTree("C:\\kvtest install");
  RemoveTree(ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Korvane P2P");
  RemoveTree(ShellFolder(CSIDL_PROGRAM_FILES) + "\\KorvaneP2P");
  RemoveTree("C:\\Korvane");
  RemoveTree(ShellFolder(CSIDL_PROGRAMS) + "\\Korvane P2P");
  DeleteFileA((ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Korvane P2P.Lnk").c_str());
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, KUninstallKey);
}

class InstallEngine : public testing::Test {
 protected:
  void SetUp() override {
    CleanInstallation();
    toolbarLog = ToolbarLogFile();
    DeleteFileA(toolbarLog.c_str());
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  }
  void TearDown() override {
    CleanInstallation();
    DeleteFileA(toolbarLog.c_str());
    CoUninitialize();
  }
  std::string ToolbarLog() const {
    // The stand-in runs on its own: give it a moment to write.
    for (int i = 0; i < 50 && !Exists(toolbarLog); ++i) Sleep(100);
    Sleep(200);
    return ReadAll(toolbarLog);
  }

  TInstallPlan plan{.InstallDir = kInstall,
                    .DownloadDir = "C:\\kvtest_downloads\\",
                    .ConnectionType = 8,
                    .InstallerTag = "03",
                    .Toolbar = true,
                    .DesktopShortcut = true};
  TRecordingEvents events;
  std::string toolbarLog;
};

TEST_F(InstallEngine, DefaultAnswersLeaveEverythingInPlace) {
  const TInstallResult r = RunInstallation(plan, events);

  const std::string appData = AppData();
  EXPECT_EQ(r.InstallDir, kInstall);
  EXPECT_EQ(r.AppDataDir, appData);
  EXPECT_EQ(r.DataDir, appData);
  EXPECT_EQ(r.DownloadDir, "C:\\kvtest_downloads");  // the data file took the backslash away

  EXPECT_EQ(FileSize(r.InstallDir + "Korvane.Exe"), 3966976);
  EXPECT_EQ(FileSize(r.InstallDir + "Uninstall.Exe"), 635392);
  EXPECT_EQ(FileSize(r.InstallDir + "Korvane_toolbar.exe"), 1311504);

  std::string expected;
  for (const std::string& line : RemovalList(kInstall, appData, appData, true)) expected += line + "\r\n";
  EXPECT_EQ(ReadAll(r.InstallDir + "UnInstall.dat"), expected);
  EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'), 18);

  ExpectUninstallEntry(appData);

  const std::string group = ShellFolder(CSIDL_PROGRAMS) + "\\Korvane P2P\\";
  const struct {
    std::string file, target, description;
    int icon;
  } links[] = {
      {group + "Korvane P2P.Lnk", r.InstallDir + "Korvane.Exe", "Korvane P2P", 0},
      {group + "Korvane P2P On the Web.Lnk", std::string(KProductSite) + "/p2p/", "Korvane P2P On the web", -1},
      {group + "Korvane P2P Help.Lnk", std::string(KProductSite) + "/p2p/help", "Korvane P2P Help", -1},
      {group + "Korvane P2P Uninstall.Lnk", r.InstallDir + "Uninstall.Exe", "Korvane P2P Uninstall", 0},
      {ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Korvane P2P.Lnk", r.InstallDir + "Korvane.Exe", "Korvane P2P", 0},
  };
  for (const auto& l : links) {
    SCOPED_TRACE(l.file);
    ASSERT_TRUE(Exists(l.file));
    const TLink got = ReadLink(l.file);
    EXPECT_EQ(got.Description, l.description);
    EXPECT_EQ(got.Arguments, "");
    if (l.icon >= 0) {
      EXPECT_EQ(LowerCase(got.Target), LowerCase(l.target));
      EXPECT_EQ(LowerCase(got.IconFile), LowerCase(l.target));
      EXPECT_EQ(got.Icon, l.icon);
    } else {
      EXPECT_EQ(got.IconFile, "");
    }
  }

  // The first file's header still has the download folder as the user gave it; the folder
  // list, and everything of the second file, has it without the backslash.
  for (auto [file, headerDownloads] : {std::pair{appData + "Korvane.Dat", "C:\\kvtest_downloads\\"},
                                       std::pair{r.InstallDir + "KVInst.Dat", "C:\\kvtest_downloads"}}) {
    SCOPED_TRACE(file);
    const TDataFileContent dat = ReadDataFile(ReadAll(file));
    EXPECT_EQ(dat.Header.DataDir, appData);
    EXPECT_EQ(dat.Header.DownloadDir, headerDownloads);
    EXPECT_EQ(dat.Header.InstallerTag, "03");
    EXPECT_EQ(dat.Header.ConnectionSpeed, 77);
    ASSERT_EQ(dat.Folders.size(), 1u);
    EXPECT_EQ(dat.Folders[0].Path, "C:\\kvtest_downloads");
  }
  EXPECT_NE(ReadAll(appData + "Korvane.Dat"), ReadAll(r.InstallDir + "KVInst.Dat"));

  EXPECT_EQ(ToolbarLog(), "\"" + std::string(kInstall) + "Korvane_toolbar.exe\" /s -silent\r\n");

  // The bar: the client program's writes, then the fixed steps, twice up to 99 % by the data files.
  const int max = InstallProgressMaximum();
  ASSERT_FALSE(events.Positions.empty());
  EXPECT_EQ(events.Positions.front(), 1024);
  for (int p : {6156616, PercentPosition(max, 90), PercentPosition(max, 92), PercentPosition(max, 93)})
    EXPECT_NE(std::ranges::find(events.Positions, p), events.Positions.end()) << p;
  EXPECT_EQ(events.Positions.back(), PercentPosition(max, 99));
  EXPECT_EQ(std::ranges::count(events.Positions, PercentPosition(max, 94)), 2);
  EXPECT_EQ(events.Maximum, max);
  EXPECT_TRUE(events.Statuses.empty());

  // One line per step, none failed.
  // Under Wine everyone is an administrator: the toolbar installer goes through the desktop shell.
  EXPECT_TRUE(events.Logged("Toolbar installer started", "by the desktop shell with the user's own rights"))
      << events.LogText();
  for (const std::string& step : {std::string("Client program"), std::string("Uninstaller"),
                                  std::string("Toolbar installer"), std::string("Uninstall entry"),
                                  "Link \"" + group + "Korvane P2P Help.Lnk", "Link \"" + links[4].file,
                                  std::string("Data file \""), std::string("Data file copy"), std::string("Removal list")})
    EXPECT_TRUE(events.Logged(step, ": done")) << step << "\n" << events.LogText();
  EXPECT_FALSE(events.Logged("", "failed")) << events.LogText();
}

TEST_F(InstallEngine, NoToolbarNoDesktopLinkOtherSpeed) {
  plan.Toolbar = false;
  plan.DesktopShortcut = false;
  plan.ConnectionType = 4;
  const TInstallResult r = RunInstallation(plan, events);
  EXPECT_FALSE(Exists(r.InstallDir + "Korvane_toolbar.exe"));
  EXPECT_FALSE(Exists(ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Korvane P2P.Lnk"));
  const std::string list = ReadAll(r.InstallDir + "UnInstall.dat");
  EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 17);
  EXPECT_EQ(list.find("<T"), std::string::npos);
  EXPECT_EQ(ReadDataFile(ReadAll(r.AppDataDir + "Korvane.Dat")).Header.ConnectionSpeed, 90);
  ExpectUninstallEntry(r.AppDataDir);  // a size without the toolbar's installer
  EXPECT_TRUE(events.Logged("Toolbar installer", "skipped, not chosen")) << events.LogText();
  EXPECT_TRUE(events.Logged("Desktop link", "skipped, not chosen")) << events.LogText();
  Sleep(500);
  EXPECT_FALSE(Exists(toolbarLog));
}

// What an installation cut short leaves can always be removed, and no data file is ever partial.
TEST_F(InstallEngine, RemovalListFirstDataFilesWholeOldDataFileKept) {
  plan.Toolbar = false;
  RunInstallation(plan, events);
  const auto at = [&](const std::string& step) {
    return std::ranges::find_if(events.Lines, [&](const std::string& l) { return l.starts_with(step); }) -
           events.Lines.begin();
  };
  EXPECT_LT(at("Removal list"), at("Client program")) << events.LogText();
  const std::string first = ReadAll(AppData() + "Korvane.Dat");
  events = {};
  RunInstallation(plan, events);
  EXPECT_EQ(ReadAll(AppData() + "Korvane.bak"), first);
  EXPECT_NE(ReadAll(AppData() + "Korvane.Dat"), first);
  for (const std::string& f : {AppData() + "Korvane.Dat.tmp", std::string(kInstall) + "KVInst.Dat.tmp"})
    EXPECT_FALSE(Exists(f)) << f;
}

// Each candidate folder that cannot be made (a file stands in its way) gives way to the next.
TEST_F(InstallEngine, EachFolderFallback) {
  const std::string programFiles = ShellFolder(CSIDL_PROGRAM_FILES) + "\\KorvaneP2P";
  const std::string localData = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Korvane P2P";
  plan.Toolbar = false;
  plan.InstallDir = "Q:\\no such drive\\Korvane P2P\\";
  struct {
    const char* what;
    std::vector<std::string> blocked;  // files made where a folder would go
    std::string installDir, appDataDir;
  } cases[] = {
      {"program files", {}, programFiles + "\\", localData + "\\"},
      {"local application data", {programFiles}, localData + "\\", localData + "\\"},
      {"the last resort", {programFiles, localData}, "C:\\Korvane\\", "C:\\Korvane\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CleanInstallation();
    for (const std::string& f : c.blocked) WriteText(f, "in the way");
    events = {};
    const TInstallResult r = RunInstallation(plan, events);
    EXPECT_EQ(r.InstallDir, c.installDir);
    EXPECT_EQ(r.AppDataDir, c.appDataDir);  // the data folder falls back to the installation folder
    EXPECT_EQ(r.DataDir, r.AppDataDir);
    // The front end learns of the folders it fell back to.
    ASSERT_EQ(events.Settled.size(), 1u);
    EXPECT_EQ(events.Settled[0].InstallDir, c.installDir);
    EXPECT_EQ(events.Settled[0].AppDataDir, c.appDataDir);
    EXPECT_EQ(events.Settled[0].DataDir, c.appDataDir);
    EXPECT_EQ(events.Settled[0].DownloadDir, plan.DownloadDir);
    EXPECT_EQ(FileSize(r.InstallDir + "Korvane.Exe"), KClientProgram.USize);
    EXPECT_TRUE(Exists(r.AppDataDir + "Korvane.Dat"));
    EXPECT_TRUE(events.Logged("Installation folder \"Q:\\no such drive\\Korvane P2P\\\"", "failed")) << events.LogText();
    for (const std::string& f : c.blocked) DeleteFileA(f.c_str());
  }
}

// A folder an administrator named is used or the run ends with the reason, before anything is
// written: no fallback folder, no data folder, no registry entry, and no folder of its making.
TEST_F(InstallEngine, GivenFolderThatCannotBeUsedEndsTheRunWithNothingWritten) {
  plan.InstallDirGiven = true;
  const struct {
    const char* what;
    std::string folder, file;  // `file` stands in the way, when there is one
  } cases[] = {
      {"under a file", "C:\\kvtest install\\file\\Korvane P2P\\", "C:\\kvtest install\\file"},
      {"on a drive that does not exist", "Q:\\Korvane P2P\\", ""},
      {"a name the file system refuses, below folders made for it", "C:\\kvtest install\\made\\a|b\\", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CleanInstallation();
    if (!c.file.empty()) {
      CreateDirectoryA("C:\\kvtest install", nullptr);
      WriteText(c.file, "in the way");
    }
    events = {};
    plan.InstallDir = c.folder;
    try {
      RunInstallation(plan, events);
      ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
      EXPECT_TRUE(std::string(e.what()).starts_with("the installation folder \"" + c.folder + "\" cannot be used: "))
          << e.what();
    }
    EXPECT_EQ(Exists("C:\\kvtest install"), !c.file.empty());
    EXPECT_FALSE(Exists(c.folder));
    for (const std::string& f : {ShellFolder(CSIDL_PROGRAM_FILES) + "\\KorvaneP2P", std::string("C:\\Korvane"), AppData(),
                                 ShellFolder(CSIDL_PROGRAMS) + "\\Korvane P2P"})
      EXPECT_FALSE(Exists(f)) << f;
    EXPECT_EQ(UninstallEntryValue("DisplayName"), "(missing)");
  }
}

// The longest folder the rule takes holds every file that the installation and the upgrade put
// into it within a classic path, temporary files included: each name made in it is watched.
TEST_F(InstallEngine, LongestFolderTheRuleTakesHoldsEveryFileInAClassicPath) {
  std::string folder = "C:\\kvtest install\\";
  folder += std::string(KLongestFolder - folder.size(), 'k');
  ASSERT_EQ(CheckFolder(folder).Fault, TFolderFault::None);
  ASSERT_EQ(CheckFolder(folder + "k").Fault, TFolderFault::TooLong);
  ForceFolder(folder);
  std::vector<std::string> names;
  {
    TNameWatch watch(folder);
    ASSERT_TRUE(watch.Watching());
    plan.InstallDir = CheckFolder(folder).Folder;
    RunInstallation(plan, events);
    RunUpgrade({plan.InstallDir}, events);
    names = watch.Stop();
  }
  for (const char* name : {"Korvane.Exe", "Korvane_toolbar.exe", "KVInst.Dat.tmp", "Korvane.Exe.tmp", "Uninstall.Exe.tmp"})
    EXPECT_NE(std::ranges::find(names, name), names.end()) << name << " was not seen";
  for (const std::string& name : names)
    EXPECT_LT(plan.InstallDir.size() + name.size(), KClassicPathRoom) << name;
}

// A user who puts a link in place of the per-user data folder or of the Start-menu group steers
// nothing: the data file goes where the folder fallbacks lead, no link is saved through it, and
// nothing is written where the links lead.
TEST_F(InstallEngine, LinksInPlaceOfTheUsersFoldersAreNotFollowed) {
  const std::string target = "C:\\kvtest link target", group = ShellFolder(CSIDL_PROGRAMS) + "\\Korvane P2P";
  const std::string appData = AppData().substr(0, AppData().size() - 1);
  RemoveTree(group);
  CreateDirectoryA(target.c_str(), nullptr);
  ASSERT_TRUE(MakeFolderLink(appData, target));
  ASSERT_TRUE(MakeFolderLink(group, target));
  plan.Toolbar = false;
  const TInstallResult r = RunInstallation(plan, events);
  EXPECT_EQ(r.AppDataDir, kInstall);
  EXPECT_TRUE(Exists(std::string(kInstall) + "Korvane.Dat"));
  EXPECT_TRUE(events.Logged("Data folder", "it is a link or lies behind one")) << events.LogText();
  EXPECT_TRUE(events.Logged("Shortcuts", "failed, File access denied (ignored)")) << events.LogText();
  WIN32_FIND_DATAA found;
  const HANDLE find = FindFirstFileA((target + "\\*").c_str(), &found);
  int entries = 0;
  if (find != INVALID_HANDLE_VALUE) {
    do entries += found.cFileName[0] != '.';
    while (FindNextFileA(find, &found));
    FindClose(find);
  }
  EXPECT_EQ(entries, 0);
  RemoveFolderLink(appData);
  RemoveFolderLink(group);
  RemoveTree(target);
}

// A folder that an elevated installation reuses outside the program files folder is given that
// folder's rights only when it holds nothing but this product's files; one that is a link takes
// no programs, and the installation falls back as for a folder it cannot make.
TEST_F(InstallEngine, AReusedFolderGetsProtectedRightsOnlyWhenItHoldsOnlyOurFiles) {
  plan.Toolbar = false;
  const struct {
    const char* what;
    const char* file;
    bool elevated;
    const char* logged;  // nullptr: nothing about its rights
  } cases[] = {
      {"a reinstallation", "Korvane.Exe", true, ": given the rights of the program files folder, owned by Administrators"},
      {"other files", "notes.txt", true, ": keeps its own rights, it holds \"notes.txt\", which is not this product's"},
      {"a standard user", "Korvane.Exe", false, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CleanInstallation();
    ForceFolder(kInstall);
    WriteText(std::string(kInstall) + c.file, "old");
    plan.Elevated = c.elevated;
    events = {};
    EXPECT_EQ(RunInstallation(plan, events).InstallDir, kInstall);
    EXPECT_EQ(events.Logged("Installation folder", "rights"), c.logged != nullptr) << events.LogText();
    if (c.logged) EXPECT_TRUE(events.Logged("Installation folder \"" + std::string(kInstall) + "\"", c.logged)) << events.LogText();
  }

  CleanInstallation();
  const std::string target = "C:\\kvtest link target", linked = std::string(kInstall).substr(0, strlen(kInstall) - 1);
  CreateDirectoryA("C:\\kvtest install", nullptr);
  CreateDirectoryA(target.c_str(), nullptr);
  ASSERT_TRUE(MakeFolderLink(linked, target));
  plan.Elevated = true;
  events = {};
  EXPECT_EQ(RunInstallation(plan, events).InstallDir, ShellFolder(CSIDL_PROGRAM_FILES) + "\\KorvaneP2P\\");
  EXPECT_TRUE(events.Logged("Installation folder", "refused, it is a link or lies behind one")) << events.LogText();
  EXPECT_FALSE(Exists(target + "\\Korvane.Exe"));
  RemoveFolderLink(linked);
  RemoveTree(target);
}

// The client program is essential: a file in use ends the run with its error, after the folders.
TEST_F(InstallEngine, AClientProgramInUseEndsTheRun) {
  ForceFolder(kInstall);
  const std::string client = std::string(kInstall) + "Korvane.Exe";
  WriteText(client, "old");
  TFileHandle lock(CreateFileA(client.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock);
  try {
    RunInstallation(plan, events);
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_TRUE(std::string(e.what()).starts_with("Cannot create file \"" + client + "\". ")) << e.what();
  }
  EXPECT_TRUE(Exists(AppData()));  // the data folder was made before the failure
  EXPECT_FALSE(Exists(std::string(kInstall) + "Uninstall.Exe"));
  EXPECT_TRUE(events.Logged("Client program", "failed, Cannot create file")) << events.LogText();
}

// The uninstaller is essential too: without it the product could never be removed.
TEST_F(InstallEngine, AnUninstallerThatCannotBeWrittenEndsTheRun) {
  ForceFolder(std::string(kInstall) + "Uninstall.Exe");  // a folder where the program goes
  EXPECT_THROW(RunInstallation(plan, events), std::runtime_error);
  EXPECT_TRUE(events.Logged("Uninstaller", "failed, Cannot create file")) << events.LogText();
  EXPECT_FALSE(events.Logged("Uninstaller", "(ignored)")) << events.LogText();
  EXPECT_FALSE(events.Logged("Data file", "done")) << events.LogText();
}

// Runs only where the test setup has mounted a tiny disk (KV_FULL_DISK, a drive on it).
TEST_F(InstallEngine, FullDiskEndsWithStreamWriteError) {
  const char* full = std::getenv("KV_FULL_DISK");
  if (!full) GTEST_SKIP() << "no small disk mounted";
  plan.InstallDir = std::string(full) + "\\Korvane P2P\\";
  EXPECT_THROW(
      try { RunInstallation(plan, events); } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Stream write error");
        throw;
      },
      std::exception);
  EXPECT_TRUE(events.Logged("Client program", "failed, Stream write error")) << events.LogText();
  EXPECT_GT(FileSize(plan.InstallDir + "Korvane.Exe"), 0);  // the part that fitted stays
  RemoveTree(std::string(full) + "\\Korvane P2P");
}

// A token that cannot be read counts as an administrator's: the safe side of every decision.
TEST(Elevation, AnUnreadableTokenCountsAsElevated) {
  EXPECT_TRUE(TokenIsElevated(nullptr));
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY_SOURCE, &token));
  TKernelHandle owner(token);
  EXPECT_TRUE(TokenIsElevated(token));
}

// Program folders that an elevated installation makes outside the program files folder get its
// rights: a user can read and run what is in them, not replace it. The per-user folder stays
// the user's, and so does every folder of a standard user's own installation. (Wine keeps no access
// rights on its files, so the descriptor and the choice are checked, not the disk.)
TEST(FolderAccess, ProgramFilesRightsForProgramFoldersMadeElsewhere) {
  const std::string programFiles = ShellFolder(CSIDL_PROGRAM_FILES), local = ShellFolder(CSIDL_LOCAL_APPDATA);
  const struct {
    std::string folder;
    TFolderAccess access;
  } cases[] = {
      {programFiles + "\\Korvane P2P\\", TFolderAccess::Inherited},
      {LowerCase(programFiles) + "\\KorvaneP2P\\", TFolderAccess::Inherited},
      {local + "\\Korvane P2P\\", TFolderAccess::Inherited},
      {"C:\\Korvane\\", TFolderAccess::LikeProgramFiles},
      {"D:\\Games\\Korvane P2P\\", TFolderAccess::LikeProgramFiles},
      {programFiles + " (x86) old\\Korvane P2P\\", TFolderAccess::LikeProgramFiles},  // only a prefix in common
      {local + "\\Other\\", TFolderAccess::LikeProgramFiles},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InstallFolderAccess(c.folder, true), c.access) << c.folder;
    // A standard user's installation must stay writable by that user, wherever it goes.
    EXPECT_EQ(InstallFolderAccess(c.folder, false), TFolderAccess::Inherited) << c.folder;
  }

  TProgramFilesAccess rights;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(GetSecurityDescriptorControl(rights.get()->lpSecurityDescriptor, &control, &revision));
  EXPECT_TRUE(control & SE_DACL_PROTECTED);  // nothing a user may change above it comes in
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(rights.get()->lpSecurityDescriptor, &present, &dacl, &defaulted));
  ASSERT_TRUE(present && dacl);
  ASSERT_EQ(dacl->AceCount, 3);
  const struct {
    WELL_KNOWN_SID_TYPE who;
    ACCESS_MASK rights;
  } expected[] = {{WinLocalSystemSid, FILE_ALL_ACCESS},
                  {WinBuiltinAdministratorsSid, FILE_ALL_ACCESS},
                  {WinBuiltinUsersSid, GENERIC_READ | GENERIC_EXECUTE}};
  for (DWORD i = 0; i < 3; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
    EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_EQ(ace->Header.AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE), OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
    EXPECT_EQ(ace->Mask, expected[i].rights) << i;
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof sid;
    ASSERT_TRUE(CreateWellKnownSid(expected[i].who, nullptr, sid, &size));
    EXPECT_TRUE(EqualSid(&ace->SidStart, sid)) << i;
  }
}

TEST(ForceFolder, MakesMissingParentsAndReportsTheSystemCode) {
  const std::string root = "C:\\kvtest_force";
  ForceFolder(root + "\\a\\b");
  EXPECT_TRUE(Exists(root + "\\a\\b\\"));
  ForceFolder(root + "\\a\\b\\");  // an existing folder is fine
  try {
    ForceFolder("Q:\\no drive\\here");
    ADD_FAILURE() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, 3);
    EXPECT_STREQ(e.what(), "Invalid filename");
  }
  // A folder that cannot be made takes the parents made for it along.
  for (const auto make : {&ForceFolder, &ForceWritableFolder}) {
    EXPECT_THROW(make(root + "\\a\\new\\newer\\x|y", TFolderAccess::Inherited), EInOutError);
    EXPECT_TRUE(Exists(root + "\\a"));
    EXPECT_FALSE(Exists(root + "\\a\\new"));
  }
  ForceWritableFolder(root + "\\a\\c", TFolderAccess::Inherited);
  EXPECT_TRUE(Exists(root + "\\a\\c"));
  RemoveTree(root);
}

// ---- the wizard in front of the engine ----

class InstallPanel : public TWizardTest {
 protected:
  void SetUp() override {
    TWizardTest::SetUp();
    CleanInstallation();
    form->State.InstallDir = kInstall;
    form->State.DownloadDir = "C:\\kvtest_downloads\\";
    form->State.InstallToolbar = false;
  }
  void TearDown() override {
    TWizardTest::TearDown();
    CleanInstallation();
  }
};

// The answers go to the engine, its folders come back into the shared state, the completion
// panel follows; and all the while the window handles what is posted to it at once.
TEST_F(InstallPanel, RunsTheEngineWithTheAnswersAndStaysResponsive) {
  form->State.DesktopShortcut = true;
  form->State.ConnectionType = 2;
  form->ShowPanel(TPanelId::InstallGo, false);
  ASSERT_TRUE(Press("&Install Now"));
  EXPECT_EQ(ActiveName(), "PNLInstallInstalling");
  EXPECT_TRUE(form->EngineRunning());

  // While the engine works, closing the window is refused, and what is posted to the UI thread
  // is handled at once: a helper thread posts its clock every few milliseconds.
  static std::vector<double> delays;
  static LARGE_INTEGER freq;
  delays.clear();
  QueryPerformanceFrequency(&freq);
  HWND probe = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  SetWindowSubclass(
      probe,
      [](HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) -> LRESULT {
        if (msg != WM_APP) return DefSubclassProc(h, msg, wp, lp);
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        delays.push_back(1000.0 * double(now.QuadPart - lp) / double(freq.QuadPart));
        return 0;
      },
      1, 0);
  std::atomic<bool> posting{true};
  std::thread poster([&] {
    while (posting) {
      LARGE_INTEGER now;
      QueryPerformanceCounter(&now);
      PostMessageA(probe, WM_APP, 0, static_cast<LPARAM>(now.QuadPart));
      Sleep(5);
    }
  });
  SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0), FALSE);  // no logoff half-way
  EXPECT_EQ(form->LogoffReason(), "Korvane P2P is being installed");
  WaitUntil([&] { return !form->EngineRunning(); });
  posting = false;
  poster.join();
  DestroyWindow(probe);
  MSG quit;
  EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));  // the close was refused
  ASSERT_GT(delays.size(), 10u);
  EXPECT_LT(*std::ranges::max_element(delays), 100.0);
  WaitUntil([&] { return ActiveName() == "PNLInstallReady"; });
  EXPECT_EQ(SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);

  EXPECT_EQ(form->HeaderCaption(), "Installation of Korvane P2P ready");
  EXPECT_EQ(form->State.InstallDir, kInstall);
  EXPECT_EQ(form->State.AppDataDir, AppData());
  EXPECT_EQ(form->State.DataDir, AppData());
  EXPECT_EQ(form->State.DownloadDir, "C:\\kvtest_downloads");
  EXPECT_EQ(ReadDataFile(ReadAll(form->State.AppDataDir + "Korvane.Dat")).Header.ConnectionSpeed, 45);
  EXPECT_TRUE(Exists(ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Korvane P2P.Lnk"));
}

// An essential step that fails ends on the error panel, also when "&Install Now" was pressed
// with its accelerator key; what was done before stays.
TEST_F(InstallPanel, AFailureEndsOnTheErrorPanel) {
  ForceFolder(std::string(kInstall) + "Korvane.Exe");  // a folder where the program should go
  form->Show();  // accelerators work only in a window that shows
  form->ShowPanel(TPanelId::InstallGo, false);
  PostMessageA(form->Handle(), WM_SYSCHAR, 'i', 0);
  ProcessMessages();
  WaitUntil([&] { return !form->EngineRunning() && ActiveName() == "PnlError"; });
  EXPECT_EQ(ActiveName(), "PnlError");
  bool shown = false;
  EnumChildWindows(
      form->ActivePanel()->Handle(),
      [](HWND h, LPARAM p) -> BOOL {
        if (WindowText(h).starts_with("Cannot create file \"C:\\kvtest install\\Korvane P2P\\Korvane.Exe\". "))
          *reinterpret_cast<bool*>(p) = true;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&shown));
  EXPECT_TRUE(shown);
}

TEST(InstallProgress, CaptionIsTheNearestWholePerCentOfTheBar) {
  TPNLInstallInstalling panel;
  panel.EnsureControls();
  const int max = InstallProgressMaximum();
  SendMessageA(panel.ProgressBar1, PBM_SETRANGE32, 0, max);
  const std::pair<int, const char*> cases[] = {
      {0, "0% complete"},
      {2190336, "28% complete"},  // end of the client program's copy phase
      {6156616, "77% complete"},  // end of the client program: 77.499 %
      {PercentPosition(max, 90), "90% complete"},
      {PercentPosition(max, 92), "92% complete"},
      {PercentPosition(max, 93), "93% complete"},
      {PercentPosition(max, 99), "99% complete"},
  };
  for (auto [position, caption] : cases) {
    panel.ShowInstallProgress(position);
    EXPECT_EQ(SendMessageA(panel.ProgressBar1, PBM_GETPOS, 0, 0), position);
    EXPECT_EQ(WindowText(panel.Label12), caption);
  }
}

// Every line starts with the local time of its writing, "YYYY-MM-DD hh:mm:ss.mmm" and two blanks,
// and ends with CR LF.
TEST(InstallLog, LinesStartWithTheLocalTime) {
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  const std::string file = std::string(tmp) + "kvtest_install.log";
  const auto ticks = [](const SYSTEMTIME& t) {
    FILETIME f;
    EXPECT_TRUE(SystemTimeToFileTime(&t, &f));
    return (static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
  };
  SYSTEMTIME before, after;
  {
    TInstallLog log(file);
    GetLocalTime(&before);
    log.Line("first step");
    log.Line("Outcome: installed (exit code 0)");
    GetLocalTime(&after);
  }
  const std::string text = ReadAll(file);
  DeleteFileA(file.c_str());
  const std::string form = "dddd-dd-dd dd:dd:dd.ddd  ";
  size_t at = 0;
  for (const std::string line : {"first step", "Outcome: installed (exit code 0)"}) {
    const size_t end = text.find("\r\n", at);
    ASSERT_NE(end, std::string::npos) << text;
    const std::string stamp = text.substr(at, form.size());
    EXPECT_EQ(text.substr(at + form.size(), end - at - form.size()), line);
    for (size_t i = 0; i < form.size(); ++i)
      ASSERT_EQ(form[i] == 'd' ? std::isdigit(static_cast<unsigned char>(stamp[i])) != 0 : stamp[i] == form[i], true)
          << stamp;
    const auto field = [&stamp](size_t pos, size_t width) { return static_cast<WORD>(std::stoi(stamp.substr(pos, width))); };
    SYSTEMTIME t{};
    t.wYear = field(0, 4);
    t.wMonth = field(5, 2);
    t.wDay = field(8, 2);
    t.wHour = field(11, 2);
    t.wMinute = field(14, 2);
    t.wSecond = field(17, 2);
    t.wMilliseconds = field(20, 3);
    EXPECT_LE(ticks(before), ticks(t)) << stamp;
    EXPECT_LE(ticks(t), ticks(after)) << stamp;
    at = end + 2;
  }
  EXPECT_EQ(at, text.size());
}

class Ready : public TWizardTest {
 protected:
  static HWND FindClient() {
    for (int i = 0; i < 100; ++i) {
      if (HWND w = FindWindowA("KorvaneP2P", nullptr)) return w;
      Sleep(100);
    }
    return nullptr;
  }
  static bool QuitPosted() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE);
  }
};

TEST_F(Ready, StartRunsTheClientMaximizedFromTheFolderUsedAndCloses) {
  const std::string folder = "C:\\kvtest ready\\";
  ForceFolder(folder);
  ASSERT_TRUE(CopyFileA((ExePathFolder() + "programs\\\\Korvane.Exe").c_str(), (folder + "Korvane.Exe").c_str(), FALSE));
  form->State.InstallDir = folder;
  form->ShowPanel(TPanelId::InstallReady, false);
  EXPECT_EQ(form->HeaderCaption(), "Installation of Korvane P2P ready");
  EXPECT_EQ(form->PnlButtons->RightButton(1).Caption, "&Start Korvane P2P");
  EXPECT_EQ(form->PnlButtons->RightCount(), 1);
  ASSERT_TRUE(Press("&Start Korvane P2P"));
  EXPECT_TRUE(QuitPosted());
  HWND client = FindClient();
  ASSERT_NE(client, nullptr);
  // The client shows itself, then maximizes: under load the two are seen apart.
  for (int i = 0; i < 50 && !IsZoomed(client); ++i) Sleep(100);
  EXPECT_TRUE(IsZoomed(client));
  DWORD pid = 0;
  GetWindowThreadProcessId(client, &pid);
  PostMessageA(client, WM_CLOSE, 0, 0);
  TKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  if (process) WaitForSingleObject(process.get(), 5000);
  RemoveTree("C:\\kvtest ready");
}

TEST_F(Ready, ClosesEvenWhenTheClientCannotStartAndSaysHowToStartIt) {
  form->State.InstallDir = "C:\\kvtest nowhere\\";
  form->ShowPanel(TPanelId::InstallReady, false);
  EXPECT_EQ(AnswerMessageBox([&] { ASSERT_TRUE(Press("&Start Korvane P2P")); }),
            "Korvane P2P could not be started. Please start it from the Start menu: Korvane P2P > Korvane P2P.");
  EXPECT_TRUE(QuitPosted());
}

}  // namespace
