// End-to-end runs of the real installer's upgrade: the silent self-update from the command
// line, and the upgrade road through the wizard on drives of every kind, with the client held
// open by this process for a while or for good, and the folder gone before the upgrade.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/windows/DriveKinds.h"
#include "tests/windows/TestFiles.h"
#include "tests/windows/e2e/Damaged.h"
#include "tests/windows/e2e/Wizard.h"
#include "lib/LIB_InstallPaths.h"
#include "lib/LIB_Version.h"
#include "lib/win/WinHandles.h"
#include "panels/PNL_UpgradeUpgrading.h"
#include "payload/GB_Payload.h"

namespace {

const std::string kDir = "C:\\kvtest e2e upgrade\\Korvane P2P\\";

// Names `folder` in the uninstall entry, as its installation did: under Wine every program runs
// elevated, and an elevated self-update acts only on the registered installation.
void Register(const std::string& folder) {
  const std::string command = "\"" + folder + "Uninstall.Exe\"";
  ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, KUninstallKey, "UninstallString", REG_SZ, command.c_str(),
                            static_cast<DWORD>(command.size() + 1)),
            ERROR_SUCCESS);
}

// Closes the client that the self-update started; true when there was one, maximized.
bool CloseStartedClient() {
  HWND client = nullptr;
  for (int i = 0; i < 100 && !client; ++i, Sleep(100)) client = FindWindowA("KorvaneP2P", nullptr);
  if (!client) return false;
  const bool zoomed = IsZoomed(client);
  DWORD pid = 0;
  GetWindowThreadProcessId(client, &pid);
  PostMessageA(client, WM_CLOSE, 0, 0);
  if (HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, pid)) {
    WaitForSingleObject(p, 5000);
    CloseHandle(p);
  }
  return zoomed;
}

