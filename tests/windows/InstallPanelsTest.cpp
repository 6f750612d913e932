// The panels of the installation road that gather the user's answers, in the real main window.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "panels/PNL_InstallChooseConnection.h"
#include "panels/PNL_InstallChooseDir.h"
#include "panels/PNL_InstallChooseDownloadDir.h"
#include "panels/PNL_InstallGo.h"
#include "panels/PNL_InstallToolbar.h"
#include "lib/LIB_Text.h"
#include "lib/win/ShellHelpers.h"
#include "lib/win/WinText.h"
#include "tests/windows/DriveKinds.h"
#include "tests/windows/ScriptedShell.h"
#include "tests/windows/WizardTestUtil.h"

namespace {

const char kInvalidFolder[] =
    "Invalid folder.\rThe foldername you choose contains invalid characters or is a root folder.";

const char kCodePageMessage[] =
    "This folder's name has characters that Windows cannot store for Korvane P2P on this computer.\r"
    "Please choose a folder whose name uses only the characters of your system's language.";

// Folder names against the Western code page (1252) of the test prefix: what it cannot hold
// is refused, what it can is taken.
const struct {
  const char* Folder;
  bool Fits;
} kScriptFolders[] = {
    {"C:\\kvtest_\xE8\xA1\xA8", false},                                            // 表
    {"C:\\kvtest_\xD0\x9F\xD0\xBE\xD0\xBB\xD1\x8C\xD0\xB7\xD0\xBE\xD0\xB2\xD0\xB0\xD1\x82\xD0\xB5\xD0\xBB\xD1\x8C",
     false},                                                                             // Пользователь
    {"C:\\kvtest_Caf\xC3\xA9", true},                                                 // Café
};

// Folders the rule refuses, with the message that says why. None of them leaves a folder behind:
// C:\kvtest_bad is not made.
const std::string kDevice =
    "Invalid folder.\rThis folder has a part named as a device (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9).";
const std::string kDotOrBlank = "Invalid folder.\rThis folder has a part that ends with a dot or a blank.";
const std::string kNotOnADrive =
    "Invalid folder.\rThis folder is a network or \\\\?\\ path, not a folder on a drive of this computer.";
const struct {
  std::string Folder, Message;
} kRefusedFolders[] = {
    {"", kInvalidFolder},
    {"C:\\", kInvalidFolder},
    {"C:\\a*b", kInvalidFolder},
    {"C:\\a?b", kInvalidFolder},
    {"C:\\kvtest_bad\\..\\..", kInvalidFolder},  // a drive root once made a full path
    {"C:\\kvtest_bad\\con\\Korvane", kDevice},
    {"C:\\kvtest_bad\\Nul.txt", kDevice},
    {"C:\\kvtest_bad\\Trail. \\Korvane", kDotOrBlank},
    {"C:\\kvtest_bad\\Korvane.", kDotOrBlank},
    {"C:\\kvtest_bad\\" + std::string(259, 'k'),
     "Invalid folder.\rThis folder is too long: the files put into it need folders of at most 239 characters."},
    {"\\\\server\\share\\Korvane", kNotOnADrive},
    {"\\\\?\\C:\\kvtest_bad\\Korvane", kNotOnADrive},
};

bool Exists(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ProgramFiles() {
  char buf[MAX_PATH];
  EXPECT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, buf)));
  return buf;
}

