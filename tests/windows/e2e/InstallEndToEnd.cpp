// End-to-end runs of the real Install_Korvane.exe: the test starts it, answers its panels as
// a user does (accelerator keys, typed folders, ticks), then checks the computer.
//   kvtests_e2e INSTALLER [TINY_DRIVE_LETTER] [OTHER_DRIVE_LETTER] [READ_ONLY_DRIVE_LETTER]
#include <gtest/gtest.h>
#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/windows/TestFiles.h"
#include "tests/windows/WindowlessRun.h"
#include "tests/windows/e2e/Damaged.h"
#include "tests/windows/e2e/Wizard.h"
#include "lib/LIB_DataFileReader.h"
#include "lib/LIB_InstallPaths.h"
#include "lib/LIB_Text.h"
#include "lib/LIB_Version.h"
#include "lib/win/FindFilesWin.h"
#include "lib/win/ShellHelpers.h"
#include "lib/win/WinHandles.h"

namespace {

char gTiny = 0, gOther = 0, gReadOnly = 0;  // drive letters the test set-up provides; 0 = none

// ---- files, registry, links -------------------------------------------------------------

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t from = 0; from < text.size();) {
    const size_t at = text.find("\r\n", from);
    if (at == std::string::npos) break;
    lines.push_back(text.substr(from, at - from));
    from = at + 2;
  }
  return lines;
}
// The names in a folder, sorted.
std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(Wide(folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = Utf8(fd.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  std::ranges::sort(names);
  return names;
}
std::string WithoutSlash(std::string s) {
  if (s.ends_with('\\')) s.pop_back();
  return s;
}
// What the files in a folder ending with "\" hold, in bytes.
long long FolderBytes(const std::string& folder) {
  long long bytes = 0;
  for (const std::string& name : Listing(WithoutSlash(folder))) bytes += FileSize(folder + name);
  return bytes;
}

std::string RegString(HKEY root, const char* key, const char* name) {
  wchar_t buf[1024];
  DWORD size = sizeof buf;
  if (RegGetValueW(root, Wide(key).c_str(), Wide(name).c_str(), RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                   nullptr, buf, &size) != ERROR_SUCCESS)
    return "(missing)";
  return Utf8(buf);
}
bool KeyExists(HKEY root, const char* key) {
  HKEY k;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

// What a console program writes, as a script reads it through a pipe.
std::string ConsoleOutput(const std::string& commandLine) {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherited, 0)) return "(no pipe)";
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = write;
  PROCESS_INFORMATION pi{};
  std::wstring cmd = Wide(commandLine);
  const bool started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(write);
  std::string out = started ? "" : "(not started)";
  char buf[4096];
  for (DWORD got; started && ReadFile(read, buf, sizeof buf, &got, nullptr) && got > 0;) out.append(buf, got);
  CloseHandle(read);
  if (started) {
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  return out;
}

// The values of a registry key as `reg query` prints them: name, then type and data.
std::map<std::string, std::string> RegQuery(const std::string& key) {
  std::map<std::string, std::string> values;
  std::istringstream lines(ConsoleOutput("reg query \"" + key + "\""));
  for (std::string line; std::getline(lines, line);) {
    if (line.ends_with('\r')) line.pop_back();
    const size_t type = line.find("    REG_", 4);
    if (!line.starts_with("    ") || type == std::string::npos) continue;
    const size_t data = line.find("    ", type + 4);
    values[line.substr(4, type - 4)] =
        line.substr(type + 4, data - type - 4) + " " + (data == std::string::npos ? "" : line.substr(data + 4));
  }
  return values;
}

// Points a shell folder somewhere else for one test, as a changed profile would.
class TShellFolderOverride {
 public:
  TShellFolderOverride(HKEY root, const char* key, const char* name, DWORD type, const std::string& value)
      : root_(root), key_(key), name_(name), type_(type), old_(RegString(root, key, name)) {
    Set(value);
  }
  ~TShellFolderOverride() {
    if (old_ == "(missing)")
      RegDeleteKeyValueA(root_, key_, name_);
    else
      Set(old_);
  }

 private:
  void Set(const std::string& v) {
    const std::wstring w = Wide(v);
    RegSetKeyValueW(root_, Wide(key_).c_str(), Wide(name_).c_str(), type_, w.c_str(),
                    static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)));
  }
  HKEY root_;
  const char *key_, *name_;
  DWORD type_;
  std::string old_;
};
constexpr char kUserShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";

struct TLocalAppDataOverride {
  explicit TLocalAppDataOverride(const std::string& path)
      : user(HKEY_CURRENT_USER, kUserShellFolders, "Local AppData", REG_EXPAND_SZ, path),
        shell(HKEY_CURRENT_USER, kShellFolders, "Local AppData", REG_SZ, path) {}
  TShellFolderOverride user, shell;
};


// ---- the tests ------------------------------------------------------------------------

