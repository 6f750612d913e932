// The carried uninstaller and toolbar stand-in, written out by their payload writers and run
// as the installation leaves them.
#include <gtest/gtest.h>
#include <windows.h>

#include <shlobj.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/windows/TestFiles.h"
#include "lib/LIB_InstallPaths.h"
#include "payload/GB_KORVANE_DAT.h"
#include "payload/win/GB_KorvaneP2P_exe.h"
#include "payload/win/GB_Uninstall_exe.h"
#include "payload/win/GB_korvane_toolbar_exe.h"

namespace {

void Put(const std::string& path, const std::string& text = "x") {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
  DWORD done;
  WriteFile(h, text.data(), DWORD(text.size()), &done, nullptr);
  CloseHandle(h);
}


HANDLE StartProgram(std::string cmd) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

DWORD ExitCodeOf(HANDLE process) {
  DWORD code = 9999;
  if (!process) return code;
  WaitForSingleObject(process, 60000);
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return code;
}

DWORD RunProgram(const std::string& cmd) { return ExitCodeOf(StartProgram(cmd)); }

// Another process's message box, once it shows.
HWND Box(const char* caption) {
  for (int i = 0; i < 600; ++i, Sleep(50))
    if (HWND box = FindWindowA(nullptr, caption)) return box;
  return nullptr;
}

// Presses a button of the box and waits for it to go, so that the next box looked for is
// not this one.
bool Press(HWND box, int button) {
  if (!box || !PostMessageA(box, WM_COMMAND, button, 0)) return false;
  for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(50);
  return !IsWindow(box);
}

// Waits for a message box and presses one of its buttons; `text` gets what the box says.
bool Answer(const char* caption, int button, std::string* text = nullptr) {
  HWND box = Box(caption);
  char shown[1024] = "";
  if (box) GetDlgItemTextA(box, 0xFFFF, shown, sizeof shown);
  if (text) *text = shown;
  return Press(box, button);
}


bool KeyExists() {
  HKEY k;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, KUninstallKey, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

std::string ShortPath(const std::string& path) {
  char buf[MAX_PATH] = "";
  DWORD n = GetShortPathNameA(path.c_str(), buf, sizeof buf);
  return n > 0 && n < sizeof buf ? buf : "";
}

// Wine makes neither junctions nor Windows symbolic links (FSCTL_SET_REPARSE_POINT is refused,
// CreateSymbolicLinkW makes nothing), but it shows a Unix symbolic link to a folder as a
// reparse point, and it starts Unix programs: links are made and removed from the Unix side,
// `program` taking `option` and the Unix names of `paths`. Wine does not tell when a Unix
// program ends, so the caller waits for its effect.
bool RunUnix(const std::string& program, const std::string& option, const std::vector<std::string>& paths) {
  using TUnixName = char*(CDECL*)(LPCWSTR);
  auto unixName = reinterpret_cast<TUnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
  if (!unixName) return false;
  std::string cmd = program + " " + option;
  for (const std::string& path : paths) {
    std::wstring w(path.begin(), path.end());
    char* u = unixName(w.c_str());
    if (!u) return false;
    cmd += std::string(" \"") + u + "\"";
    HeapFree(GetProcessHeap(), 0, u);
  }
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const std::string exe = "Z:" + program;
  // A Unix program is no Windows process: Wine gives no handles for it, and Wine 8 leaves in `pi`
  // whatever its own stack held there. Closing those would close handles of this process (its
  // desktop's, and FindWindow finds nothing from then on).
  return CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
}

bool IsLink(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool MakeFolderLink(const std::string& link, const std::string& target) {
  if (!RunUnix("/bin/ln", "-s", {target, link})) return false;
  for (int i = 0; i < 100 && !IsLink(link); ++i) Sleep(50);
  return IsLink(link);
}

// Only the link goes; through Windows, Wine would remove the folder it leads to.
bool RemoveFolderLink(const std::string& link) {
  if (!RunUnix("/bin/rm", "-f", {link})) return false;
  for (int i = 0; i < 100 && Exists(link); ++i) Sleep(50);
  return !Exists(link);
}

// An installation as the engine leaves it: program folder with the toolbar's installer, the
// per-user data folder, the uninstall key, the Start-menu group and the desktop link, and the
// removal list. The uninstaller gets a temporary folder of its own.
class Uninstaller : public testing::Test {
 protected:
  void SetUp() override {
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    base = std::string(tmp) + "kvuninst" + std::to_string(GetCurrentProcessId()) + "\\";
    inst = base + "Program\\";
    temp = base + "Temp\\";
    decoy = base + "Decoy\\";
    data = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Korvane P2P\\";
    group = ShellFolder(CSIDL_PROGRAMS) + "\\Korvane P2P";
    desktopLink = ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Korvane P2P.Lnk";
    RemoveTree(data.substr(0, data.size() - 1));
    for (const std::string& d : {base, inst, temp, data, group}) CreateDirectoryA(d.c_str(), nullptr);
    WriteUninstaller(inst + "Uninstall.Exe");
    for (const char* f : {"Korvane.Exe", "KVInst.dat", "Korvane_toolbar.exe"}) Put(inst + f);
    for (const char* f : KDataFiles) Put(data + f);
    for (const char* f : {"Korvane P2P.Lnk", "Korvane P2P On the Web.Lnk", "Korvane P2P Help.Lnk",
                          "Korvane P2P Uninstall.Lnk"})
      Put(group + "\\" + f);
    Put(desktopLink);
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, KUninstallKey, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr), 0);
    RegSetValueExA(k, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>("Korvane P2P"), 12);
    RegCloseKey(k);
    list = RemovalList(inst, data, data, true);
    for (auto& [name, old] : environment) {
      char value[MAX_PATH] = "";
      if (GetEnvironmentVariableA(name, value, sizeof value)) old = value;
      SetEnvironmentVariableA(name, temp.c_str());
    }
  }
  void TearDown() override {
    for (const auto& [name, old] : environment) SetEnvironmentVariableA(name, old ? old->c_str() : nullptr);
    for (const std::string& link : links) EXPECT_TRUE(RemoveFolderLink(link)) << link;
    for (const char* f : {"Korvane P2P.Lnk", "Korvane P2P On the Web.Lnk", "Korvane P2P Help.Lnk",
                          "Korvane P2P Uninstall.Lnk"})
      DeleteFileA((group + "\\" + f).c_str());
    DeleteFileA(desktopLink.c_str());
    RemoveDirectoryA(group.c_str());
    RemoveTree(data.substr(0, data.size() - 1));
    RemoveTree(base.substr(0, base.size() - 1));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, KUninstallKey);
  }

