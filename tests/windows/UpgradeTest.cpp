// The upgrade road in the real window: the search on folders standing in for drives, the
// choice, the engine with its retries, its failures and the self-update, the completion panel.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "tests/windows/DriveKinds.h"
#include "tests/windows/TestFiles.h"
#include "engine/Engine.h"
#include "lib/LIB_InstallPaths.h"
#include "lib/LIB_Version.h"
#include "lib/LIB_kvURL.h"
#include "lib/win/WinHandles.h"
#include "panels/PNL_Error.h"
#include "panels/PNL_UpgradeFindDir.h"
#include "panels/PNL_UpgradeStart.h"
#include "engine/EngineSteps.h"
#include "panels/PNL_UpgradeUpgrading.h"
#include "tests/windows/EngineEvents.h"
#include "tests/windows/LoopbackHttp.h"
#include "tests/windows/WizardTestUtil.h"
#include "wizard/Appl_Report.h"

namespace {




// Target and description of a link; Wine keeps a web address only as a path, so web links are
// told apart by their descriptions.
std::string LinkTarget(const std::string& file) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  TComPtr<IShellLinkA> link;
  TComPtr<IPersistFile> persist;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put_void())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, persist.put_void())))
    return "(no link object)";
  const std::wstring w(file.begin(), file.end());
  if (FAILED(persist->Load(w.c_str(), STGM_READ))) return "(missing)";
  char buf[1024] = "";
  link->GetPath(buf, sizeof buf, nullptr, SLGP_RAWPATH);
  std::string result = buf;
  buf[0] = 0;
  link->GetDescription(buf, sizeof buf);
  return result + "|" + buf;
}

// Letters K and L are fixed drives whose roots are folders under C:\kvtest_drives.
class TTestDrives : public TWin32FindPlatform {
 public:
  static inline const std::string Base = "C:\\kvtest_drives\\";
  TDriveType DriveType(char letter) override {
    return letter == 'K' || letter == 'L' ? TDriveType::Fixed : TDriveType::NoRootDir;
  }
  void Enumerate(const std::string& pattern, bool includeHidden,
                 const std::function<bool(const TFindEntry&)>& each) override {
    TWin32FindPlatform::Enumerate(Base + pattern[0] + pattern.substr(2), includeHidden, each);
  }
};

class Upgrade : public TWizardTest {
 protected:
  void SetUp() override {
    savedURL_ = ReportAddress();
    SetReportAddress(PackURL(server_.Base() + "/report.php?"));
    TWizardTest::SetUp();
    engine = Add(TPanelId::UpgradeUpgrading, std::make_unique<TPNLUpgradeUpgrading>());
    Clean();
    savedEnd_ = TPNLUpgradeUpgrading::EndProcess;
    TPNLUpgradeUpgrading::Retry.Step = std::chrono::milliseconds(5);
    TPNLUpgradeUpgrading::EndProcess = [this](int code) { exitCodes.push_back(code); };
  }
  void TearDown() override {
    TPNLUpgradeUpgrading::Retry = TRetryPolicy{};
    TPNLUpgradeUpgrading::EndProcess = savedEnd_;
    TWizardTest::TearDown();
    Clean();
    SetReportAddress(savedURL_);
  }
  static void Clean() {
    RemoveTree("C:\\kvtest upgrade");
    RemoveTree(WithoutSlash(TTestDrives::Base));
    RemoveTree(ShellFolder(CSIDL_PROGRAMS) + "\\Korvane P2P");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, KUninstallKey);
  }
  static std::string WithoutSlash(std::string s) {
    s.pop_back();
    return s;
  }
  // A panel of the test's own in the place of the wizard's.
  template <class T>
  T* Add(TPanelId id, std::unique_ptr<T> panel) {
    T* raw = panel.get();
    form->AddPanel(id, std::move(panel));
    return raw;
  }
  template <class T>
  T& Panel(TPanelId id) {
    form->ShowPanel(id, false);
    return *dynamic_cast<T*>(form->ActivePanel());
  }
  // Runs the engine as the upgrade button does, until it has handed over: its failure
  // reaches the error panel.
  void RunEngine() {
    Dispatch([&] { form->ShowPanel(TPanelId::UpgradeUpgrading, false); });
    WaitUntil([&] { return !form->EngineRunning(); });
  }
  std::string ErrorShown() const {
    return Text(dynamic_cast<TPnlError&>(*form->Panel(TPanelId::Error)).StaticText1);
  }

  static constexpr char kDir[] = "C:\\kvtest upgrade\\Korvane P2P\\";
  TPNLUpgradeUpgrading* engine = nullptr;
  std::vector<int> exitCodes;

 private:
  TLoopbackHttp server_;
  std::string savedURL_;
  std::function<void(int)> savedEnd_;
};