class EndToEnd : public testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    appData = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Korvane P2P\\";
    group = ShellFolder(CSIDL_PROGRAMS) + "\\Korvane P2P\\";
    desktopLink = ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Korvane P2P.Lnk";
    defaultDir = ShellFolder(CSIDL_PROGRAM_FILES) + "\\Korvane P2P\\";
    toolbarLog = ToolbarLogFile();
    Clean();
  }
  void TearDown() override {
    Clean();
    CoUninitialize();
  }
  void Clean() {
    for (const std::string& f : {defaultDir, appData, group, ShellFolder(CSIDL_PROGRAM_FILES) + "\\KorvaneP2P\\",
                                  std::string("C:\\Korvane\\"), std::string("C:\\kvtest_e2e\\")})
      RemoveTree(WithoutSlash(f));
    DeleteFileW(Wide(desktopLink).c_str());
    DeleteFileA(toolbarLog.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, KUninstallKey);
    if (gOther) RemoveTree(std::string(1, gOther) + ":\\kvtest_e2e");
  }
  static std::string ToolbarLog() {
    for (int i = 0; i < 50 && !Exists(toolbarLog); ++i) Sleep(100);
    Sleep(200);
    return ReadAll(toolbarLog);
  }

  // Starts the client from the completion panel; the client comes up maximized and the
  // installer ends.
  static void StartClient(TWizard& w) {
    w.WaitFor("The installation of Korvane P2P is completed successfully.", 120000);
    EXPECT_TRUE(w.PressToEnd('s'));
    HWND client = nullptr;
    for (int i = 0; i < 100 && !client; ++i) {
      client = FindWindowA("KorvaneP2P", nullptr);
      if (!client) Sleep(100);
    }
    ASSERT_NE(client, nullptr);
    EXPECT_TRUE(IsZoomed(client));
    DWORD pid = 0;
    GetWindowThreadProcessId(client, &pid);
    PostMessageA(client, WM_CLOSE, 0, 0);
    TKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (process) WaitForSingleObject(process.get(), 10000);
  }

  static void CheckDataFile(const std::string& file, const std::string& dataDir, const std::string& headerDownloads,
                            const std::string& downloads, int speed) {
    SCOPED_TRACE(file);
    const TDataFileContent dat = ReadDataFile(ReadAll(file));
    EXPECT_EQ(dat.Header.DataDir, dataDir);
    EXPECT_EQ(dat.Header.DownloadDir, headerDownloads);
    EXPECT_EQ(dat.Header.InstallerTag, "03");
    EXPECT_EQ(dat.Header.ConnectionSpeed, speed);
    ASSERT_EQ(dat.Folders.size(), 1u);
    EXPECT_EQ(dat.Folders[0].Path, downloads);
    EXPECT_EQ(dat.GnutellaHosts.size(), 500u);
    EXPECT_EQ(dat.Hashes.size(), 1195u);
  }

  // What an installation with the default answers and the toolbar leaves on the computer.
  void CheckDefaultInstallation() {
    const std::string inst = defaultDir;
    EXPECT_EQ(FileSize(inst + "Korvane.Exe"), 3966976);
    EXPECT_EQ(FileSize(inst + "Uninstall.Exe"), 635392);
    EXPECT_EQ(FileSize(inst + "Korvane_toolbar.exe"), 1311504);
    EXPECT_EQ(Lines(ReadAll(inst + "UnInstall.dat")), RemovalList(inst, appData, appData, true));
    CheckDataFile(appData + "Korvane.Dat", appData, "C:\\Downloads\\", "C:\\Downloads", 77);
    CheckDataFile(inst + "KVInst.Dat", appData, "C:\\Downloads", "C:\\Downloads", 77);
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, KUninstallKey, "DisplayName"), "Korvane P2P");
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, KUninstallKey, "UninstallString"), "\"" + inst + "Uninstall.Exe\"");

    const struct {
      std::string file, target, description;
      int icon;
    } links[] = {
        {group + "Korvane P2P.Lnk", inst + "Korvane.Exe", "Korvane P2P", 0},
        {group + "Korvane P2P On the Web.Lnk", "", "Korvane P2P On the web", -1},
        {group + "Korvane P2P Help.Lnk", "", "Korvane P2P Help", -1},
        {group + "Korvane P2P Uninstall.Lnk", inst + "Uninstall.Exe", "Korvane P2P Uninstall", 0},
        {desktopLink, inst + "Korvane.Exe", "Korvane P2P", 0},
    };
    for (const auto& l : links) {
      SCOPED_TRACE(l.file);
      ASSERT_TRUE(Exists(l.file));
      const TLink got = ReadLink(l.file);
      EXPECT_EQ(got.Description, l.description);
      if (l.icon >= 0) {
        EXPECT_EQ(LowerCase(got.Target), LowerCase(l.target));
        EXPECT_EQ(LowerCase(got.IconFile), LowerCase(l.target));
        EXPECT_EQ(got.Icon, l.icon);
      } else {
        EXPECT_EQ(got.IconFile, "");
      }
    }
    EXPECT_EQ(ToolbarLog(), "\"" + inst + "Korvane_toolbar.exe\" /s -silent\r\n");
  }

  std::string appData, group, desktopLink, defaultDir;
  static inline std::string toolbarLog;
};

TEST_F(EndToEnd, DefaultAnswersInstallStartAndUninstall) {
  TWizard w;
  ASSERT_TRUE(w.Running());
  w.ToConfirmation();
  w.Advance('i', "% complete");
  StartClient(w);

  const std::string inst = defaultDir;
  CheckDefaultInstallation();

  Uninstall(inst);
  // The toolbar's installer is not on the removal list; the uninstaller takes it all the same.
  EXPECT_FALSE(Exists(inst));
  EXPECT_FALSE(Exists(appData));
  EXPECT_FALSE(Exists(group));
  EXPECT_FALSE(Exists(desktopLink));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, KUninstallKey));
}