  void WriteList() {
    std::string text;
    for (const std::string& line : list) text += line + "\r\n";
    Put(inst + "UnInstall.dat", text);
  }
  HANDLE StartUninstall(const char* args) {
    WriteList();
    return StartProgram("\"" + inst + "Uninstall.Exe\"" + args);
  }
  DWORD Uninstall() { return ExitCodeOf(StartUninstall(" /quiet")); }
  // The copy in the temporary folder removes the program and the folders once the
  // uninstaller has ended, and goes itself when it ends.
  void WaitForFinish() {
    for (int i = 0; i < 200 && (Exists(inst + "Uninstall.Exe") || !Listing(temp).empty()); ++i) Sleep(50);
  }
  static std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
      if (std::string(fd.cFileName) != "." && std::string(fd.cFileName) != "..") names.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
  }
  // Nothing of the installation is gone.
  void ExpectUntouched() {
    for (const char* f : {"Korvane.Exe", "KVInst.dat", "Korvane_toolbar.exe", "Uninstall.Exe", "UnInstall.dat"})
      EXPECT_TRUE(Exists(inst + f)) << f;
    for (const char* f : {"Korvane.dat", "a.ZCF", "e.DAT"}) EXPECT_TRUE(Exists(data + f)) << f;
    EXPECT_TRUE(Exists(group + "\\Korvane P2P.Lnk"));
    EXPECT_TRUE(Exists(desktopLink));
    EXPECT_TRUE(KeyExists());
  }
  void ExpectAllGone() {
    WaitForFinish();
    for (const std::string& gone : {inst, data, group, desktopLink}) EXPECT_FALSE(Exists(gone)) << gone;
    EXPECT_FALSE(KeyExists());
    EXPECT_EQ(Listing(temp), std::vector<std::string>{}) << "the temporary copy and its folder";
  }

  // Makes `link` lead to `target`, for TearDown to remove.
  void Link(const std::string& link, const std::string& target) {
    ASSERT_TRUE(MakeFolderLink(link, target)) << link;
    links.push_back(link);
  }
  // The per-user data folder becomes a link to a folder that holds the same names, the real
  // one moved aside.
  void DataFolderToLink() {
    const std::string folder = data.substr(0, data.size() - 1);
    ASSERT_TRUE(CreateDirectoryA(decoy.c_str(), nullptr));
    for (const char* f : KDataFiles) Put(decoy + f);
    ASSERT_TRUE(MoveFileA(folder.c_str(), (base + "Data").c_str()));
    Link(folder, decoy.substr(0, decoy.size() - 1));
  }
  void ExpectDecoyAndDataKept() {
    for (const char* f : KDataFiles) {
      EXPECT_TRUE(Exists(decoy + f)) << f;
      EXPECT_TRUE(Exists(base + "Data\\" + f)) << f;
    }
  }

  static constexpr const char* KDataFiles[] = {"Korvane.dat", "a.ZCF", "b.ZCV", "c.ZTH", "d.GET", "e.DAT"};
  std::string base, inst, temp, data, group, desktopLink, decoy;
  std::vector<std::string> list, links;
  std::pair<const char*, std::optional<std::string>> environment[2] = {{"TMP", {}}, {"TEMP", {}}};
};