// ---- search ----

class Search : public Upgrade {
 protected:
  void SetUp() override {
    Upgrade::SetUp();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, KUninstallKey);  // no installation of an earlier test comes first
  }
  // Shows the search, which runs on the engine's worker, and waits until it has handed over.
  void Find() {
    StandIn(TPanelId::UpgradeStart, "PNLUpgradeStart");
    searched = Add(TPanelId::UpgradeFindDir, std::make_unique<TPnlUpgradeFindDir>());
    searched->Platform = &drives;
    form->ShowPanel(TPanelId::UpgradeFindDir, false);
    WaitUntil([&] { return !form->EngineRunning(); });
  }
  TTestDrives drives;
  TPnlUpgradeFindDir* searched = nullptr;
};

TEST_F(Search, FindsEveryCopyOnTheFixedDrivesSortedWithoutRegardToCase) {
  for (const char* file : {"K\\Zeta\\korvane.exe", "K\\alpha\\deep\\KORVANE.EXE", "L\\apps\\Korvane.exe",
                           "K\\alpha\\other.exe"}) {
    const std::string path = TTestDrives::Base + file;
    SHCreateDirectoryExA(nullptr, path.substr(0, path.find_last_of('\\')).c_str(), nullptr);
    WriteText(path, "x");
  }
  Find();
  EXPECT_EQ(form->State.FoundInstallations, (std::vector<std::string>{"K:\\alpha\\deep\\KORVANE.EXE", "K:\\Zeta\\korvane.exe",
                                                          "L:\\apps\\Korvane.exe"}));
  EXPECT_EQ(ActiveName(), "PNLUpgradeStart");
  EXPECT_EQ(Text(searched->Label12), "0% complete");
  EXPECT_EQ(Text(searched->StaticText4),
            "Now searching for installed Korvane P2P versions on your hard disks.\rThis can take a few moments.");
}

TEST_F(Search, HiddenFoldersAreSkippedButHiddenFilesFound) {
  const std::string k = TTestDrives::Base + "K";
  SHCreateDirectoryExA(nullptr, (k + "\\secret").c_str(), nullptr);
  SHCreateDirectoryExA(nullptr, (k + "\\open").c_str(), nullptr);
  WriteText(k + "\\secret\\korvane.exe", "x");
  WriteText(k + "\\open\\korvane.exe", "x");
  ASSERT_TRUE(SetFileAttributesA((k + "\\secret").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY));
  ASSERT_TRUE(SetFileAttributesA((k + "\\open\\korvane.exe").c_str(), FILE_ATTRIBUTE_HIDDEN));
  Find();
  EXPECT_EQ(form->State.FoundInstallations, (std::vector<std::string>{"K:\\open\\korvane.exe"}));
}

TEST_F(Search, NoFindShowsTheMessageAndGoesBack) {
  SHCreateDirectoryExA(nullptr, (TTestDrives::Base + "K\\empty").c_str(), nullptr);
  form->State.FoundInstallations = {"stale"};
  EXPECT_EQ(AnswerMessageBox([&] { Find(); }),
            "No installed Korvane P2P versions could be found,\ror the found Korvane P2P versions are newer "
            "than\rthe one in this installation. An upgrade is\rnot possible.");
  EXPECT_TRUE(form->State.FoundInstallations.empty());
  EXPECT_EQ(ActiveName(), "PnlInstall");
}

