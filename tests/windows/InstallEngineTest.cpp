// The installation engine run in the real window, from "&Install Now" to the completion
// panel, and what it leaves on the computer; the completion panel starting the client.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <fstream>
#include <sstream>

#include "tests/windows/TestFiles.h"
#include "lib/LIB_DataFileReader.h"
#include "lib/LIB_Errors.h"
#include "lib/LIB_InstallPaths.h"
#include "lib/LIB_Text.h"
#include "lib/win/WinHandles.h"
#include "panels/PNL_InstallInstalling.h"
#include "panels/PNL_InstallReady.h"
#include "tests/windows/WizardTestUtil.h"

namespace {

std::string ExePathFolder() {
  const std::string exe = ExePath();
  return exe.substr(0, exe.find_last_of('\\') + 1);
}



std::string WindowText(HWND h) {
  char buf[256] = "";
  GetWindowTextA(h, buf, sizeof buf);
  return buf;
}


std::string RegString(const char* name) {
  char buf[MAX_PATH];
  DWORD size = sizeof buf;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, KUninstallKey, name, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
    return "(missing)";
  return buf;
}




class Engine : public TWizardTest {
 protected:
  void SetUp() override {
    TWizardTest::SetUp();
    Clean();
    toolbarLog = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\kvtest_toolbar.log";
    DeleteFileA(toolbarLog.c_str());
    SetEnvironmentVariableA("KORVANE_TOOLBAR_LOG", toolbarLog.c_str());
    GInstallerTag = "03";
    GInstallDir = kInstall;
    GDownloadDir = "C:\\kvtest_downloads\\";
  }
  void TearDown() override {
    Clean();
    SetEnvironmentVariableA("KORVANE_TOOLBAR_LOG", nullptr);
    DeleteFileA(toolbarLog.c_str());
    TWizardTest::TearDown();
  }
  static void Clean() {
    RemoveTree(WithoutSlash(kInstall));
    RemoveTree(ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Korvane P2P");
    RemoveTree(ShellFolder(CSIDL_PROGRAMS) + "\\Korvane P2P");
    DeleteFileA((ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Korvane P2P.Lnk").c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, KUninstallKey);
  }
  static std::string WithoutSlash(std::string s) {
    s.pop_back();
    return s;
  }
  // Runs the engine from the confirmation panel as the user does.
  void Install() {
    form->ShowPanel("PNLInstallGo", false);
    ASSERT_TRUE(Press("&Install Now"));
  }
  static std::string ToolbarLog() {
    // The stand-in runs on its own: give it a moment to write.
    for (int i = 0; i < 50 && !Exists(toolbarLog); ++i) Sleep(100);
    Sleep(200);
    return ReadAll(toolbarLog);
  }

  static constexpr char kInstall[] = "C:\\kvtest install\\Korvane P2P\\";
  static inline std::string toolbarLog;
};

TEST_F(Engine, DefaultAnswersLeaveEverythingInPlace) {
  GDesktopShortcut = true;
  Install();
  ASSERT_EQ(ActiveName(), "PNLInstallReady");
  EXPECT_EQ(form->HeaderCaption(), "Installation of Korvane P2P ready");

  const std::string appData = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Korvane P2P\\";
  EXPECT_EQ(GInstallDir, kInstall);
  EXPECT_EQ(GAppDataDir, appData);
  EXPECT_EQ(GDataDir, appData);
  EXPECT_EQ(GDownloadDir, "C:\\kvtest_downloads");  // the data file took the backslash away

  EXPECT_EQ(FileSize(GInstallDir + "Korvane.Exe"), 3966976);
  EXPECT_EQ(FileSize(GInstallDir + "Uninstall.Exe"), 635392);
  EXPECT_EQ(FileSize(GInstallDir + "Korvane_toolbar.exe"), 1311504);

  std::string expected;
  for (const std::string& line : RemovalList(kInstall, appData, appData, true)) expected += line + "\r\n";
  EXPECT_EQ(ReadAll(GInstallDir + "UnInstall.dat"), expected);
  EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'), 18);

  EXPECT_EQ(RegString("DisplayName"), "Korvane P2P");
  EXPECT_EQ(RegString("UninstallString"), "\"" + std::string(kInstall) + "Uninstall.Exe\"");

  const std::string group = ShellFolder(CSIDL_PROGRAMS) + "\\Korvane P2P\\";
  const struct {
    std::string file, target, description;
    int icon;
  } links[] = {
      {group + "Korvane P2P.Lnk", GInstallDir + "Korvane.Exe", "Korvane P2P", 0},
      {group + "Korvane P2P On the Web.Lnk", std::string(KProductSite) + "/p2p/", "Korvane P2P On the web", -1},
      {group + "Korvane P2P Help.Lnk", std::string(KProductSite) + "/p2p/help", "Korvane P2P Help", -1},
      {group + "Korvane P2P Uninstall.Lnk", GInstallDir + "Uninstall.Exe", "Korvane P2P Uninstall", 0},
      {ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Korvane P2P.Lnk", GInstallDir + "Korvane.Exe", "Korvane P2P", 0},
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
                                       std::pair{GInstallDir + "KVInst.Dat", "C:\\kvtest_downloads"}}) {
    SCOPED_TRACE(file);
    const TDataFileContent dat = ReadDataFile(ReadAll(file));
    EXPECT_EQ(dat.Header.DataDir, appData);
    EXPECT_EQ(dat.Header.DownloadDir, headerDownloads);
    EXPECT_EQ(dat.Header.InstallerTag, "03");
    EXPECT_EQ(dat.Header.ConnectionSpeed, 77);
    ASSERT_EQ(dat.Folders.size(), 1u);
    EXPECT_EQ(dat.Folders[0].Path, "C:\\kvtest_downloads");
  }
  EXPECT_NE(ReadAll(appData + "Korvane.Dat"), ReadAll(GInstallDir + "KVInst.Dat"));

  EXPECT_EQ(ToolbarLog(), "\"" + std::string(kInstall) + "Korvane_toolbar.exe\" /s -silent\r\n");
}

TEST_F(Engine, ChangedAnswersNoToolbarNoDesktopLinkOtherSpeed) {
  GDesktopShortcut = false;
  GInstallToolbar = false;
  GConnectionType = 4;
  Install();
  ASSERT_EQ(ActiveName(), "PNLInstallReady");
  EXPECT_FALSE(Exists(GInstallDir + "Korvane_toolbar.exe"));
  EXPECT_FALSE(Exists(ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Korvane P2P.Lnk"));
  const std::string list = ReadAll(GInstallDir + "UnInstall.dat");
  EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 17);
  EXPECT_EQ(list.find("<T"), std::string::npos);
  EXPECT_EQ(ReadDataFile(ReadAll(GAppDataDir + "Korvane.Dat")).Header.ConnectionSpeed, 90);
  Sleep(500);
  EXPECT_FALSE(Exists(toolbarLog));
}

// An essential step that fails ends on the error panel, also when "&Install Now" was pressed
// with its accelerator key; what was done before stays.
TEST_F(Engine, ClientProgramThatCannotBeWrittenEndsOnTheErrorPanel) {
  ForceFolder(std::string(kInstall) + "Korvane.Exe");  // a folder where the program should go
  form->Show();  // accelerators work only in a window that shows
  form->ShowPanel("PNLInstallGo", false);
  PostMessageA(form->Handle(), WM_SYSCHAR, 'i', 0);
  ProcessMessages();
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
  EXPECT_TRUE(Exists(GAppDataDir));  // the data folder was made before the failure
  EXPECT_FALSE(Exists(GInstallDir + "Uninstall.Exe"));
}

TEST(InstallProgress, CaptionIsTheNearestWholePerCentOfTheBar) {
  TPNLInstallInstalling panel;
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
  RemoveTree(root);
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
  GInstallDir = folder;
  form->ShowPanel("PNLInstallReady", false);
  EXPECT_EQ(form->HeaderCaption(), "Installation of Korvane P2P ready");
  EXPECT_EQ(form->PnlButtons->RightButton(1).Caption, "&Start Korvane P2P");
  EXPECT_EQ(form->PnlButtons->RightCount(), 1);
  ASSERT_TRUE(Press("&Start Korvane P2P"));
  EXPECT_TRUE(QuitPosted());
  HWND client = FindClient();
  ASSERT_NE(client, nullptr);
  EXPECT_TRUE(IsZoomed(client));
  DWORD pid = 0;
  GetWindowThreadProcessId(client, &pid);
  PostMessageA(client, WM_CLOSE, 0, 0);
  TKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  if (process) WaitForSingleObject(process.get(), 5000);
  RemoveTree("C:\\kvtest ready");
}

TEST_F(Ready, ClosesEvenWhenTheClientCannotStart) {
  GInstallDir = "C:\\kvtest nowhere\\";
  form->ShowPanel("PNLInstallReady", false);
  ASSERT_TRUE(Press("&Start Korvane P2P"));
  EXPECT_TRUE(QuitPosted());
}

}  // namespace
