// The carried uninstaller and toolbar stand-in, written out by their payload writers and run
// as the installation leaves them.
#include <gtest/gtest.h>
#include <windows.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "tests/windows/TestFiles.h"
#include "payload/GB_KORVANE_DAT.h"
#include "payload/win/GB_KorvaneP2P_exe.h"
#include "payload/win/GB_Uninstall_exe.h"
#include "payload/win/GB_korvane_toolbar_exe.h"

namespace {

constexpr char KUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvane P2P";


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

// Waits for another process's message box and presses one of its buttons.
bool Answer(const char* caption, int button) {
  for (int i = 0; i < 600; ++i, Sleep(50))
    if (HWND box = FindWindowA(nullptr, caption)) return PostMessageA(box, WM_COMMAND, button, 0);
  return false;
}


bool KeyExists() {
  HKEY k;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, KUninstallKey, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

// An installation as the engine leaves it: program and data folder, the uninstall key, the
// Start-menu group and the desktop link, and the removal list.
class Uninstaller : public testing::Test {
 protected:
  void SetUp() override {
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    base = std::string(tmp) + "kvuninst" + std::to_string(GetCurrentProcessId()) + "\\";
    inst = base + "Program\\";
    data = base + "Data\\";
    group = ShellFolder(CSIDL_PROGRAMS) + "\\Korvane P2P";
    desktopLink = ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Korvane P2P.Lnk";
    for (const std::string& d : {base, inst, data, group}) CreateDirectoryA(d.c_str(), nullptr);
    WriteUninstaller(inst + "Uninstall.Exe");
    for (const char* f : {"Korvane.Exe", "KVInst.dat"}) Put(inst + f);
    for (const char* f : {"Korvane.dat", "a.ZCF", "b.ZCV", "c.ZTH", "d.GET", "e.DAT"}) Put(data + f);
    for (const char* f : {"Korvane P2P.Lnk", "Korvane P2P On the Web.Lnk", "Korvane P2P Help.Lnk",
                          "Korvane P2P Uninstall.Lnk"})
      Put(group + "\\" + f);
    Put(desktopLink);
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, KUninstallKey, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr), 0);
    RegSetValueExA(k, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>("Korvane P2P"), 12);
    RegCloseKey(k);
    list = {"Korvane P2P"};
    for (const char* p : {"*.ZCF", "*.ZCV", "*.ZTH", "*.DAT", "*.GET"}) list.push_back("<P" + data + p + ">");
    list.push_back("<E" + data + ">");
    for (std::string f : {inst + "Korvane.Exe", data + "Korvane.dat", data + "Korvane.bak", inst + "KVInst.dat",
                          inst + "Uninstall.Exe", inst + "Uninstall.Dat"})
      list.push_back("<F" + f + ">");
    list.insert(list.end(), {"<E" + inst + ">", "<E" + data + ">", std::string("<R") + KUninstallKey + ">",
                             "<SKorvane P2P>", "<TKorvane P2P.Lnk>"});
  }
  void TearDown() override {
    for (const char* f : {"MyNotes.txt", "Korvane.Exe", "KVInst.dat", "Uninstall.Exe", "UnInstall.dat"})
      DeleteFileA((inst + f).c_str());
    for (const char* f : {"notes.data", "Korvane.dat", "a.ZCF", "b.ZCV", "c.ZTH", "d.GET", "e.DAT"})
      DeleteFileA((data + f).c_str());
    for (const char* f : {"Korvane P2P.Lnk", "Korvane P2P On the Web.Lnk", "Korvane P2P Help.Lnk",
                          "Korvane P2P Uninstall.Lnk"})
      DeleteFileA((group + "\\" + f).c_str());
    DeleteFileA(desktopLink.c_str());
    for (const std::string& d : {inst, data, group, base}) RemoveDirectoryA(d.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, KUninstallKey);
  }

  HANDLE StartUninstall(const char* args) {
    std::string text;
    for (const std::string& line : list) text += line + "\r\n";
    Put(inst + "UnInstall.dat", text);
    return StartProgram("\"" + inst + "Uninstall.Exe\"" + args);
  }
  DWORD Uninstall() { return ExitCodeOf(StartUninstall(" /quiet")); }
  // The copy in the temporary folder removes the program and the folders once the
  // uninstaller has ended.
  void WaitForFinish() {
    for (int i = 0; i < 200 && Exists(inst + "Uninstall.Exe"); ++i) Sleep(50);
    Sleep(300);
  }

  std::string base, inst, data, group, desktopLink;
  std::vector<std::string> list;
};

TEST_F(Uninstaller, RemovesTheWholeInstallation) {
  ASSERT_EQ(Uninstall(), 0u);
  WaitForFinish();
  for (const std::string& gone : {inst, data, group, desktopLink}) EXPECT_FALSE(Exists(gone)) << gone;
  EXPECT_FALSE(KeyExists());
}

TEST_F(Uninstaller, LeavesTheUsersOwnFilesAndTheirFolders) {
  Put(inst + "MyNotes.txt");
  Put(data + "notes.data");
  ASSERT_EQ(Uninstall(), 0u);
  WaitForFinish();
  EXPECT_TRUE(Exists(inst + "MyNotes.txt"));
  EXPECT_TRUE(Exists(data + "notes.data"));
  for (const char* f : {"Korvane.Exe", "KVInst.dat", "Uninstall.Exe", "UnInstall.dat"}) EXPECT_FALSE(Exists(inst + f)) << f;
  for (const char* f : {"Korvane.dat", "a.ZCF", "b.ZCV", "c.ZTH", "d.GET", "e.DAT"}) EXPECT_FALSE(Exists(data + f)) << f;
  EXPECT_FALSE(Exists(group));
  EXPECT_FALSE(KeyExists());
}

TEST_F(Uninstaller, AsksFirst) {
  HANDLE run = StartUninstall("");
  ASSERT_TRUE(Answer("Korvane P2P Uninstall", IDNO));
  EXPECT_EQ(ExitCodeOf(run), 1u);
  EXPECT_TRUE(Exists(inst + "Korvane.Exe"));
  EXPECT_TRUE(Exists(data + "e.DAT"));
  EXPECT_TRUE(KeyExists());

  run = StartUninstall("");
  ASSERT_TRUE(Answer("Korvane P2P Uninstall", IDYES));
  ASSERT_TRUE(Answer("Uninstall", IDOK));  // the closing message
  EXPECT_EQ(ExitCodeOf(run), 0u);
  WaitForFinish();
  EXPECT_FALSE(Exists(inst));
  EXPECT_FALSE(KeyExists());
}

// One bad line refuses the whole list: nothing at all is removed.
TEST_F(Uninstaller, RefusesHostileLists) {
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, sizeof windows);
  std::string drive = inst.substr(0, 3);
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
  };
  for (const std::string& line : hostile) {
    SCOPED_TRACE(line);
    std::vector<std::string> good = list;
    list.insert(list.begin() + 3, line);
    EXPECT_EQ(Uninstall(), 2u);
    list = good;
    for (const char* f : {"Korvane.Exe", "KVInst.dat", "Uninstall.Exe", "UnInstall.dat"}) EXPECT_TRUE(Exists(inst + f)) << f;
    for (const char* f : {"Korvane.dat", "a.ZCF", "e.DAT"}) EXPECT_TRUE(Exists(data + f)) << f;
    EXPECT_TRUE(Exists(group + "\\Korvane P2P.Lnk"));
    EXPECT_TRUE(Exists(desktopLink));
    EXPECT_TRUE(KeyExists());
  }
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