// An upgrade run as administrator acts on what the uninstall entry names: that copy comes first,
// before any copy a user may have planted, and nothing behind a link is offered at all.
TEST_F(Search, TheRegisteredInstallationComesFirstAndNothingBehindALinkIsOffered) {
  const std::string registered = "C:\\kvtest registered\\Korvane P2P\\", linked = "C:\\kvtest linked";
  SHCreateDirectoryExA(nullptr, registered.substr(0, registered.size() - 1).c_str(), nullptr);
  WriteText(registered + "Korvane.Exe", "x");
  const std::string command = "\"" + registered + "Uninstall.Exe\"";
  ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, KUninstallKey, "UninstallString", REG_SZ, command.c_str(),
                            static_cast<DWORD>(command.size() + 1)),
            ERROR_SUCCESS);
  const std::string planted = TTestDrives::Base + "K\\0\\korvane.exe";
  SHCreateDirectoryExA(nullptr, (TTestDrives::Base + "K\\0").c_str(), nullptr);
  WriteText(planted, "x");
  Find();
  EXPECT_EQ(form->State.FoundInstallations, (std::vector<std::string>{registered + "Korvane.Exe", "K:\\0\\korvane.exe"}));

  ASSERT_TRUE(MakeFolderLink(linked, registered));
  EXPECT_EQ(UpgradeChoices({linked + "\\korvane.exe", "C:\\KVTEST REGISTERED\\Korvane P2P\\korvane.exe"}),
            std::vector<std::string>{registered + "Korvane.Exe"});
  RemoveFolderLink(linked);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, KUninstallKey);
  RemoveTree("C:\\kvtest registered");
}

// A self-update run as administrator acts only on the registered installation; without
// elevation it acts as it always has, since it can then write only where its user can.
TEST(SelfUpdateRefusal, ElevatedOnlyTheRegisteredInstallation) {
  const std::string registered = "C:\\kvtest registered\\Korvane P2P\\";
  const std::string command = "\"" + registered + "Uninstall.Exe\"";
  ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, KUninstallKey, "UninstallString", REG_SZ, command.c_str(),
                            static_cast<DWORD>(command.size() + 1)),
            ERROR_SUCCESS);
  const struct {
    std::string folder;
    bool elevated, refused;
  } cases[] = {
      {registered, true, false},
      {"c:\\KVTEST REGISTERED\\korvane p2p", true, false},
      {"C:\\kvtest registered\\other\\..\\Korvane P2P\\", true, false},
      {"C:\\0\\", true, true},
      {"C:\\kvtest registered\\", true, true},
      {"C:\\0\\", false, false},
  };
  for (const auto& c : cases) EXPECT_EQ(!SelfUpdateRefusal(c.folder, c.elevated).empty(), c.refused) << c.folder;
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, KUninstallKey);
  EXPECT_EQ(SelfUpdateRefusal(registered, true), "no installation is registered");
  EXPECT_EQ(SelfUpdateRefusal(registered, false), "");
}