TEST_F(Uninstaller, RemovesTheWholeInstallation) {
  ASSERT_EQ(Uninstall(), 0u);
  ExpectAllGone();
}

// Without a local application data folder the installation keeps its data in the install folder.
TEST_F(Uninstaller, RemovesAnInstallationWithItsDataInTheInstallFolder) {
  for (const char* f : {"Korvane.dat", "a.ZCF", "b.ZCV", "c.ZTH", "d.GET", "e.DAT"}) {
    ASSERT_TRUE(MoveFileA((data + f).c_str(), (inst + f).c_str())) << f;
  }
  ASSERT_TRUE(RemoveDirectoryA(data.c_str()));
  list = RemovalList(inst, inst, inst, true);
  ASSERT_EQ(Uninstall(), 0u);
  ExpectAllGone();
}

TEST_F(Uninstaller, LeavesTheUsersOwnFilesAndTheirFolders) {
  Put(inst + "MyNotes.txt");
  Put(data + "notes.data");
  ASSERT_EQ(Uninstall(), 0u);
  WaitForFinish();
  EXPECT_TRUE(Exists(inst + "MyNotes.txt"));
  EXPECT_TRUE(Exists(data + "notes.data"));
  for (const char* f : {"Korvane.Exe", "KVInst.dat", "Korvane_toolbar.exe", "Uninstall.Exe", "UnInstall.dat"})
    EXPECT_FALSE(Exists(inst + f)) << f;
  for (const char* f : {"Korvane.dat", "a.ZCF", "b.ZCV", "c.ZTH", "d.GET", "e.DAT"}) EXPECT_FALSE(Exists(data + f)) << f;
  EXPECT_FALSE(Exists(group));
  EXPECT_FALSE(KeyExists());
}

TEST_F(Uninstaller, AsksFirst) {
  HANDLE run = StartUninstall("");
  ASSERT_TRUE(Answer("Korvane P2P Uninstall", IDNO));
  EXPECT_EQ(ExitCodeOf(run), 1u);
  ExpectUntouched();

  run = StartUninstall("");
  ASSERT_TRUE(Answer("Korvane P2P Uninstall", IDYES));
  ASSERT_TRUE(Answer("Uninstall", IDOK));  // the closing message
  EXPECT_EQ(ExitCodeOf(run), 0u);
  ExpectAllGone();
}

// One line that the installation would not write refuses the whole list: nothing at all is
// removed, neither of the installation nor of what the line names.
TEST_F(Uninstaller, RefusesHostileLists) {
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, sizeof windows);
  const std::string drive = inst.substr(0, 3), sibling = base + "Sibling\\";
  const std::string programFiles = ShellFolder(CSIDL_PROGRAM_FILES), programData = ShellFolder(CSIDL_COMMON_APPDATA);
  ASSERT_NE(ShortPath(programFiles), programFiles);
  ASSERT_NE(ShortPath(programData), programData);
  ASSERT_TRUE(CreateDirectoryA(sibling.c_str(), nullptr));
  const std::vector<std::string> victims = {sibling + "Korvane.Exe", sibling + "e.DAT", sibling + "thesis.docx",
                                            ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\thesis.docx"};
  for (const std::string& v : victims) Put(v);
  const std::vector<std::string> hostile = {
      "<E" + drive + ">",
      "<P" + drive + "*.DAT>",
      "<E" + std::string(windows) + "\\>",
      "<P" + std::string(windows) + "\\system32\\*.dll>",
      "<P" + std::string(windows) + ".\\*.dll>",
      "<F" + inst + "..\\..\\victim.txt>",
      "<P" + drive + "Program Files\\*.*>",
      "<RSoftware\\Microsoft>",
      "<Xsomething>",
      "Korvane.Exe",
      "<S..>",
      "<P" + sibling + "*>",
      "<P" + sibling + "*.DAT>",
      "<F" + sibling + "Korvane.Exe>",
      "<E" + sibling + ">",
      "<Tthesis.docx>",
      "<SStartup>",
      "<E" + ShortPath(programFiles) + "\\>",
      "<P" + ShortPath(programData) + "\\*.DAT>",
      "<P" + inst + "*.*>",
      "<F" + data + "thesis.docx>",
  };
  for (const std::string& line : hostile) {
    SCOPED_TRACE(line);
    std::vector<std::string> good = list;
    list.insert(list.begin() + 3, line);
    EXPECT_EQ(Uninstall(), 2u);
    list = good;
    ExpectUntouched();
    for (const std::string& v : victims) EXPECT_TRUE(Exists(v)) << v;
  }
  for (const std::string& v : victims) DeleteFileA(v.c_str());
}