TEST_F(EndToEnd, ChangedAnswersOnAnotherDrive) {
  if (!gOther) GTEST_SKIP() << "no second fixed drive";
  const std::string drive(1, gOther);
  const std::string inst = drive + ":\\kvtest_e2e\\Korvane P2P\\", downloads = drive + ":\\kvtest_e2e\\Shared";
  TWizard w;
  ASSERT_TRUE(w.Running());
  w.ToConfirmation([&] { w.Tick("&Create a shortcut on the desktop"); },  // untick
                   [&] { w.TypeFolder(WithoutSlash(inst)); }, [&] { w.TypeFolder(downloads); },
                   [&] { w.Tick("&Cable"); }, [&] { w.Tick("Install the Korvane toolbar."); });
  EXPECT_NE(w.WaitFor("Installation folder = " + inst), nullptr);
  EXPECT_NE(w.WaitFor("Download folder = " + downloads + "\\"), nullptr);
  EXPECT_NE(w.WaitFor("Create shortcut on desktop = No"), nullptr);
  w.Advance('i', "% complete");
  StartClient(w);

  EXPECT_EQ(FileSize(inst + "Korvane.Exe"), 3966976);
  EXPECT_FALSE(Exists(inst + "Korvane_toolbar.exe"));
  EXPECT_FALSE(Exists(desktopLink));
  const auto lines = Lines(ReadAll(inst + "UnInstall.dat"));
  EXPECT_EQ(lines.size(), 17u);
  EXPECT_EQ(lines, RemovalList(inst, appData, appData, false));
  CheckDataFile(appData + "Korvane.Dat", appData, downloads + "\\", downloads, 90);
  CheckDataFile(inst + "KVInst.Dat", appData, downloads, downloads, 90);
  Sleep(500);
  EXPECT_FALSE(Exists(toolbarLog));

  Uninstall(inst);
  EXPECT_FALSE(Exists(inst));
  EXPECT_FALSE(Exists(appData));
  EXPECT_FALSE(Exists(group));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, KUninstallKey));
}

// The installation folder falls back, in order, when the chosen one cannot be made.
TEST_F(EndToEnd, InstallFolderFallbacks) {
  const std::string programFiles = ShellFolder(CSIDL_PROGRAM_FILES), local = ShellFolder(CSIDL_LOCAL_APPDATA);
  auto run = [&](const std::string& expected) {
    TWizard w;
    ASSERT_TRUE(w.Running());
    w.ToConfirmation({}, [&] { w.TypeFolder("Q:\\cannot be made\\Korvane P2P"); });
    w.Advance('i', "% complete");
    w.WaitFor("The installation of Korvane P2P is completed successfully.", 120000);
    EXPECT_EQ(FileSize(expected + "Korvane.Exe"), 3966976) << expected;
    EXPECT_EQ(Lines(ReadAll(expected + "UnInstall.dat"))[7], "<F" + expected + "Korvane.Exe>");
    EXPECT_TRUE(w.PressToEnd('e'));
  };
  {
    SCOPED_TRACE("program files");
    run(programFiles + "\\KorvaneP2P\\");
  }
  Clean();
  {
    SCOPED_TRACE("local application data");
    TShellFolderOverride pf(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", REG_SZ, "Q:\\no program files");
    run(local + "\\Korvane P2P\\");
  }
  Clean();
  {
    SCOPED_TRACE("C:\\Korvane");
    TShellFolderOverride pf(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", REG_SZ, "Q:\\no program files");
    TLocalAppDataOverride la("Q:\\no local data");
    run("C:\\Korvane\\");
  }
}

TEST_F(EndToEnd, NoLocalApplicationDataBothDataFilesInTheInstallFolder) {
  TLocalAppDataOverride la("Q:\\no local data");
  TWizard w;
  ASSERT_TRUE(w.Running());
  w.ToConfirmation();
  w.Advance('i', "% complete");
  w.WaitFor("The installation of Korvane P2P is completed successfully.", 120000);
  EXPECT_TRUE(w.PressToEnd('e'));
  const std::string inst = defaultDir;
  CheckDataFile(inst + "Korvane.Dat", inst, "C:\\Downloads\\", "C:\\Downloads", 77);
  CheckDataFile(inst + "KVInst.Dat", inst, "C:\\Downloads", "C:\\Downloads", 77);
  EXPECT_EQ(Lines(ReadAll(inst + "UnInstall.dat")), RemovalList(inst, inst, inst, true));
}

// A user whose profile folder is named in a script the system's code page does not hold (a
// Cyrillic name on a Western system): local data, Start menu and desktop all lie below it.
const std::string kProfile = "C:\\kvtest_profile\\\xD0\x9F\xD0\xBE\xD0\xBB\xD1\x8C\xD0\xB7\xD0\xBE\xD0\xB2\xD0\xB0\xD1\x82\xD0\xB5\xD0\xBB\xD1\x8C";

int RunSilent(const std::string& arguments);

std::string ShortName(const std::string& path) {
  wchar_t buf[MAX_PATH] = L"";
  const DWORD n = GetShortPathNameW(Wide(path).c_str(), buf, MAX_PATH);
  return n > 0 && n < MAX_PATH ? Utf8(buf) : "(none)";
}

class CyrillicProfile : public EndToEnd {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 1252u) << "the profile's name must lie outside the system's code page";
    RemoveTree("C:\\kvtest_profile");
    CreateDirectoryW(L"C:\\kvtest_profile", nullptr);
    for (const char* sub : {"", "\\Local", "\\Programs", "\\Desktop"})
      CreateDirectoryW(Wide(kProfile + sub).c_str(), nullptr);
    for (const auto& [name, sub] : {std::pair{"Local AppData", "\\Local"}, {"Programs", "\\Programs"}, {"Desktop", "\\Desktop"}}) {
      overrides_.push_back(std::make_unique<TShellFolderOverride>(HKEY_CURRENT_USER, kUserShellFolders, name,
                                                                   REG_EXPAND_SZ, kProfile + sub));
      overrides_.push_back(
          std::make_unique<TShellFolderOverride>(HKEY_CURRENT_USER, kShellFolders, name, REG_SZ, kProfile + sub));
    }
    EndToEnd::SetUp();
    ASSERT_EQ(appData, kProfile + "\\Local\\Korvane P2P\\");
  }
  void TearDown() override {
    EndToEnd::TearDown();
    overrides_.clear();
    RemoveTree("C:\\kvtest_profile");
  }

  // The links in the Cyrillic folders, the data file under the short name of the data folder
  // (the client reads its name in the system's code page), and the removal list naming it so.
  void CheckInstallation() {
    const std::string inst = defaultDir;
    for (const std::string& link : {group + "Korvane P2P.Lnk", group + "Korvane P2P Uninstall.Lnk", desktopLink}) {
      SCOPED_TRACE(link);
      ASSERT_TRUE(Exists(link));
      EXPECT_EQ(ReadLink(link).Description.substr(0, 11), "Korvane P2P");
    }
    ASSERT_TRUE(Exists(appData + "Korvane.Dat"));
    const std::string shortData = ShortName(appData);
    ASSERT_NE(shortData, appData) << "Wine gives short names";
    EXPECT_TRUE(std::all_of(shortData.begin(), shortData.end(), [](char c) { return c > 0; })) << shortData;
    CheckDataFile(appData + "Korvane.Dat", shortData, "C:\\Downloads\\", "C:\\Downloads", 77);
    CheckDataFile(inst + "KVInst.Dat", shortData, "C:\\Downloads", "C:\\Downloads", 77);
    EXPECT_EQ(Lines(ReadAll(inst + "UnInstall.dat")), RemovalList(inst, shortData, shortData, true));
  }
  void CheckUninstalled() {
    Uninstall(defaultDir);
    EXPECT_FALSE(Exists(defaultDir + "Korvane.Exe"));
    EXPECT_FALSE(Exists(appData));
    EXPECT_FALSE(Exists(group));
    EXPECT_FALSE(Exists(desktopLink));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, KUninstallKey));
  }

 private:
  std::vector<std::unique_ptr<TShellFolderOverride>> overrides_;
};