// The real drives of the prefix, one of every kind: each class of drives takes only its own.
// (The class with network drives would walk Z:, the whole Unix root, so it is left out.)
TEST(SearchDriveKinds, FixedDrivesOnlyAndWithRemovableAndRamDisks) {
  if (!DriveKindsSetUp()) GTEST_SKIP() << "no drives of every kind set up";
  for (const TTestDriveKind& d : KDriveKinds) {
    ASSERT_EQ(GetDriveTypeA(d.Root().c_str()), d.Kind) << d.Name;
    CreateDirectoryA((d.Root() + "kvtest search").c_str(), nullptr);
    WriteText(d.Root() + "kvtest search\\korvane.exe", "x");
  }
  const struct {
    uint8_t driveKind;
    std::vector<UINT> searched;
  } cases[] = {{1, {DRIVE_FIXED}}, {2, {DRIVE_FIXED, DRIVE_REMOVABLE, DRIVE_RAMDISK}}};
  TWin32FindPlatform platform;
  for (const auto& c : cases) {
    std::vector<std::string> expected;
    for (const TTestDriveKind& d : KDriveKinds)
      if (std::ranges::count(c.searched, d.Kind)) expected.push_back(d.Root() + "kvtest search\\korvane.exe");
    std::ranges::sort(expected);
    // Only this test's copies count: C: may hold others.
    auto mine = [](const std::string& path) { return path.find("\\kvtest search\\") != std::string::npos; };
    EXPECT_EQ(FindFiles("korvane.exe", c.driveKind, "", {}, mine, 0, platform), expected) << int(c.driveKind);
  }
  for (const TTestDriveKind& d : KDriveKinds) RemoveTree(d.Root() + "kvtest search");
}

// ---- choice ----

TEST_F(Upgrade, ChoiceListsTheFoldersInOrderAndUpgradesTheFirstUntouched) {
  StandIn(TPanelId::UpgradeUpgrading, "PNLUpgradeUpgrading");
  form->State.FoundInstallations = {"C:\\a\\korvane.exe", "d:\\B c\\Korvane.exe", "E:\\korvane.exe"};
  auto& panel = Panel<TPNLUpgradeStart>(TPanelId::UpgradeStart);
  EXPECT_EQ(form->HeaderCaption(), "Ready to upgrade");
  EXPECT_EQ(Text(panel.Label13), "Upgrade Korvane P2P installed in:");
  ASSERT_EQ(SendMessageA(panel.ComboBoxUpgrade, CB_GETCOUNT, 0, 0), 3);
  const char* expected[] = {"C:\\a\\", "d:\\B c\\", "E:\\"};
  for (int i = 0; i < 3; ++i) {
    char item[MAX_PATH] = "";
    SendMessageA(panel.ComboBoxUpgrade, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, expected[i]);
  }
  EXPECT_EQ(SendMessageA(panel.ComboBoxUpgrade, CB_GETCURSEL, 0, 0), 0);
  ASSERT_TRUE(Press("&Upgrade"));
  EXPECT_EQ(form->State.InstallDir, "C:\\a\\");
  EXPECT_EQ(ActiveName(), "PNLUpgradeUpgrading");
}

TEST_F(Upgrade, ChoiceTakesThePickedFolderAndOffersPreviousAndExit) {
  StandIn(TPanelId::UpgradeUpgrading, "PNLUpgradeUpgrading");
  form->State.FoundInstallations = {"C:\\a\\korvane.exe", "D:\\b\\korvane.exe"};
  auto& panel = Panel<TPNLUpgradeStart>(TPanelId::UpgradeStart);
  EXPECT_EQ(form->PnlButtons->LeftButton(1).Caption, "&Exit");
  EXPECT_EQ(form->PnlButtons->RightButton(1).Caption, "&Upgrade");
  EXPECT_EQ(form->PnlButtons->RightButton(2).Caption, "&Previous");

  form->Busy = true;  // a slide is running: every button waits
  for (const char* caption : {"&Upgrade", "&Previous", "&Exit"}) ASSERT_TRUE(Press(caption));
  EXPECT_EQ(ActiveName(), "PNLUpgradeStart");
  form->Busy = false;

  SendMessageA(panel.ComboBoxUpgrade, CB_SETCURSEL, 1, 0);
  ASSERT_TRUE(Press("&Upgrade"));
  EXPECT_EQ(form->State.InstallDir, "D:\\b\\");

  Panel<TPNLUpgradeStart>(TPanelId::UpgradeStart);
  ASSERT_TRUE(Press("&Previous"));
  EXPECT_EQ(ActiveName(), "PnlInstall");
}

// ---- engine ----