TEST_F(Uninstaller, RefusesAnInstallFolderReachedThroughALink) {
  const std::string via = base + "Via\\";
  ASSERT_NO_FATAL_FAILURE(Link(base + "Via", base + "Program"));
  list = RemovalList(via, data, data, true);
  WriteList();
  EXPECT_EQ(RunProgram("\"" + via + "Uninstall.Exe\" /quiet"), 2u);
  ExpectUntouched();
}

TEST_F(Uninstaller, RefusesADataFolderThatIsALink) {
  ASSERT_NO_FATAL_FAILURE(DataFolderToLink());
  EXPECT_EQ(Uninstall(), 2u);
  ExpectUntouched();
  ExpectDecoyAndDataKept();
}

// The folder becomes a link after the list was read, while the question waits: the files are
// looked at again as they are deleted, and those that lie elsewhere now are left alone. The
// key and the list stay for another run.
TEST_F(Uninstaller, FollowsNoLinkMadeAfterTheListWasRead) {
  HANDLE run = StartUninstall("");
  HWND question = Box("Korvane P2P Uninstall");
  ASSERT_TRUE(question);
  DataFolderToLink();
  // Answered either way, so that no uninstaller is left waiting.
  ASSERT_TRUE(Press(question, HasFatalFailure() ? IDNO : IDYES));
  ASSERT_FALSE(HasFatalFailure());
  std::string said;
  ASSERT_TRUE(Answer("Uninstall", IDOK, &said));
  EXPECT_NE(said.find(data + "e.DAT"), std::string::npos) << said;
  EXPECT_EQ(ExitCodeOf(run), 2u);
  ExpectDecoyAndDataKept();
  EXPECT_TRUE(KeyExists());
  EXPECT_TRUE(Exists(inst + "UnInstall.dat"));
  EXPECT_TRUE(Exists(inst + "Uninstall.Exe"));
}