// A folder of the test's own under C:\, gone again afterwards.
struct TScratchFolder {
  explicit TScratchFolder(std::string path) : Path(std::move(path)) { CreateDirectoryA(Path.c_str(), nullptr); }
  ~TScratchFolder() {
    for (const std::string& f : Files) DeleteFileA((Path + "\\" + f).c_str());
    RemoveDirectoryA(Path.c_str());
  }
  void AddFile(const std::string& name) {
    Files.push_back(name);
    CloseHandle(CreateFileA((Path + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  }
  std::string Path;
  std::vector<std::string> Files;
};

template <class TPanel>
class RoadPanel : public TWizardTest {
 protected:
  TPanel& Show(TPanelId id) {
    form->ShowPanel(id, false);
    auto* p = dynamic_cast<TPanel*>(form->ActivePanel());
    EXPECT_NE(p, nullptr);
    return *p;
  }
  void Type(HWND edit, const std::string& text) { SetTextOf(edit, text); }
};

using ChooseDir = RoadPanel<TPnlInstallChooseDir>;

TEST_F(ChooseDir, FirstShowProposesProgramFilesAndSelectsItsExistingParent) {
  TPnlInstallChooseDir& p = Show(TPanelId::InstallChooseDir);
  EXPECT_EQ(form->HeaderCaption(), "Choose installation folder");
  EXPECT_EQ(Text(p.Edit1), ProgramFiles() + "\\Korvane P2P");
  EXPECT_EQ(form->State.InstallDir, ProgramFiles() + "\\Korvane P2P");
  ASSERT_TRUE(p.FolderTree);
  const bool leftOver = GetFileAttributesA(form->State.InstallDir.c_str()) != INVALID_FILE_ATTRIBUTES;
  EXPECT_EQ(LowerCase(p.FolderTree->Path()), LowerCase(leftOver ? form->State.InstallDir : ProgramFiles()));
  EXPECT_EQ(Text(p.StaticText1).substr(0, 38), "The installation folder is the folder\r");
}

TEST_F(ChooseDir, NextStoresTheFolderWithBackslashAsInstallAndDataFolder) {
  StandIn(TPanelId::InstallChooseDownloadDir, "PNLInstallChooseDownloadDir");
  TPnlInstallChooseDir& p = Show(TPanelId::InstallChooseDir);
  Type(p.Edit1, "   D:\\Apps\\Korvane P2P");  // leading blanks go before the check
  ASSERT_TRUE(Press("&Next"));
  EXPECT_EQ(ActiveName(), "PNLInstallChooseDownloadDir");
  EXPECT_EQ(form->State.InstallDir, "D:\\Apps\\Korvane P2P\\");
  EXPECT_EQ(form->State.DataDir, "D:\\Apps\\Korvane P2P\\");
  EXPECT_EQ(Text(p.Edit1), "D:\\Apps\\Korvane P2P");
}

TEST_F(ChooseDir, RefusedFoldersStayWithTheMessage) {
  TPnlInstallChooseDir& p = Show(TPanelId::InstallChooseDir);
  for (const auto& c : kRefusedFolders) {
    SCOPED_TRACE(c.Folder);
    Type(p.Edit1, c.Folder);
    EXPECT_EQ(AnswerMessageBox([&] { Press("&Next"); }), c.Message);
    EXPECT_EQ(ActiveName(), "PnlInstallChooseDir");
    EXPECT_EQ(form->State.InstallDir, c.Folder);  // stored before the check
    EXPECT_FALSE(Exists("C:\\kvtest_bad"));
  }
}

// Dots are resolved before the folder is taken: the folder stored is the one that will be used.
TEST_F(ChooseDir, FolderWithDotsIsTakenAsItsFullPath) {
  StandIn(TPanelId::InstallChooseDownloadDir, "PNLInstallChooseDownloadDir");
  TPnlInstallChooseDir& p = Show(TPanelId::InstallChooseDir);
  Type(p.Edit1, "C:\\Program Files\\..\\.\\Escaped");
  ASSERT_TRUE(Press("&Next"));
  EXPECT_EQ(ActiveName(), "PNLInstallChooseDownloadDir");
  EXPECT_EQ(form->State.InstallDir, "C:\\Escaped\\");
  EXPECT_EQ(form->State.DataDir, "C:\\Escaped\\");
}

TEST_F(ChooseDir, FolderTheCodePageCannotHoldIsRefusedAndNothingWritten) {
  ASSERT_EQ(GetACP(), 1252u) << "the cases are those of a Western system";
  StandIn(TPanelId::InstallChooseDownloadDir, "PNLInstallChooseDownloadDir");
  for (const auto& c : kScriptFolders) {
    SCOPED_TRACE(c.Folder);
    TPnlInstallChooseDir& p = Show(TPanelId::InstallChooseDir);
    Type(p.Edit1, c.Folder);
    EXPECT_EQ(AnswerMessageBox([&] { Press("&Next"); }), c.Fits ? "(no message box)" : kCodePageMessage);
    EXPECT_EQ(ActiveName(), c.Fits ? "PNLInstallChooseDownloadDir" : "PnlInstallChooseDir");
    EXPECT_EQ(Text(p.Edit1), c.Folder);  // the box keeps the name whole
    if (c.Fits) EXPECT_EQ(form->State.InstallDir, std::string(c.Folder) + "\\");
    EXPECT_FALSE(Exists(c.Folder));
  }
}

TEST_F(ChooseDir, FolderWithTheClientInAnyCaseIsRefused) {
  TScratchFolder folder("C:\\kvtest_existing");
  folder.AddFile("KORVANE.EXE");
  TPnlInstallChooseDir& p = Show(TPanelId::InstallChooseDir);
  Type(p.Edit1, folder.Path);
  EXPECT_EQ(AnswerMessageBox([&] { Press("&Next"); }),
            "Cannot install Korvane P2P in C:\\kvtest_existing\\\rbecause it already exists in this folder.\r"
            "In case you want to overwrite a previous installation delete or unistall it first,\r"
            "otherwise choose another folder.");
  EXPECT_EQ(ActiveName(), "PnlInstallChooseDir");
}

TEST_F(ChooseDir, HiddenCodeShowsTheBuildTagWhichIsNoFolder) {
  TPnlInstallChooseDir& p = Show(TPanelId::InstallChooseDir);
  Type(p.Edit1, " %~~+71-45QQz ");
  p.Edit1Exit();
  EXPECT_EQ(Text(p.Edit1), "03");
  EXPECT_EQ(AnswerMessageBox([&] { Press("&Next"); }), kInvalidFolder);
  // Almost the code is just a folder text.
  Type(p.Edit1, "%~~+71-45QQZ");
  p.Edit1Exit();
  EXPECT_EQ(Text(p.Edit1), "%~~+71-45QQZ");
}

TEST_F(ChooseDir, PickingAFolderProposesItsSubFolderNearTheRoot) {
  TPnlInstallChooseDir& p = Show(TPanelId::InstallChooseDir);
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\", "C:\\Korvane P2P"},
      {"C:\\windows", "C:\\windows\\Korvane P2P"},
      {"C:\\windows\\system32", "C:\\windows\\system32"},
  };
  for (auto [picked, proposal] : cases) {
    p.FolderTree->SetPath(picked);  // fires the change handler as a click does
    EXPECT_EQ(Text(p.Edit1), proposal) << picked;
  }
}

TEST_F(ChooseDir, EnterAndLeavingSelectTheTypedFolderOrItsParentAndKeepTheText) {
  TPnlInstallChooseDir& p = Show(TPanelId::InstallChooseDir);
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\windows\\system32", "c:\\windows\\system32"},
      {"C:\\windows\\nothing here\\", "c:\\windows"},
      {"C:\\windows\\nothing here", "c:\\windows"},
  };
  for (auto [typed, selected] : cases) {
    Type(p.Edit1, typed);
    SendMessageA(p.Edit1, WM_CHAR, '\r', 0);
    EXPECT_EQ(Text(p.Edit1), typed);
    EXPECT_EQ(LowerCase(p.FolderTree->Path()), selected) << typed;
  }
  // A path that leads nowhere leaves the selection alone.
  Type(p.Edit1, "Q:\\none\\at\\all");
  p.Edit1Exit();
  EXPECT_EQ(LowerCase(p.FolderTree->Path()), "c:\\windows");
  EXPECT_EQ(Text(p.Edit1), "Q:\\none\\at\\all");
}

// Under ctest the prefix holds a drive of every kind (DriveKinds.h); by hand only Wine's own.
TEST_F(ChooseDir, TreeListsFixedDrivesOnly) {
  if (DriveKindsSetUp())
    for (const TTestDriveKind& d : KDriveKinds) ASSERT_EQ(GetDriveTypeA(d.Root().c_str()), d.Kind) << d.Name;
  TPnlInstallChooseDir& p = Show(TPanelId::InstallChooseDir);
  std::vector<std::string> fixed, drives;
  for (char letter = 'a'; letter <= 'z'; ++letter)
    if (const std::string root = {letter, ':', '\\'}; GetDriveTypeA(root.c_str()) == DRIVE_FIXED) fixed.push_back(root);
  for (const std::string& d : p.FolderTree->ChildPaths("")) drives.push_back(LowerCase(d));
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives, fixed);
  // A folder on a drive of another kind cannot be reached by typing it either.
  if (DriveKindsSetUp()) {
    for (const TTestDriveKind& d : KDriveKinds) {
      const std::string folder = d.Root() + "kvtest tree";
      CreateDirectoryA(folder.c_str(), nullptr);
      Type(p.Edit1, "C:\\windows");
      p.Edit1Exit();
      Type(p.Edit1, folder);
      p.Edit1Exit();
      EXPECT_EQ(LowerCase(p.FolderTree->Path()), LowerCase(d.Kind == DRIVE_FIXED ? folder : "C:\\windows")) << d.Name;
      RemoveDirectoryA(folder.c_str());
    }
  }
  bool canAdd = true;
  for (const char* refused : {"A:\\", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", ""}) {
    TFolderChoicePanel::FolderTreeAddFolder(refused, true, canAdd);
    EXPECT_FALSE(canAdd) << refused;
  }
  TFolderChoicePanel::FolderTreeAddFolder("c:\\windows", false, canAdd);
  EXPECT_FALSE(canAdd);
  TFolderChoicePanel::FolderTreeAddFolder("c:\\windows", true, canAdd);
  EXPECT_TRUE(canAdd);
}

TEST_F(ChooseDir, PreviousForgetsTheFolderAndTheNextVisitProposesAgain) {
  StandIn(TPanelId::InstallChooseDownloadDir, "PNLInstallChooseDownloadDir");
  TPnlInstallChooseDir& p = Show(TPanelId::InstallChooseDir);
  Type(p.Edit1, "C:\\Elsewhere");
  ASSERT_TRUE(Press("&Next"));
  form->ShowPanel(TPanelId::InstallChooseDir, false);
  EXPECT_EQ(Text(p.Edit1), "C:\\Elsewhere\\");  // kept while moving forward and back
  ASSERT_TRUE(Press("&Previous"));
  EXPECT_EQ(ActiveName(), "PnlInstall");
  EXPECT_EQ(form->State.InstallDir, "");
  form->ShowPanel(TPanelId::InstallChooseDir, false);
  EXPECT_EQ(Text(p.Edit1), ProgramFiles() + "\\Korvane P2P");
}

using DownloadDir = RoadPanel<TPNLInstallChooseDownloadDir>;

TEST_F(DownloadDir, ProposalIsDownloadsOnTheInstallDriveUnlessCHasOne) {
  form->State.InstallDir = "Z:\\Apps\\Korvane P2P\\";
  {
    TPNLInstallChooseDownloadDir& p = Show(TPanelId::InstallChooseDownloadDir);
    EXPECT_EQ(form->HeaderCaption(), "Choose download folder");
    EXPECT_EQ(Text(p.Edit1), "Z:\\Downloads");
  }
  TScratchFolder downloads("C:\\Downloads");
  form->State.DownloadDir.clear();
  TPNLInstallChooseDownloadDir& p = Show(TPanelId::InstallChooseDownloadDir);
  EXPECT_EQ(Text(p.Edit1), "C:\\Downloads");
  EXPECT_EQ(LowerCase(p.FolderTree->Path()), "c:\\downloads");
}

TEST_F(DownloadDir, NextAddsTheBackslashInTheBoxAndTheSharedState) {
  StandIn(TPanelId::InstallChooseConnection, "PNLInstallChooseConnection");
  form->State.InstallDir = "C:\\Program Files\\Korvane P2P\\";
  TPNLInstallChooseDownloadDir& p = Show(TPanelId::InstallChooseDownloadDir);
  Type(p.Edit1, "E:\\Shared ");
  ASSERT_TRUE(Press("&Next"));
  EXPECT_EQ(ActiveName(), "PNLInstallChooseConnection");
  EXPECT_EQ(form->State.DownloadDir, "E:\\Shared\\");
  EXPECT_EQ(Text(p.Edit1), "E:\\Shared\\");
}

TEST_F(DownloadDir, RootOrBadTextIsRefusedAndTheStoredFolderKept) {
  form->State.DownloadDir = "C:\\Before\\";
  TPNLInstallChooseDownloadDir& p = Show(TPanelId::InstallChooseDownloadDir);
  for (const auto& c : kRefusedFolders) {
    SCOPED_TRACE(c.Folder);
    Type(p.Edit1, c.Folder);
    EXPECT_EQ(AnswerMessageBox([&] { Press("&Next"); }), c.Message);
    EXPECT_EQ(ActiveName(), "PNLInstallChooseDownloadDir");
    EXPECT_EQ(form->State.DownloadDir, "C:\\Before\\");
    EXPECT_FALSE(Exists("C:\\kvtest_bad"));
  }
}

TEST_F(DownloadDir, FolderWithDotsIsTakenAsItsFullPathInTheBoxAndTheSharedState) {
  StandIn(TPanelId::InstallChooseConnection, "PNLInstallChooseConnection");
  form->State.InstallDir = "C:\\Program Files\\Korvane P2P\\";
  TPNLInstallChooseDownloadDir& p = Show(TPanelId::InstallChooseDownloadDir);
  Type(p.Edit1, "E:\\Music\\..\\Shared");
  ASSERT_TRUE(Press("&Next"));
  EXPECT_EQ(ActiveName(), "PNLInstallChooseConnection");
  EXPECT_EQ(form->State.DownloadDir, "E:\\Shared\\");
  EXPECT_EQ(Text(p.Edit1), "E:\\Shared\\");
}

TEST_F(DownloadDir, FolderTheCodePageCannotHoldIsRefusedAndTheStoredFolderKept) {
  ASSERT_EQ(GetACP(), 1252u) << "the cases are those of a Western system";
  StandIn(TPanelId::InstallChooseConnection, "PNLInstallChooseConnection");
  form->State.InstallDir = "C:\\Program Files\\Korvane P2P\\";
  for (const auto& c : kScriptFolders) {
    SCOPED_TRACE(c.Folder);
    form->State.DownloadDir = "C:\\Before\\";
    TPNLInstallChooseDownloadDir& p = Show(TPanelId::InstallChooseDownloadDir);
    Type(p.Edit1, c.Folder);
    EXPECT_EQ(AnswerMessageBox([&] { Press("&Next"); }), c.Fits ? "(no message box)" : kCodePageMessage);
    EXPECT_EQ(ActiveName(), c.Fits ? "PNLInstallChooseConnection" : "PNLInstallChooseDownloadDir");
    EXPECT_EQ(form->State.DownloadDir, c.Fits ? std::string(c.Folder) + "\\" : "C:\\Before\\");
    EXPECT_FALSE(Exists(c.Folder));
  }
}

TEST_F(DownloadDir, PickingADriveGivesItsDownloadsFolderOthersTakenAsTheyAre) {
  form->State.InstallDir = "C:\\Program Files\\Korvane P2P\\";
  TPNLInstallChooseDownloadDir& p = Show(TPanelId::InstallChooseDownloadDir);
  p.FolderTree->SetPath("C:\\");
  EXPECT_EQ(Text(p.Edit1), "C:\\Downloads");
  p.FolderTree->SetPath("C:\\windows");
  EXPECT_EQ(Text(p.Edit1), "C:\\windows");
}

TEST_F(DownloadDir, PreviousClearsSoTheProposalIsMadeAgain) {
  form->State.InstallDir = "Z:\\K\\";
  form->State.DownloadDir = "Z:\\Mine\\";
  TPNLInstallChooseDownloadDir& p = Show(TPanelId::InstallChooseDownloadDir);
  EXPECT_EQ(Text(p.Edit1), "Z:\\Mine\\");
  ASSERT_TRUE(Press("&Previous"));
  EXPECT_EQ(ActiveName(), "PnlInstallChooseDir");
  EXPECT_EQ(form->State.DownloadDir, "");
  form->State.InstallDir = "Z:\\K\\";
  form->ShowPanel(TPanelId::InstallChooseDownloadDir, false);
  EXPECT_EQ(Text(p.Edit1), "Z:\\Downloads");
}

using Connection = RoadPanel<TPNLInstallChooseConnection>;

TEST_F(Connection, NineKindsDontKnowFirstAndTheChoiceComesBack) {
  TPNLInstallChooseConnection& p = Show(TPanelId::InstallChooseConnection);
  EXPECT_EQ(form->HeaderCaption(), "Select your internet-connection");
  EXPECT_EQ(Text(p.rgConnection), "Internet-connection");
  const char* captions[] = {"Dial-up &Modem < 56KBS", "Dial-up M&odem 56K", "&ISDN", "&ADSL / DSL", "&Cable",
                            "&T1", "T&2", "ADSL 2", "I &don't know"};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(Text(p.Items[i]), captions[i]);
  EXPECT_EQ(p.ItemIndex(), 8);
  EXPECT_EQ(GetFocus(), p.Items[8]);
  ASSERT_TRUE(Press("&Next"));
  EXPECT_EQ(form->State.ConnectionType, 8);
  EXPECT_EQ(ActiveName(), "PNLInstallToolbar");

  form->ShowPanel(TPanelId::InstallChooseConnection, false);
  SendMessageA(p.Items[2], BM_CLICK, 0, 0);
  ASSERT_TRUE(Press("&Next"));
  EXPECT_EQ(form->State.ConnectionType, 2);
  ASSERT_TRUE(Press("&Previous"));
  EXPECT_EQ(ActiveName(), "PNLInstallChooseConnection");
  EXPECT_EQ(p.ItemIndex(), 2);
  EXPECT_EQ(GetFocus(), p.Items[2]);  // the ticked item has the focus, not the first
  EXPECT_EQ(GetNextDlgTabItem(p.Handle(), nullptr, FALSE), p.Items[2]);
  // A choice left with Previous is forgotten.
  SendMessageA(p.Items[4], BM_CLICK, 0, 0);
  ASSERT_TRUE(Press("&Previous"));
  form->ShowPanel(TPanelId::InstallChooseConnection, false);
  EXPECT_EQ(p.ItemIndex(), 2);
  EXPECT_EQ(form->State.ConnectionType, 2);
}

class Toolbar : public RoadPanel<TPNLInstallToolbar> {
 protected:
  TScriptedShell shell;  // what the desktop shell is asked to open; nothing is opened
};

TEST_F(Toolbar, TickedFirstTheStoredChoiceComesBack) {
  TPNLInstallToolbar& p = Show(TPanelId::InstallToolbar);
  EXPECT_EQ(form->HeaderCaption(), "Integrate the Korvane Toolbar in your browser");
  EXPECT_TRUE(Checked(p.CheckBox1));
  SendMessageA(p.CheckBox1, BM_CLICK, 0, 0);
  ASSERT_TRUE(Press("&Next"));
  EXPECT_EQ(ActiveName(), "PNLInstallGo");
  EXPECT_FALSE(form->State.InstallToolbar);
  ASSERT_TRUE(Press("&Previous"));
  EXPECT_EQ(ActiveName(), "PNLInstallToolbar");
  EXPECT_FALSE(Checked(p.CheckBox1));
  // Ticked again but left backwards: not stored.
  SendMessageA(p.CheckBox1, BM_CLICK, 0, 0);
  ASSERT_TRUE(Press("&Previous"));
  EXPECT_FALSE(form->State.InstallToolbar);
}

TEST_F(Toolbar, LinkOpensTheLicencePageAndStays) {
  TPNLInstallToolbar& p = Show(TPanelId::InstallToolbar);
  EXPECT_EQ(Text(p.Label3), "If you select to install the Korvane toolbar by clicking next, you agree to abide by the ");
  EXPECT_EQ(Text(p.Label4), "license agreement");
  SendMessageA(p.Handle(), WM_COMMAND, MAKEWPARAM(0, STN_CLICKED), reinterpret_cast<LPARAM>(p.Label4));
  // The browser fetches the page from the network: the desktop shell starts it with the user's
  // own rights, never the installer with its own.
  const std::vector<std::string>& opened = TScriptedShell::Asked;
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_TRUE(opened[0].starts_with("http://")) << opened[0];
  EXPECT_TRUE(opened[0].ends_with("/eula/|||" + std::to_string(SW_SHOWNORMAL))) << opened[0];
  EXPECT_EQ(ActiveName(), "PNLInstallToolbar");
  // The link continues the sentence right where Label3 ends.
  RECT r3, r4;
  GetWindowRect(p.Label3, &r3);
  GetWindowRect(p.Label4, &r4);
  EXPECT_LE(std::abs(r4.left - r3.right), 2);
}

using Go = RoadPanel<TPNLInstallGo>;

TEST_F(Go, SummaryOfTheAnswers) {
  form->State.InstallDir = "C:\\Program Files\\Korvane P2P\\";
  form->State.DownloadDir = "C:\\Downloads\\";
  form->State.DesktopShortcut = true;
  TPNLInstallGo& p = Show(TPanelId::InstallGo);
  EXPECT_EQ(form->HeaderCaption(), "Ready to install");
  EXPECT_EQ(Text(p.Label6), "Installation folder = C:\\Program Files\\Korvane P2P\\");
  EXPECT_EQ(Text(p.Label7), "Download folder = C:\\Downloads\\");
  EXPECT_EQ(Text(p.Label9), "Create shortcut on desktop = Yes");
  form->State.DesktopShortcut = false;
  ASSERT_TRUE(Press("&Previous"));
  EXPECT_EQ(ActiveName(), "PNLInstallToolbar");
  ASSERT_TRUE(Press("&Next"));
  EXPECT_EQ(Text(p.Label9), "Create shortcut on desktop = No");
  EXPECT_EQ(form->PnlButtons->RightButton(1).Caption, "&Install Now");
  EXPECT_EQ(form->PnlButtons->RightButton(1).Width, 120);
}

}  // namespace