TEST_F(Upgrade, RewritesBothProgramsAndTheLinksAndLeavesTheRestAlone) {
  SHCreateDirectoryExA(nullptr, WithoutSlash(kDir).c_str(), nullptr);
  WriteText(std::string(kDir) + "Korvane.Exe", "old client");
  WriteText(std::string(kDir) + "KVInst.Dat", "settings");
  form->State.InstallDir = kDir;
  RunEngine();
  EXPECT_EQ(ActiveName(), "PNLUpgradeReady");
  EXPECT_EQ(form->HeaderCaption(), "Upgrade of Korvane P2P ready");
  EXPECT_EQ(FileSize(std::string(kDir) + "Korvane.Exe"), KClientProgram.USize);
  EXPECT_EQ(FileSize(std::string(kDir) + "Uninstall.Exe"), KUninstaller.USize);
  EXPECT_EQ(ReadAll(std::string(kDir) + "KVInst.Dat"), "settings");
  EXPECT_FALSE(Exists(std::string(kDir) + "Korvane.Exe.tmp"));
  EXPECT_FALSE(Exists(std::string(kDir) + "Uninstall.Exe.tmp"));
  const std::string group = ShellFolder(CSIDL_PROGRAMS) + "\\Korvane P2P\\";
  EXPECT_EQ(LinkTarget(group + "Korvane P2P.Lnk"), std::string(kDir) + "Korvane.Exe|Korvane P2P");
  EXPECT_TRUE(LinkTarget(group + "Korvane P2P On the Web.Lnk").ends_with("\\p2p\\|Korvane P2P On the web"));
  EXPECT_TRUE(LinkTarget(group + "Korvane P2P Help.Lnk").ends_with("\\p2p\\help\\|Korvane P2P Help"));
  EXPECT_EQ(LinkTarget(group + "Korvane P2P Uninstall.Lnk"), std::string(kDir) + "Uninstall.Exe|Korvane P2P Uninstall");
  auto& panel = *engine;
  EXPECT_EQ(SendMessageA(panel.ProgressBar1, PBM_GETRANGE, FALSE, 0), 7221926);
  EXPECT_EQ(SendMessageA(panel.ProgressBar1, PBM_GETPOS, 0, 0), 7221926);
  EXPECT_EQ(Text(panel.Label12), "100% complete");
  EXPECT_TRUE(exitCodes.empty());
}

TEST_F(Upgrade, ADeletedFolderIsMadeAgainWithItsParents) {
  form->State.InstallDir = kDir;
  RunEngine();
  EXPECT_EQ(ActiveName(), "PNLUpgradeReady");
  EXPECT_EQ(FileSize(std::string(kDir) + "Korvane.Exe"), KClientProgram.USize);
  EXPECT_EQ(FileSize(std::string(kDir) + "Uninstall.Exe"), KUninstaller.USize);
}

