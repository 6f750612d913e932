// End-to-end run of the real installer's silent self-update: the command line with a folder,
// the client held open for a while by another process, the old files around it untouched.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/windows/TestFiles.h"
#include "payload/GB_Payload.h"

namespace {

std::string gInstaller;
const std::string kDir = "C:\\kvtest e2e upgrade\\Korvane P2P\\";


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
  CreateDirectoryA("C:\\kvtest e2e upgrade", nullptr);
  CreateDirectoryA(kDir.c_str(), nullptr);
  const std::string client = kDir + "Korvane.Exe";
  WriteText(client, "old client");
  WriteText(kDir + "KVInst.Dat", "settings");
  // This test process holds the client open, as a client still running does.
  HANDLE lock = CreateFileA(client.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  const DWORD start = GetTickCount();
  std::string cmd = "\"" + gInstaller + "\" /autoupdate " + kDir;
  STARTUPINFOA si{sizeof si};
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  CloseHandle(pi.hThread);
  Sleep(12000);  // past the start, the three-second wait and the first attempt
  EXPECT_EQ(ReadAll(client), "old client");
  CloseHandle(lock);
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  else TerminateProcess(pi.hProcess, 9);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 0u);
  EXPECT_GE(GetTickCount() - start, 18000u);  // the three seconds and one retry wait of fifteen
  EXPECT_EQ(FileSize(client), KClientProgram.USize);
  EXPECT_EQ(FileSize(kDir + "Uninstall.Exe"), KUninstaller.USize);
  EXPECT_EQ(ReadAll(kDir + "KVInst.Dat"), "settings");
  EXPECT_EQ(GetFileAttributesA((client + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(CloseStartedClient());
  for (const char* name : {"Korvane.Exe", "Uninstall.Exe", "KVInst.Dat"}) DeleteFileA((kDir + name).c_str());
  RemoveDirectoryA(kDir.c_str());
  RemoveDirectoryA("C:\\kvtest e2e upgrade");
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    fprintf(stderr, "usage: kvtests_upgrade_e2e INSTALLER\n");
    return 2;
  }
  gInstaller = argv[1];
  if (gInstaller.starts_with('/')) {  // a Unix path: Wine's Z: drive is the root
    std::replace(gInstaller.begin(), gInstaller.end(), '/', '\\');
    gInstaller = "Z:" + gInstaller;
  }
  return RUN_ALL_TESTS();
}