TEST_F(CyrillicProfile, WizardWithDefaultsInstallsStartsAndUninstalls) {
  TWizard w;
  ASSERT_TRUE(w.Running());
  w.ToConfirmation();
  w.Advance('i', "% complete");
  StartClient(w);
  CheckInstallation();
  CheckUninstalled();
}

TEST_F(CyrillicProfile, SilentWithDefaultsSaysWhichDataFolderItTook) {
  const std::string log = "C:\\kvtest_profile\\install.log";
  ASSERT_EQ(RunSilent("/S /TOOLBAR /LOG=" + log), 0);
  CheckInstallation();
  const std::string text = ReadAll(log);
  EXPECT_NE(text.find("Data folder \"" + appData + "\": its name does not fit the system's code page, its short name \"" +
                      ShortName(appData) + "\" is used"),
            std::string::npos)
      << text;
  CheckUninstalled();
}

class FullDisk : public EndToEnd {
 protected:
  void SetUp() override {
    if (!gTiny) GTEST_SKIP() << "no tiny drive";
    EndToEnd::SetUp();
    tiny = std::string(1, gTiny) + ":\\";
    for (const std::string& name : Listing(WithoutSlash(tiny))) RemoveTree(tiny + name);
  }
  void TearDown() override {
    if (!gTiny) return;
    for (const std::string& name : Listing(WithoutSlash(tiny))) RemoveTree(tiny + name);
    EndToEnd::TearDown();
  }
  std::string tiny;
};

TEST_F(FullDisk, WhileWritingTheClientProgram) {
  TWizard w;
  ASSERT_TRUE(w.Running());
  w.ToConfirmation({}, [&] { w.TypeFolder(tiny + "Korvane P2P"); });
  w.Advance('i', "% complete");
  EXPECT_NE(w.WaitFor("Stream write error", 120000), nullptr);
  EXPECT_NE(w.WaitFor("Install could not continue"), nullptr);
  const long long written = FileSize(tiny + "Korvane P2P\\Korvane.Exe");
  EXPECT_GT(written, 0);
  EXPECT_LT(written, 3966976);
  EXPECT_TRUE(w.PressToEnd('e'));
}