TEST(SelfUpdate, ClientHeldOpenForAWhileIsReplacedAndStartedAndTheRestIsUntouched) {
  Register(kDir);
  CreateDirectoryA("C:\\kvtest e2e upgrade", nullptr);
  CreateDirectoryA(kDir.c_str(), nullptr);
  const std::string client = kDir + "Korvane.Exe";
  WriteText(client, "old client");
  WriteText(kDir + "KVInst.Dat", "settings");
  // This test process holds the client open, as a client still running does.
  HANDLE lock = CreateFileA(client.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  const DWORD start = GetTickCount();
  // Quoted, with its trailing backslash: the way the client names its own folder.
  const std::string log = "C:\\kvtest e2e upgrade\\update.log";
  const TInstallerRun run("/LOG=\"" + log + "\" /autoupdate \"" + kDir + "\"");
  ASSERT_TRUE(run.Started);
  Sleep(12000);  // past the start, the three-second wait and the first attempt
  EXPECT_EQ(ReadAll(client), "old client");
  CloseHandle(lock);
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_GE(GetTickCount() - start, 18000u);  // the three seconds and one retry wait of fifteen
  EXPECT_EQ(FileSize(client), KClientProgram.USize);
  EXPECT_EQ(FileSize(kDir + "Uninstall.Exe"), KUninstaller.USize);
  EXPECT_EQ(ReadAll(kDir + "KVInst.Dat"), "settings");
  EXPECT_EQ(GetFileAttributesA((client + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(CloseStartedClient());
  const std::string text = ReadAll(log);
  for (const std::string& line : {"Client program \"" + client + "\" (attempt 1): failed, Cannot create file",
                                  "Client program \"" + client + "\" (attempt 2): done", std::string("Client started: done"),
                                  std::string("Outcome: upgraded")})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  // The list of installed programs shows the folder just updated, at the new version.
  EXPECT_EQ(UninstallEntryValue("InstallLocation"), kDir);
  EXPECT_EQ(UninstallEntryValue("DisplayVersion"), KProductVersion);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, KUninstallKey);
  for (const char* name : {"Korvane.Exe", "Uninstall.Exe", "KVInst.Dat"}) DeleteFileA((kDir + name).c_str());
  RemoveDirectoryA(kDir.c_str());
  DeleteFileA(log.c_str());
  RemoveDirectoryA("C:\\kvtest e2e upgrade");
}

// A self-update killed at any moment leaves the old client or the new one, whole, never a
// missing or partial one.
TEST(SelfUpdate, KilledAtAnyMomentTheClientIsTheOldOrTheNewWhole) {
  Register(kDir);
  SetEnvironmentVariableA("KV_UPGRADE_WAIT_STEP_MS", "0");
  SHCreateDirectoryExA(nullptr, "C:\\kvtest e2e upgrade\\Korvane P2P", nullptr);
  const std::string client = kDir + "Korvane.Exe", old = "old client";
  // Runs the self-update and kills it `ms` after the start, or with `afterWrite` that long after
  // the new client's temporary file appears, unless it ends first; true when it ended by itself.
  auto run = [&](DWORD ms, bool afterWrite) {
    const TInstallerRun update("/autoupdate \"" + kDir + "\"");
    EXPECT_TRUE(update.Started);
    if (afterWrite)
      while (!Exists(client + ".tmp") && !update.Ended(1)) {
      }
    return update.Ended(ms);  // killed on the way out otherwise
  };
  WriteText(client, old);
  ASSERT_TRUE(run(60000, false));
  EXPECT_TRUE(CloseStartedClient());
  const std::string fresh = ReadAll(client);
  ASSERT_EQ(fresh.size(), static_cast<size_t>(KClientProgram.USize));

  // Two cuts before the writing starts; from the moment it does, one every 8 ms while the client
  // is written and moved into place, then ever further apart until the run ends by itself.
  int killed = 0;
  for (int i = 0;; ++i) {
    const bool early = i < 2;
    const int k = i - 2;
    const DWORD after = early ? i * 400 : k <= 10 ? k * 8 : 80u << (k - 10);
    WriteText(client, old);
    const bool ended = run(after, !early);
    const std::string now = ReadAll(client);
    EXPECT_TRUE(now == old || now == fresh) << "killed after " << after << " ms: " << now.size() << " bytes";
    if (ended) {
      EXPECT_EQ(now, fresh);
      CloseStartedClient();
      break;
    }
    ++killed;
    ASSERT_LT(after, 20000u);
  }
  EXPECT_GE(killed, 6);
  SetEnvironmentVariableA("KV_UPGRADE_WAIT_STEP_MS", nullptr);
  RemoveTree("C:\\kvtest e2e upgrade");
  RemoveTree(ShellFolder(CSIDL_PROGRAMS) + "\\Korvane P2P");
}

// A self-update that fails gives the user the client back: the old one, started again, with
// exit code 2 once the error panel is closed. A damaged installer writes nothing and does the same.
TEST(SelfUpdate, AFailedOrDamagedUpdateStartsTheOldClientAgainAndExitsTwo) {
  Register(kDir);
  SetEnvironmentVariableA("KV_UPGRADE_WAIT_STEP_MS", "0");
  SHCreateDirectoryExA(nullptr, "C:\\kvtest e2e upgrade\\Korvane P2P", nullptr);
  const std::string client = kDir + "Korvane.Exe", log = "C:\\kvtest e2e upgrade\\update.log";
  WriteText(client, "old");
  ASSERT_EQ(TInstallerRun("/autoupdate \"" + kDir + "\"").ExitCode(), 0u);  // a client that runs
  ASSERT_TRUE(CloseStartedClient());
  const std::string old = ReadAll(client);
  {
    TFileHandle lock(CreateFileA(client.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    const TInstallerRun run("/LOG=\"" + log + "\" /autoupdate \"" + kDir + "\"");
    EXPECT_TRUE(CloseStartedClient());  // started again after the last attempt
    // The error panel shows; closed, the run ends with its code.
    for (int i = 0; i < 100 && !run.Ended(200); ++i)
      if (HWND form = FindWindowA("TFormMain", nullptr)) PostMessageA(form, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.ExitCode(1000), 2u);
  }
  EXPECT_EQ(ReadAll(client), old);
  std::string text = ReadAll(log);
  for (const char* line : {"(attempt 21): failed, Cannot create file", "Client started again: done", "(exit code 2)"})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;

  const std::vector<TDamagedInstaller> copies = WriteDamagedInstallers(gInstaller, "C:\\kvtest e2e upgrade\\");
  ASSERT_EQ(copies.size(), 4u);
  const std::string installer = gInstaller;
  SetInstaller(copies[1].Path);
  DeleteFileA(log.c_str());
  EXPECT_EQ(TInstallerRun("/LOG=\"" + log + "\" /autoupdate \"" + kDir + "\"").ExitCode(), 2u);
  SetInstaller(installer);
  EXPECT_TRUE(CloseStartedClient());
  EXPECT_EQ(ReadAll(client), old);
  EXPECT_FALSE(Exists(client + ".tmp"));
  text = ReadAll(log);
  for (const char* line : {"Installer check: failed, ", "Client started again: done", "Outcome: nothing upgraded (exit code 2)"})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  SetEnvironmentVariableA("KV_UPGRADE_WAIT_STEP_MS", nullptr);
  RemoveTree("C:\\kvtest e2e upgrade");
  RemoveTree(ShellFolder(CSIDL_PROGRAMS) + "\\Korvane P2P");
}

// Run elevated, the self-update acts only on the registered installation: not on a copy a user
// planted elsewhere, whatever it holds.
TEST(SelfUpdate, APlantedCopyIsLeftAloneWithExitCodeTwo) {
  Register(kDir);
  const std::string planted = "C:\\kvtest e2e planted\\";
  CreateDirectoryA(planted.c_str(), nullptr);
  WriteText(planted + "Korvane.Exe", "planted");
  EXPECT_EQ(TInstallerRun("/autoupdate \"" + planted + "\"").ExitCode(20000), 2u);
  EXPECT_EQ(ReadAll(planted + "Korvane.Exe"), "planted");
  EXPECT_FALSE(Exists(planted + "Uninstall.Exe"));
  RemoveTree("C:\\kvtest e2e planted");
}

// The self-update acts only on a folder that holds an installation.
TEST(SelfUpdate, AFolderWithoutTheClientIsLeftAloneWithExitCodeTwo) {
  const std::string dir = "C:\\kvtest e2e no client\\";
  CreateDirectoryA(dir.c_str(), nullptr);
  WriteText(dir + "notes.txt", "mine");
  for (const std::string& folder : {dir, std::string("C:\\kvtest e2e never made\\")}) {
    SCOPED_TRACE(folder);
    EXPECT_EQ(TInstallerRun("/autoupdate \"" + folder + "\"").ExitCode(20000), 2u);
  }
  EXPECT_FALSE(Exists(dir + "Korvane.Exe"));
  EXPECT_FALSE(Exists(dir + "Uninstall.Exe"));
  EXPECT_EQ(ReadAll(dir + "notes.txt"), "mine");
  EXPECT_FALSE(Exists("C:\\kvtest e2e never made"));
  DeleteFileA((dir + "notes.txt").c_str());
  RemoveDirectoryA(dir.c_str());
}

// ---- the upgrade road through the wizard ----------------------------------------------

std::string Retry(int attempt) {
  return "Korvane P2P is still running or in use by another program. Upgrade will retry in a few seconds. "
         "(Attempt " + std::to_string(attempt) + ")";
}

// One installation on the fixed drive H:, two levels deep, and a copy of the client on every
// drive of another kind, which the search must pass by.
class UpgradeRoad : public testing::Test {
 protected:
  void SetUp() override {
    if (!DriveKindsSetUp()) GTEST_SKIP() << "no drives of every kind set up";
    for (const TTestDriveKind& d : KDriveKinds) ASSERT_EQ(GetDriveTypeA(d.Root().c_str()), d.Kind) << d.Name;
    Clean();
    for (const TTestDriveKind& d : KDriveKinds) {
      if (d.Kind == DRIVE_FIXED) continue;
      const std::string other = d.Root() + "kvtest e2e\\Korvane P2P";
      SHCreateDirectoryExA(nullptr, other.c_str(), nullptr);
      WriteText(other + "\\Korvane.Exe", "a copy on a drive that is not searched");
    }
  }
  void TearDown() override {
    SetEnvironmentVariableA("KV_UPGRADE_WAIT_STEP_MS", nullptr);
    if (DriveKindsSetUp()) Clean();
  }
  void Clean() {
    for (const TTestDriveKind& d : KDriveKinds) RemoveTree(d.Root() + "kvtest e2e");
    RemoveTree(ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Korvane P2P");
    RemoveTree(group);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, KUninstallKey);
  }
  // An installation as an older version left it.
  void OldInstallation() {
    SHCreateDirectoryExA(nullptr, dir.c_str(), nullptr);
    WriteText(client, "old client");
    WriteText(dir + "Uninstall.Exe", "old uninstaller");
    WriteText(dir + "KVInst.Dat", "settings");
  }
  // Welcome, licence, the upgrade road, the search: the choice offers the installation on H: only.
  void ToUpgradeChoice(TWizard& w) {
    w.WaitFor("Thanks for installing Korvane P2P");
    w.Advance('n', "&I have read the statement above");
    w.Tick("&I have read the statement above");
    w.Advance('n', "&Upgrade an existing installation");
    w.Tick("&Upgrade an existing installation");
    w.Advance('n', "Upgrade Korvane P2P installed in:");
    HWND list = w.Control("combobox");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 1);
    char chosen[MAX_PATH] = "";
    SendMessageA(list, WM_GETTEXT, sizeof chosen, reinterpret_cast<LPARAM>(chosen));
    EXPECT_EQ(std::string(chosen), dir);
  }
  // Presses Upgrade and reads the engine's message line until its panel goes: the retry
  // messages in the order they showed. `each` runs at every look with the messages so far.
  // Only that one line is read meanwhile, so that the looks cost the installer nothing.
  static std::vector<std::string> UpgradeWatchingRetries(TWizard& w, const std::function<void(size_t)>& each) {
    w.Advance('u', "(Attempt 1)");
    const HWND line = w.WaitFor("(Attempt 1)");
    std::vector<std::string> seen;
    for (const DWORD start = GetTickCount(); line && IsWindowVisible(line) && GetTickCount() - start < 600000;
         Sleep(50)) {
      char now[512] = "";
      GetWindowTextA(line, now, sizeof now);
      if (*now && (seen.empty() || seen.back() != now)) seen.push_back(now);
      each(seen.size());
    }
    return seen;
  }

  const std::string top = "H:\\kvtest e2e", dir = top + "\\Korvane P2P\\", client = dir + "Korvane.Exe";
  const std::string group = ShellFolder(CSIDL_PROGRAMS) + "\\Korvane P2P";
};

TEST_F(UpgradeRoad, InstalledByTheWizardThenUpgradedThenUninstalled) {
  {
    TWizard w;
    ASSERT_TRUE(w.Running());
    w.ToConfirmation([&] { w.Tick("&Create a shortcut on the desktop"); },  // untick
                     [&] { w.TypeFolder(dir.substr(0, dir.size() - 1)); }, [&] { w.TypeFolder(top + "\\Shared"); }, {},
                     [&] { w.Tick("Install the Korvane toolbar."); });  // untick
    w.Advance('i', "% complete");
    w.WaitFor("The installation of Korvane P2P is completed successfully.", 120000);
    EXPECT_TRUE(w.PressToEnd('e'));
  }
  ASSERT_EQ(FileSize(client), KClientProgram.USize);
  // Programs of an older version, its entry without the quiet command, and the Start-menu links
  // gone: the upgrade writes them all.
  WriteText(client, "old client");
  WriteText(dir + "Uninstall.Exe", "old uninstaller");
  RemoveTree(group);
  RegSetKeyValueA(HKEY_LOCAL_MACHINE, KUninstallKey, "DisplayVersion", REG_SZ, "4.38", 5);
  RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, KUninstallKey, "QuietUninstallString");
  ASSERT_EQ(UninstallEntryValue("DisplayVersion"), "4.38");
  const std::string dataFile = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Korvane P2P\\Korvane.Dat";
  const std::string settings = ReadAll(dir + "KVInst.Dat"), removal = ReadAll(dir + "UnInstall.dat"),
                    data = ReadAll(dataFile);
  ASSERT_FALSE(data.empty());
  {
    TWizard w;
    ASSERT_TRUE(w.Running());
    ToUpgradeChoice(w);
    w.Advance('u', "% complete");
    w.WaitFor("The upgrade of Korvane is completed succesfully.", 120000);
    EXPECT_TRUE(w.PressToEnd('s'));
    EXPECT_TRUE(CloseStartedClient());
  }
  EXPECT_EQ(FileSize(client), KClientProgram.USize);
  EXPECT_EQ(FileSize(dir + "Uninstall.Exe"), KUninstaller.USize);
  EXPECT_EQ(ReadAll(dir + "KVInst.Dat"), settings);
  EXPECT_EQ(ReadAll(dir + "UnInstall.dat"), removal);
  EXPECT_EQ(ReadAll(dataFile), data);
  EXPECT_EQ(LowerCase(ReadLink(group + "\\Korvane P2P.Lnk").Target), LowerCase(client));
  EXPECT_EQ(LowerCase(ReadLink(group + "\\Korvane P2P Uninstall.Lnk").Target), LowerCase(dir + "Uninstall.Exe"));
  EXPECT_EQ(ReadLink(group + "\\Korvane P2P On the Web.Lnk").Description, "Korvane P2P On the web");
  EXPECT_EQ(ReadLink(group + "\\Korvane P2P Help.Lnk").Description, "Korvane P2P Help");
  EXPECT_EQ(UninstallEntryValue("DisplayVersion"), KProductVersion);
  EXPECT_EQ(UninstallEntryValue("QuietUninstallString"), "\"" + dir + "Uninstall.Exe\" /S");

  Uninstall(dir);  // the upgraded uninstaller
  EXPECT_FALSE(Exists(dir));
  EXPECT_FALSE(Exists(dataFile));
}

TEST_F(UpgradeRoad, ClientHeldOpenForFortySecondsFailsThreeAttemptsAndTheFourthWrites) {
  OldInstallation();
  TFileHandle lock(CreateFileA(client.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock);
  TWizard w;
  ASSERT_TRUE(w.Running());
  ToUpgradeChoice(w);
  // Held until the third attempt has failed and a few seconds of its wait have passed.
  const DWORD start = GetTickCount();
  DWORD third = 0;
  const auto seen = UpgradeWatchingRetries(w, [&](size_t messages) {
    if (messages == 3 && !third) third = GetTickCount();
    if (third && GetTickCount() - third >= 8000) lock.reset();
  });
  EXPECT_NE(w.WaitFor("The upgrade of Korvane is completed succesfully.", 60000), nullptr);
  EXPECT_EQ(seen, (std::vector<std::string>{Retry(1), Retry(2), Retry(3)}));
  EXPECT_GE(GetTickCount() - start, 45000u);  // three waits of fifteen seconds
  EXPECT_EQ(FileSize(client), KClientProgram.USize);
  EXPECT_EQ(FileSize(dir + "Uninstall.Exe"), KUninstaller.USize);
  EXPECT_EQ(ReadAll(dir + "KVInst.Dat"), "settings");
  EXPECT_FALSE(Exists(client + ".tmp"));
  EXPECT_TRUE(w.PressToEnd('e'));
}

TEST_F(UpgradeRoad, ClientLockedForGoodKeepsTheOldOneAndEndsOnTheErrorPanel) {
  // The test build's door: waits of 50 ms a step instead of a second, 15 s instead of 300.
  SetEnvironmentVariableA("KV_UPGRADE_WAIT_STEP_MS", "50");
  OldInstallation();
  TFileHandle lock(CreateFileA(client.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock);
  TWizard w;
  ASSERT_TRUE(w.Running());
  ToUpgradeChoice(w);
  const auto seen = UpgradeWatchingRetries(w, [](size_t) {});
  std::vector<std::string> expected;
  for (int attempt = 1; attempt < KUpgradeAttempts; ++attempt) expected.push_back(Retry(attempt));
  EXPECT_EQ(seen, expected);
  EXPECT_NE(w.WaitFor("Cannot create file \"" + client + "\"."), nullptr);
  lock.reset();
  EXPECT_EQ(ReadAll(client), "old client");
  EXPECT_EQ(ReadAll(dir + "Uninstall.Exe"), "old uninstaller");
  EXPECT_FALSE(Exists(client + ".tmp"));
  EXPECT_TRUE(w.PressToEnd('e'));
}

TEST_F(UpgradeRoad, FolderDeletedAfterTheSearchIsMadeAgainWithItsParents) {
  OldInstallation();
  TWizard w;
  ASSERT_TRUE(w.Running());
  ToUpgradeChoice(w);
  RemoveTree(top);
  ASSERT_FALSE(Exists(top));
  w.Advance('u', "% complete");
  EXPECT_NE(w.WaitFor("The upgrade of Korvane is completed succesfully.", 120000), nullptr);
  EXPECT_EQ(FileSize(client), KClientProgram.USize);
  EXPECT_EQ(FileSize(dir + "Uninstall.Exe"), KUninstaller.USize);
  EXPECT_TRUE(w.PressToEnd('e'));
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    fprintf(stderr, "usage: kvtests_upgrade_e2e INSTALLER\n");
    return 2;
  }
  SetInstaller(argv[1]);
  return RUN_ALL_TESTS();
}