// A file that cannot be removed keeps the key and the list, so that a second run, with the
// list the first one left, finishes the work.
TEST_F(Uninstaller, ASecondRunFinishesWhatTheFirstCouldNot) {
  ASSERT_TRUE(SetFileAttributesA((data + "e.DAT").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(Uninstall(), 2u);
  EXPECT_TRUE(Exists(data + "e.DAT"));
  EXPECT_TRUE(KeyExists());
  EXPECT_TRUE(Exists(inst + "UnInstall.dat"));
  EXPECT_TRUE(Exists(inst + "Uninstall.Exe"));
  ASSERT_TRUE(SetFileAttributesA((data + "e.DAT").c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(RunProgram("\"" + inst + "Uninstall.Exe\" /quiet"), 0u);
  ExpectAllGone();
}

// The running client holds its program file: nothing is removed while it runs, and all of it
// once it has been closed.
TEST_F(Uninstaller, WaitsForTheClientToBeClosed) {
  WriteClientProgram(inst + "Korvane.Exe");
  HANDLE client = StartProgram("\"" + inst + "Korvane.Exe\"");
  ASSERT_TRUE(client);
  // A failure below must not leave the client running, holding its folder.
  std::unique_ptr<void, void (*)(HANDLE)> ended(client, [](HANDLE process) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  });
  HWND window = nullptr;
  for (int i = 0; i < 400 && !window; ++i, Sleep(50)) window = FindWindowA("KorvaneP2P", "Korvane P2P");
  ASSERT_TRUE(window);

  EXPECT_EQ(Uninstall(), 2u);
  ExpectUntouched();

  HANDLE run = StartUninstall("");
  ASSERT_TRUE(Answer("Korvane P2P Uninstall", IDYES));
  std::string said;
  ASSERT_TRUE(Answer("Uninstall", IDCANCEL, &said));
  EXPECT_EQ(said, "Korvane P2P is still running. Close it and try again.");
  EXPECT_EQ(ExitCodeOf(run), 1u);
  ExpectUntouched();

  run = StartUninstall("");
  ASSERT_TRUE(Answer("Korvane P2P Uninstall", IDYES));
  HWND retry = Box("Uninstall");
  ASSERT_TRUE(retry);
  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(client, 60000), WAIT_OBJECT_0);
  ASSERT_TRUE(Press(retry, IDRETRY));
  ASSERT_TRUE(Answer("Uninstall", IDOK, &said));
  EXPECT_EQ(said, "Korvane P2P was removed from your computer.");
  EXPECT_EQ(ExitCodeOf(run), 0u);
  ExpectAllGone();
}

// The client shows the data file beside it (the user's own one is moved aside meanwhile).
TEST(Client, ShowsItsDataFile) {
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  std::string dir = std::string(tmp) + "kvclient" + std::to_string(GetCurrentProcessId()) + "\\";
  std::string beside = dir + "KVInst.Dat", user = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Korvane P2P\\Korvane.Dat";
  bool moved = MoveFileA(user.c_str(), (user + ".aside").c_str());
  CreateDirectoryA(dir.c_str(), nullptr);
  WriteClientProgram(dir + "Korvane.Exe");

  struct {
    const char* What;
    void (*Prepare)(const std::string& file);
    std::vector<std::string> Shown;
  } cases[] = {
      {"written by the installation",
       [](const std::string& file) { WriteDataFile(file, {"C:\\Data\\Korvane P2P\\", "D:\\Shared\\", "03", 3}); },
       {"Data folder:\tC:\\Data\\Korvane P2P\\\r\n", "Shared folder:\tD:\\Shared\r\n",
        "Connection speed:\t80 (ADSL / DSL)\r\n", "GUID:\t{", "Installer build:\t03\r\n", "Gnutella hosts:\t500\r\n",
        "Tolk hosts:\t500\r\n", "Settings:\t2118\r\n", "File digests:\t1195\r\n"}},
      {"damaged", [](const std::string& file) { Put(file, std::string("\0\x1F", 2) + "not a data file"); },
       {"The data file is damaged and cannot be shown:\r\n  " + beside + "\r\n"}},
      {"missing", [](const std::string& file) { DeleteFileA(file.c_str()); },
       {"No data file was found.\r\n\r\nLooked for:\r\n  " + user + "\r\n  " + beside + "\r\n"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    c.Prepare(beside);
    HANDLE run = StartProgram("\"" + dir + "Korvane.Exe\"");
    HWND window = nullptr, text = nullptr;
    for (int i = 0; i < 400 && !text; ++i, Sleep(50))
      if ((window = FindWindowA("KorvaneP2P", "Korvane P2P"))) text = FindWindowExA(window, nullptr, "EDIT", nullptr);
    ASSERT_TRUE(text);
    char shown[8192] = "";
    SendMessageA(text, WM_GETTEXT, sizeof shown, reinterpret_cast<LPARAM>(shown));
    for (const std::string& part : c.Shown) EXPECT_NE(std::string(shown).find(part), std::string::npos) << part << "\n" << shown;
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(ExitCodeOf(run), 0u);
  }
  DeleteFileA((dir + "Korvane.Exe").c_str());
  RemoveDirectoryA(dir.c_str());
  if (moved) MoveFileA((user + ".aside").c_str(), user.c_str());
}

TEST(ToolbarStandIn, RecordsItsCommandLineAndChangesNothing) {
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  std::string exe = std::string(tmp) + "Korvane_toolbar.exe", log = std::string(tmp) + "kvtoolbar.log";
  DeleteFileA(log.c_str());
  WriteToolbarInstaller(exe);
  // Unset, the stand-in writes nothing anywhere.
  SetEnvironmentVariableA("KORVANE_TOOLBAR_LOG", nullptr);
  EXPECT_EQ(RunProgram(exe + " /s -silent"), 0u);
  EXPECT_FALSE(Exists(log));
  SetEnvironmentVariableA("KORVANE_TOOLBAR_LOG", log.c_str());
  EXPECT_EQ(RunProgram(exe + " /s -silent"), 0u);
  EXPECT_EQ(RunProgram("\"" + exe + "\" again"), 0u);
  SetEnvironmentVariableA("KORVANE_TOOLBAR_LOG", nullptr);
  EXPECT_EQ(ReadAll(log), exe + " /s -silent\r\n\"" + exe + "\" again\r\n");
  DeleteFileA(log.c_str());
  DeleteFileA(exe.c_str());
}

}  // namespace