TEST_F(FullDisk, WhileWritingTheDataFile) {
  // The per-user data folder lives on the tiny drive, filled up to the last byte.
  TLocalAppDataOverride la(tiny + "local");
  CreateDirectoryA((tiny + "local").c_str(), nullptr);
  {
    TFileHandle filler(CreateFileA((tiny + "filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    std::vector<char> block(4096, 'x');
    DWORD done = 0;
    while (WriteFile(filler.get(), block.data(), static_cast<DWORD>(block.size()), &done, nullptr) && done > 0) {
    }
    while (WriteFile(filler.get(), block.data(), 1, &done, nullptr) && done > 0) {
    }
  }
  TWizard w;
  ASSERT_TRUE(w.Running());
  w.ToConfirmation();
  w.Advance('i', "% complete");
  EXPECT_NE(w.WaitFor("Disk Full", 120000), nullptr);
  EXPECT_EQ(FileSize(defaultDir + "Korvane.Exe"), 3966976);  // written before, and left in place
  // The data file reaches its place whole or not at all.
  EXPECT_FALSE(Exists(tiny + "local\\Korvane P2P\\Korvane.Dat"));
  EXPECT_FALSE(Exists(tiny + "local\\Korvane P2P\\Korvane.Dat.tmp"));
  EXPECT_FALSE(Exists(defaultDir + "KVInst.Dat"));
  EXPECT_TRUE(w.PressToEnd('e'));
}

// ---- the unattended installation --------------------------------------------------------

// Runs the installer with `arguments` and no window; its exit code, or -1 when it did not end.
int RunSilent(const std::string& arguments) {
  TInstallerRun run(arguments);
  if (!run.Started) return -1;
  bool window = false;
  while (!run.Ended(50)) window = window || FindWindowA("TFormMain", nullptr);
  EXPECT_FALSE(window) << "a silent installation showed its window";
  return static_cast<int>(run.ExitCode());
}

class Silent : public EndToEnd {
 protected:
  const std::string log = "C:\\kvtest_e2e\\install.log";
  void SetUp() override {
    EndToEnd::SetUp();
    CreateDirectoryA("C:\\kvtest_e2e", nullptr);
  }
  // Nothing of an installation anywhere.
  void ExpectNothingInstalled() {
    EXPECT_FALSE(Exists(defaultDir));
    EXPECT_FALSE(Exists(appData));
    EXPECT_FALSE(Exists(group));
    EXPECT_FALSE(Exists(desktopLink));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, KUninstallKey));
  }
};

// With the answers of the wizard's defaults, the same installation as the wizard's, and a log
// an administrator can read.
TEST_F(Silent, DefaultAnswersInstallAsTheWizardDoes) {
  ASSERT_EQ(RunSilent("/S /TOOLBAR /LOG=" + log), 0);
  CheckDefaultInstallation();
  const std::string text = ReadAll(log);
  for (const std::string& line :
       {"silent installation: /S /TOOLBAR /LOG=" + log, "Client program \"" + defaultDir + "Korvane.Exe\": done",
        std::string("Uninstall entry in the registry: done"), "Removal list \"" + defaultDir + "UnInstall.dat\": done",
        "Folders: installation \"" + defaultDir + "\", data \"" + appData + "\", downloads \"C:\\Downloads\"",
        std::string("Outcome: installed (exit code 0)")})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  EXPECT_EQ(text.find("failed"), std::string::npos) << text;

  // The entry as package managers read it: every value, the size being all that the
  // installation put into its two folders.
  const std::string inst = defaultDir, site = KProductSite;
  char size[16];
  snprintf(size, sizeof size, "0x%llx", (FolderBytes(inst) + FolderBytes(appData) + 1023) / 1024);
  const std::map<std::string, std::string> entry = {
      {"DisplayName", "REG_SZ Korvane P2P"},
      {"DisplayVersion", std::string("REG_SZ ") + KProductVersion},
      {"Publisher", "REG_SZ Korvane"},
      {"DisplayIcon", "REG_SZ \"" + inst + "Korvane.Exe\",0"},
      {"InstallLocation", "REG_SZ " + inst},
      {"UninstallString", "REG_SZ \"" + inst + "Uninstall.Exe\""},
      {"QuietUninstallString", "REG_SZ \"" + inst + "Uninstall.Exe\" /S"},
      {"EstimatedSize", std::string("REG_DWORD ") + size},
      {"NoModify", "REG_DWORD 0x1"},
      {"NoRepair", "REG_DWORD 0x1"},
      {"URLInfoAbout", "REG_SZ " + site + "/p2p/"},
      {"HelpLink", "REG_SZ " + site + "/p2p/help"},
  };
  EXPECT_EQ(RegQuery(std::string("HKLM\\") + KUninstallKey), entry);
  // The system's list of installed programs shows it.
  const std::string listed = ConsoleOutput("uninstaller --list");
  EXPECT_NE(listed.find("|||Korvane P2P"), std::string::npos) << listed;

  // Run as it stands in the entry, the quiet command removes all of it without a window.
  const TWindowlessRun removal = RunWatchingWindows(RegString(HKEY_LOCAL_MACHINE, KUninstallKey, "QuietUninstallString"),
                                                    [&] { return !Exists(inst); });
  EXPECT_FALSE(removal.WindowShown);
  EXPECT_EQ(removal.ExitCode, 0u);
  ExpectNothingInstalled();
  EXPECT_EQ(ConsoleOutput("uninstaller --list").find("Korvane P2P"), std::string::npos);
}

// /D= takes the rest of the line, blanks and all; the toolbar only when asked for; the other
// answers from their switches. Folders given with dots are used, and stored everywhere, as
// their full paths.
TEST_F(Silent, FolderSwitchesAsFullPathsAndNoBundledSoftware) {
  const std::string inst = "C:\\kvtest_e2e\\My  Programs\\Korvane P2P\\";
  ASSERT_EQ(RunSilent("/S /NODESKTOP /CONNECTION=3 /DOWNLOAD=C:\\kvtest_e2e\\x\\..\\Shared /LOG=" + log +
                      " /D=C:\\kvtest_e2e\\x\\..\\My  Programs\\.\\Korvane P2P"),
            0)
      << ReadAll(log);
  EXPECT_EQ(FileSize(inst + "Korvane.Exe"), 3966976);
  EXPECT_FALSE(Exists(inst + "Korvane_toolbar.exe"));
  EXPECT_FALSE(Exists(desktopLink));
  EXPECT_FALSE(Exists("C:\\kvtest_e2e\\x"));
  EXPECT_EQ(Lines(ReadAll(inst + "UnInstall.dat")), RemovalList(inst, appData, appData, false));
  CheckDataFile(appData + "Korvane.Dat", appData, "C:\\kvtest_e2e\\Shared\\", "C:\\kvtest_e2e\\Shared", 80);
  CheckDataFile(inst + "KVInst.Dat", appData, "C:\\kvtest_e2e\\Shared", "C:\\kvtest_e2e\\Shared", 80);
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, KUninstallKey, "UninstallString"), "\"" + inst + "Uninstall.Exe\"");
  EXPECT_EQ(LowerCase(ReadLink(group + "Korvane P2P.Lnk").Target), LowerCase(inst + "Korvane.Exe"));
  Sleep(500);
  EXPECT_FALSE(Exists(toolbarLog));
  const std::string text = ReadAll(log);
  EXPECT_NE(text.find("Toolbar installer: skipped, not chosen"), std::string::npos) << text;
  EXPECT_NE(text.find("Folders: installation \"" + inst + "\", data \"" + appData +
                      "\", downloads \"C:\\kvtest_e2e\\Shared\""),
            std::string::npos)
      << text;
  Uninstall(inst);
}