TEST_F(Upgrade, AnUninstallerInUseEndsOnTheErrorPanelWithTheBarWhereTheClientLeftIt) {
  SHCreateDirectoryExA(nullptr, WithoutSlash(kDir).c_str(), nullptr);
  const std::string uninstaller = std::string(kDir) + "Uninstall.Exe";
  WriteText(uninstaller, "old uninstaller");
  TFileHandle lock(CreateFileA(uninstaller.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock);
  form->State.InstallDir = kDir;
  RunEngine();
  EXPECT_EQ(ActiveName(), "PnlError");
  EXPECT_TRUE(ErrorShown().starts_with("Cannot create file \"" + uninstaller + "\".")) << ErrorShown();
  EXPECT_EQ(SendMessageA(engine->ProgressBar1, PBM_GETPOS, 0, 0), 6156616);
  EXPECT_EQ(Text(engine->Label12), "85% complete");
  lock.reset();
  EXPECT_EQ(ReadAll(uninstaller), "old uninstaller");
  EXPECT_FALSE(Exists(uninstaller + ".tmp"));
  EXPECT_EQ(FileSize(std::string(kDir) + "Korvane.Exe"), KClientProgram.USize);
}

// Holds the client program open as a running client does, and records the retry messages.
class Locked : public Upgrade {
 protected:
  void Lock() {
    SHCreateDirectoryExA(nullptr, WithoutSlash(kDir).c_str(), nullptr);
    WriteText(client, "old client");
    lock.reset(CreateFileA(client.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    form->State.InstallDir = kDir;
  }
  // Runs the engine while a timer watches Label1; the lock goes once `unlockAfter` messages were seen.
  void RunWatched(size_t unlockAfter) {
    self = this;
    limit = unlockAfter;
    // The panel makes its label at its first show, which the engine run starts.
    const UINT_PTR timer = SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR, DWORD) {
      const std::string now = Text(self->engine->Label1);
      if (now.empty() || now == "." || (!self->seen.empty() && self->seen.back() == now)) return;
      self->seen.push_back(now);
      if (self->seen.size() == self->limit) self->lock.reset();
    });
    RunEngine();
    KillTimer(nullptr, timer);
  }
  static std::string Retry(int attempt) {
    return "Korvane P2P is still running or in use by another program. Upgrade will retry in a few seconds. "
           "(Attempt " + std::to_string(attempt) + ")";
  }

  const std::string client = std::string(kDir) + "Korvane.Exe";
  TFileHandle lock;
  std::vector<std::string> seen;
  size_t limit = 0;
  static inline Locked* self = nullptr;
};

TEST_F(Locked, ThreeFailedAttemptsEachShowTheirNumberThenTheFourthSucceeds) {
  Lock();
  TPNLUpgradeUpgrading::Retry.Step = std::chrono::milliseconds(20);
  RunWatched(3);
  EXPECT_EQ(seen, (std::vector<std::string>{Retry(1), Retry(2), Retry(3)}));
  EXPECT_EQ(Text(engine->Label1), "");
  EXPECT_EQ(ActiveName(), "PNLUpgradeReady");
  EXPECT_EQ(FileSize(client), KClientProgram.USize);
  EXPECT_FALSE(Exists(client + ".tmp"));
}

TEST_F(Locked, AFileThatStaysLockedKeepsTheOldClientAndEndsOnTheErrorPanelInBothModes) {
  for (bool autoUpdate : {false, true}) {
    Lock();
    form->State.AutoUpdate = autoUpdate;
    seen.clear();
    RunWatched(0);
    EXPECT_EQ(seen.size(), static_cast<size_t>(KUpgradeAttempts - 1)) << autoUpdate;
    if (!seen.empty()) EXPECT_EQ(seen.back(), Retry(KUpgradeAttempts - 1));
    EXPECT_EQ(ActiveName(), "PnlError") << autoUpdate;
    EXPECT_TRUE(ErrorShown().starts_with("Cannot create file \"" + client + "\".")) << ErrorShown();
    lock.reset();
    EXPECT_EQ(ReadAll(client), "old client");
    EXPECT_FALSE(Exists(client + ".tmp"));
    EXPECT_FALSE(Exists(std::string(kDir) + "Uninstall.Exe"));
    EXPECT_TRUE(exitCodes.empty());
  }
}

// While the upgrade works (the self-update runs on the same panel), Windows asks before a logoff
// and names the upgrade as the reason; afterwards the session may end again.
TEST_F(Locked, ALogoffMeanwhileIsHeldWithTheUpgradeAsItsReason) {
  Lock();
  Dispatch([&] { form->ShowPanel(TPanelId::UpgradeUpgrading, false); });
  ASSERT_TRUE(form->EngineRunning());
  EXPECT_EQ(form->LogoffReason(), "Korvane P2P is being upgraded");
  EXPECT_EQ(SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0), FALSE);
  lock.reset();
  WaitUntil([&] { return !form->EngineRunning(); });
  EXPECT_EQ(ActiveName(), "PNLUpgradeReady");
  EXPECT_EQ(form->LogoffReason(), "");
  EXPECT_EQ(SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
}

// The engine alone, without a window: a client held open for two attempts.
TEST(UpgradeEngine, RetriesWhileTheClientIsInUseThenReplacesIt) {
  const std::string dir = "C:\\kvtest upgrade engine\\", client = dir + "Korvane.Exe";
  CreateDirectoryA(dir.c_str(), nullptr);
  WriteText(client, "old client");
  struct TUnlockAfterTwo : TRecordingEvents {
    TFileHandle Lock;
    void Status(const std::string& text) override {
      TRecordingEvents::Status(text);
      if (std::ranges::count_if(Statuses, [](const std::string& s) { return !s.empty(); }) == 2) Lock.reset();
    }
  } events;
  events.Lock.reset(CreateFileA(client.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(events.Lock);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  TUpgradePlan plan{dir, false, {}};
  plan.Retry.Step = std::chrono::milliseconds(1);
  EXPECT_EQ(RunUpgrade(plan, events), dir);
  CoUninitialize();
  const std::string retry = "Korvane P2P is still running or in use by another program. Upgrade will retry in a few "
                            "seconds. (Attempt ";
  EXPECT_EQ(events.Statuses, (std::vector<std::string>{retry + "1)", "", retry + "2)", ""}));
  EXPECT_EQ(FileSize(client), KClientProgram.USize);
  EXPECT_EQ(FileSize(dir + "Uninstall.Exe"), KUninstaller.USize);
  EXPECT_EQ(events.Positions.back(), KUpgradeProgressMaximum);
  EXPECT_TRUE(events.Logged("Client program", "(attempt 2): failed, Cannot create file")) << events.LogText();
  EXPECT_TRUE(events.Logged("Client program", "(attempt 3): done")) << events.LogText();
  RemoveTree("C:\\kvtest upgrade engine");
  RemoveTree(ShellFolder(CSIDL_PROGRAMS) + "\\Korvane P2P");
}


// The entry an older version left, with two values of its own, is rewritten for the upgraded
// folder; its size counts the client data file wherever the installation keeps it.
TEST(UpgradeEngine, RewritesTheUninstallEntryForTheUpgradedFolder) {
  const std::string dir = "C:\\kvtest upgrade entry\\", perUser = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Korvane P2P\\";
  auto clean = [&] {
    RemoveTree("C:\\kvtest upgrade entry");
    RemoveTree(perUser.substr(0, perUser.size() - 1));
    RemoveTree(ShellFolder(CSIDL_PROGRAMS) + "\\Korvane P2P");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, KUninstallKey);
  };
  const struct {
    const char* where;
    std::string dataDir;
  } cases[] = {{"in the per-user folder", perUser}, {"in the installation folder", dir}};
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.where);
    clean();
    SHCreateDirectoryExA(nullptr, dir.c_str(), nullptr);
    SHCreateDirectoryExA(nullptr, c.dataDir.c_str(), nullptr);
    WriteText(dir + "Korvane.Exe", "old client");
    WriteText(dir + "KVInst.Dat", std::string(5000, 's'));
    WriteText(dir + "UnInstall.dat", "list");
    WriteText(c.dataDir + "Korvane.Dat", std::string(300000, 'd'));
    for (const auto& [name, value] : {std::pair{"DisplayName", "Korvane P2P"}, {"DisplayVersion", "4.38"},
                                      {"InstallLocation", "D:\\elsewhere\\"}})
      RegSetKeyValueA(HKEY_LOCAL_MACHINE, KUninstallKey, name, REG_SZ, value, static_cast<DWORD>(strlen(value) + 1));
    TRecordingEvents events;
    RunUpgrade(TUpgradePlan{dir, false, {}}, events);
    EXPECT_TRUE(events.Logged("Uninstall entry in the registry", ": done")) << events.LogText();
    EXPECT_EQ(UninstallEntryValue("DisplayVersion"), KProductVersion);
    EXPECT_EQ(UninstallEntryValue("InstallLocation"), dir);
    EXPECT_EQ(UninstallEntryValue("QuietUninstallString"), "\"" + dir + "Uninstall.Exe\" /S");
    DWORD size = 0, bytes = sizeof size;
    EXPECT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, KUninstallKey, "EstimatedSize", RRF_RT_REG_DWORD, nullptr, &size, &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(size, (KClientProgram.USize + KUninstaller.USize + 5000 + 4 + 300000 + 1023) / 1024);
  }
  CoUninitialize();
  clean();
}