// 表 on a Western system: refused before anything is written, as the wizard's panels refuse it.
TEST_F(Silent, FolderTheCodePageCannotHoldChangesNothingAndSaysWhy) {
  ASSERT_EQ(GetACP(), 1252u) << "the folder's name must lie outside the system's code page";
  const std::string table = "C:\\kvtest_e2e\\\xE8\xA1\xA8";
  const struct {
    std::string arguments, reason;
  } cases[] = {
      {"/S /D=" + table + "\\Korvane P2P", "/D: \"" + table + "\\Korvane P2P\""},
      {"/S /DOWNLOAD=" + table, "/DOWNLOAD: \"" + table + "\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    DeleteFileW(Wide(log).c_str());
    EXPECT_EQ(RunSilent(std::string(c.arguments).insert(3, "/LOG=" + log + " ")), 1);
    const std::string text = ReadAll(log);
    EXPECT_NE(text.find("Arguments refused: " + c.reason + " has characters that the system's code page cannot hold"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Outcome: nothing installed (exit code 1)"), std::string::npos) << text;
    ExpectNothingInstalled();
    EXPECT_FALSE(Exists(table));
  }
}

// On a Japanese system (code page 932) 表 is the bytes 95 5C, its trail byte a "\\". Run by the
// entry e2e_japanese in a prefix started under a Japanese locale; elsewhere there is no such
// code page to check.
TEST_F(Silent, JapaneseFolderInstallsIsFoundAndUpgrades) {
  if (GetACP() != 932) GTEST_SKIP() << "needs a Japanese system (code page 932)";
  const std::string dir = "C:\\kvtest_e2e\\\xE8\xA1\xA8\\", inst = dir + "Korvane P2P\\";
  const std::string dir932 = "C:\\kvtest_e2e\\\x95\x5C\\";
  ASSERT_EQ(RunSilent("/S /NODESKTOP /LOG=" + log + " /DOWNLOAD=" + dir + "Downloads /D=" + inst), 0) << ReadAll(log);
  EXPECT_EQ(FileSize(inst + "Korvane.Exe"), 3966976);
  CheckDataFile(appData + "Korvane.Dat", appData, dir932 + "Downloads\\", dir932 + "Downloads", 77);
  EXPECT_EQ(Lines(ReadAll(inst + "UnInstall.dat")), RemovalList(dir932 + "Korvane P2P\\", appData, appData, false));

  TWin32FindPlatform platform;
  EXPECT_EQ(FindFiles("korvane.exe", 4, "C:\\kvtest_e2e", {}, {}, 0, platform),
            std::vector<std::string>{inst + "Korvane.Exe"});

  const std::string updateLog = "C:\\kvtest_e2e\\update.log";
  EXPECT_EQ(TInstallerRun("/LOG=\"" + updateLog + "\" /autoupdate \"" + inst + "\"").ExitCode(), 0u)
      << ReadAll(updateLog);
  const std::string text = ReadAll(updateLog);
  for (const std::string& line : {"Client program \"" + inst + "Korvane.Exe\" (attempt 1): done",
                                  std::string("Client started: done")})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  HWND client = nullptr;
  for (int i = 0; i < 100 && !client; ++i, Sleep(100)) client = FindWindowW(L"KorvaneP2P", nullptr);
  ASSERT_NE(client, nullptr);
  // The uninstaller removes nothing while the client runs: it must have ended first.
  DWORD pid = 0;
  GetWindowThreadProcessId(client, &pid);
  PostMessageW(client, WM_CLOSE, 0, 0);
  TKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  if (process) WaitForSingleObject(process.get(), 10000);

  Uninstall(inst);
  EXPECT_FALSE(Exists(inst + "Korvane.Exe"));
  EXPECT_FALSE(Exists(appData + "Korvane.Dat"));
}

// Folders by the rule of the wizard's folder panels: nothing but the log is written, and no
// folder is made, neither the one named nor a fallback.
TEST_F(Silent, BadArgumentsChangeNothingAndSayWhy) {
  const std::string device = "has a part named as a device (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9)";
  const std::string tooLong = "C:\\kvtest_e2e\\" + std::string(258, 'k');
  const struct {
    std::string arguments, reason;
  } cases[] = {
      {"/S /QUIET", "unknown argument \"/QUIET\""},
      {"/S /CONNECTION=12", "/CONNECTION takes a number from 0 to 8, not \"12\""},
      {"/S /DOWNLOAD=Shared", "/DOWNLOAD: \"Shared\" is not a valid folder"},
      {"/S /D=C:\\a?b", "/D: \"C:\\a?b\" is not a valid folder"},
      {"/S /D=C:\\kvtest_e2e\\con\\Korvane", "/D: \"C:\\kvtest_e2e\\con\\Korvane\" " + device},
      {"/S /DOWNLOAD=C:\\kvtest_e2e\\Aux.txt", "/DOWNLOAD: \"C:\\kvtest_e2e\\Aux.txt\" " + device},
      {"/S /D=C:\\kvtest_e2e\\Trail. \\Korvane",
       "/D: \"C:\\kvtest_e2e\\Trail. \\Korvane\" has a part that ends with a dot or a blank"},
      {"/S /D=" + tooLong, "/D: \"" + tooLong + "\" is too long: the files put into it need folders of at most 239 characters"},
      {"/S /D=\\\\server\\share\\Korvane",
       "/D: \"\\\\server\\share\\Korvane\" is a network or \\\\?\\ path, not a folder on a drive of this computer"},
      {"/S /D=C:\\kvtest_e2e\\..\\..", "/D: \"C:\\kvtest_e2e\\..\\..\" is not a valid folder"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    DeleteFileA(log.c_str());
    EXPECT_EQ(RunSilent(std::string(c.arguments).insert(3, "/LOG=" + log + " ")), 1);
    const std::string text = ReadAll(log);
    EXPECT_NE(text.find("Arguments refused: " + c.reason), std::string::npos) << text;
    EXPECT_NE(text.find("Outcome: nothing installed (exit code 1)"), std::string::npos) << text;
    ExpectNothingInstalled();
    EXPECT_EQ(Listing("C:\\kvtest_e2e"), std::vector<std::string>{"install.log"});
    EXPECT_FALSE(Exists(ShellFolder(CSIDL_PROGRAM_FILES) + "\\KorvaneP2P"));
  }
}

// A folder named with /D= that cannot be made or written is not replaced by another one: the
// run ends with the reason, and writes nothing, also no folder on the way to the named one.
TEST_F(Silent, GivenFolderThatCannotBeUsedExitsTwoAndWritesNothing) {
  WriteText("C:\\kvtest_e2e\\file", "in the way");
  std::vector<std::string> folders = {"C:\\kvtest_e2e\\file\\Korvane P2P", "Q:\\Korvane P2P",
                                      "C:\\kvtest_e2e\\new\\a|b"};
  if (gReadOnly) folders.push_back(std::string(1, gReadOnly) + ":\\Existing");  // made, and read-only
  for (const std::string& folder : folders) {
    SCOPED_TRACE(folder);
    DeleteFileA(log.c_str());
    EXPECT_EQ(RunSilent("/S /LOG=" + log + " /D=" + folder), 2);
    const std::string text = ReadAll(log);
    const std::string why = "the installation folder \"" + folder + "\\\" cannot be used: ";
    EXPECT_NE(text.find("Outcome: failed, " + why), std::string::npos) << text;
    ExpectNothingInstalled();
    EXPECT_EQ(Listing("C:\\kvtest_e2e"), (std::vector<std::string>{"file", "install.log"}));
    for (const std::string& fallback : {ShellFolder(CSIDL_PROGRAM_FILES) + "\\KorvaneP2P", std::string("C:\\Korvane")})
      EXPECT_FALSE(Exists(fallback)) << fallback;
  }
  if (gReadOnly) EXPECT_EQ(Listing(std::string(1, gReadOnly) + ":\\Existing"), std::vector<std::string>{});
}

// A log asked for with /LOG= that cannot be made ends every kind of run at once, before anything
// is written: the unattended installation, the wizard, the self-update.
TEST_F(Silent, LogThatCannotBeMadeExitsOneAndWritesNothing) {
  const std::string missing = "C:\\kvtest_e2e\\missing\\";
  for (const std::string arguments : {"/S /LOG=" + missing + "install.log", "/LOG=" + missing + "setup.log",
                                      "/LOG=" + missing + "update.log /autoupdate " + defaultDir}) {
    SCOPED_TRACE(arguments);
    EXPECT_EQ(RunSilent(arguments), 1);
    ExpectNothingInstalled();
    EXPECT_EQ(Listing("C:\\kvtest_e2e"), std::vector<std::string>{});
  }
  // Nor is a log written through a link a user put in place of its folder, into a folder named
  // as the log, or to a device.
  const std::string target = "C:\\kvtest_e2e_target";
  CreateDirectoryA(target.c_str(), nullptr);
  ASSERT_TRUE(MakeFolderLink("C:\\kvtest_e2e\\linked", target));
  CreateDirectoryA("C:\\kvtest_e2e\\folder.log", nullptr);
  for (const std::string file : {"C:\\kvtest_e2e\\linked\\install.log", "C:\\kvtest_e2e\\folder.log", "NUL"}) {
    SCOPED_TRACE(file);
    EXPECT_EQ(RunSilent("/S /LOG=" + file), 1);
    ExpectNothingInstalled();
  }
  EXPECT_EQ(Listing(target), std::vector<std::string>{});
  EXPECT_EQ(Listing("C:\\kvtest_e2e\\folder.log"), std::vector<std::string>{});
  RemoveFolderLink("C:\\kvtest_e2e\\linked");
  RemoveTree(target);
}

// A damaged download says so and writes nothing: silent or in its window, exit code 2.
TEST_F(Silent, ADamagedInstallerSaysSoAndWritesNothing) {
  const std::string installer = gInstaller;
  const std::vector<TDamagedInstaller> copies = WriteDamagedInstallers(installer, "C:\\kvtest_e2e\\");
  ASSERT_EQ(copies.size(), 4u);  // cut short, and a byte changed in each of the three streams
  for (const TDamagedInstaller& c : copies) {
    SCOPED_TRACE(c.What);
    SetInstaller(c.Path);
    DeleteFileA(log.c_str());
    EXPECT_EQ(RunSilent("/S /TOOLBAR /LOG=" + log), 2);
    const std::string text = ReadAll(log);
    for (const char* line : {"Installer check: failed, ", "The installer is damaged. Please download it again.",
                             "Outcome: nothing installed (exit code 2)"})
      EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    ExpectNothingInstalled();
  }
  // The window tells the user at once, and ends.
  SetInstaller(copies[2].Path);
  {
    TWizard w;
    ASSERT_TRUE(w.Running());
    EXPECT_EQ(w.AnswerMessageBox(), "The installer is damaged. Please download it again.");
    EXPECT_TRUE(w.WaitExit());
    EXPECT_EQ(w.ExitCode(), 2u);
  }
  ExpectNothingInstalled();
  SetInstaller(installer);
  for (const TDamagedInstaller& c : copies) DeleteFileA(c.Path.c_str());
}

// Without /LOG the log goes to the temporary folder.
TEST_F(Silent, FailureOnAFullDiskExitsTwoWithTheErrorOnTheLog) {
  if (!gTiny) GTEST_SKIP() << "no tiny drive";
  const std::string tiny = std::string(1, gTiny) + ":\\";
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  // Each run's log has a new folder of its own there.
  auto logFolders = [&] {
    std::vector<std::string> folders;
    for (const std::string& name : Listing(WithoutSlash(temp)))
      if (name.starts_with("Korvane P2P Install ")) folders.push_back(name);
    return folders;
  };
  const std::vector<std::string> before = logFolders();
  EXPECT_EQ(RunSilent("/S /D=" + tiny + "Korvane P2P"), 2);
  std::vector<std::string> after = logFolders();
  ASSERT_EQ(after.size(), before.size() + 1);
  const std::string folder = *std::ranges::find_if(after, [&](const std::string& f) { return !std::ranges::count(before, f); });
  const std::string text = ReadAll(std::string(temp) + folder + "\\Korvane P2P Install.log");
  EXPECT_NE(text.find("Client program \"" + tiny + "Korvane P2P\\Korvane.Exe\": failed, Stream write error"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Outcome: failed, Stream write error (exit code 2)"), std::string::npos) << text;
  for (const std::string& name : Listing(WithoutSlash(tiny))) RemoveTree(tiny + name);
}

// A silent installation killed at any moment, about every 20 ms from its start to its end (a
// whole run takes little more than a tenth of a second), is
// completed by running it again, and then removed whole by its uninstaller.
TEST_F(Silent, KilledAtAnyMomentThenRunAgainAndUninstalledLeavesNothing) {
  int killed = 0;
  for (int after = 0; after < 20000; after += 20) {
    SCOPED_TRACE("killed after " + std::to_string(after) + " ms");
    bool ended = false;
    {
      const TInstallerRun run("/S");
      ASSERT_TRUE(run.Started);
      ended = run.Ended(after);
      if (!ended) {
        run.Kill();
        ++killed;
      }
    }
    ASSERT_EQ(RunSilent("/S"), 0);
    EXPECT_EQ(FileSize(defaultDir + "Korvane.Exe"), 3966976);
    Uninstall(defaultDir);
    ExpectNothingInstalled();
    if (ended) break;
  }
  EXPECT_GE(killed, 4);  // the run was cut at several points, not only at its very start
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    fprintf(stderr, "usage: kvtests_e2e INSTALLER [TINY_DRIVE] [OTHER_DRIVE] [READ_ONLY_DRIVE]\n");
    return 2;
  }
  SetInstaller(argv[1]);
  // A drive the set-up could not provide is left out.
  auto drive = [](const char* letter) { return GetFileAttributesA((letter + std::string(":\\")).c_str()) != INVALID_FILE_ATTRIBUTES ? static_cast<char>(toupper(letter[0])) : '\0'; };
  if (argc > 2) gTiny = drive(argv[2]);
  if (argc > 3) gOther = drive(argv[3]);
  if (argc > 4) gReadOnly = drive(argv[4]);
  return RUN_ALL_TESTS();
}