TEST(WriteReplacing, AFailedWriteLeavesTheOldFileWholeAndNoTemporaryFile) {
  const std::string dir = "C:\\kvtest replace\\";
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string file = dir + "Korvane.Exe";
  WriteText(file, "old client");
  EXPECT_THROW(WriteReplacing(file,
                              [](const std::string& temp) {
                                WriteText(temp, "half of the new cl");
                                throw std::runtime_error("Disk full");
                              }),
               std::runtime_error);
  EXPECT_EQ(ReadAll(file), "old client");
  EXPECT_FALSE(Exists(file + ".tmp"));
  WriteReplacing(file, [](const std::string& temp) { WriteText(temp, "new client"); });
  EXPECT_EQ(ReadAll(file), "new client");
  EXPECT_FALSE(Exists(file + ".tmp"));
  RemoveTree("C:\\kvtest replace");
}

TEST_F(Upgrade, SelfUpdateFromTheCommandLineWaitsThenStartsTheClientMaximizedAndEndsWithCodeZero) {
  // The window shows the engine on its own, as at a real start with this command line.
  form.reset();
  form = CreateWizard(ParseCommandLine("/autoupdate C:\\kvtest upgrade\\Korvane P2P"));
  engine = Add(TPanelId::UpgradeUpgrading, std::make_unique<TPNLUpgradeUpgrading>());
  EXPECT_TRUE(form->State.AutoUpdate);
  EXPECT_EQ(form->State.InstallDir, kDir);
  TPNLUpgradeUpgrading::Retry.Step = std::chrono::milliseconds(200);
  const DWORD start = GetTickCount();
  while (exitCodes.empty() && GetTickCount() - start < 30000) ProcessMessagesFor(20);
  EXPECT_GE(GetTickCount() - start, 600u);
  EXPECT_EQ(FileSize(std::string(kDir) + "Korvane.Exe"), KClientProgram.USize);
  EXPECT_EQ(exitCodes, std::vector<int>{0});
  EXPECT_NE(ActiveName(), "PNLUpgradeReady");
  HWND client = nullptr;
  for (int i = 0; i < 100 && !client; ++i, Sleep(100)) client = FindWindowA("KorvaneP2P", nullptr);
  ASSERT_NE(client, nullptr);
  EXPECT_TRUE(IsZoomed(client));
  DWORD pid = 0;
  GetWindowThreadProcessId(client, &pid);
  PostMessageA(client, WM_CLOSE, 0, 0);
  TKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  if (process) WaitForSingleObject(process.get(), 5000);
}

// ---- completion ----

TEST_F(Upgrade, CompletionOffersExitAndStartAndClosesEvenWhenTheClientCannotStartSayingHow) {
  form->State.InstallDir = "C:\\kvtest nowhere\\";
  form->ShowPanel(TPanelId::UpgradeReady, false);
  EXPECT_EQ(form->PnlButtons->LeftButton(1).Caption, "&Exit");
  EXPECT_EQ(form->PnlButtons->RightButton(1).Caption, "&Start Korvane P2P");
  EXPECT_EQ(form->PnlButtons->RightButton(1).Width, 120);
  form->Busy = true;
  ASSERT_TRUE(Press("&Start Korvane P2P"));
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  form->Busy = false;
  EXPECT_EQ(AnswerMessageBox([&] { ASSERT_TRUE(Press("&Start Korvane P2P")); }),
            "Korvane P2P could not be started. Please start it from the Start menu: Korvane P2P > Korvane P2P.");
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

}  // namespace
