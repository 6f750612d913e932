// "&Restart" on the error panel starts the installer's own file anew, without arguments, and
// ends the running copy with exit code 0. The helper kvrestart_probe.exe plays the installer.
#include <gtest/gtest.h>

#include <fstream>

#include "lib/win/WinApp.h"
#include "lib/win/WinHandles.h"

namespace {

std::string Folder(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

TEST(ErrorRestart, StartsItselfWithoutArgumentsAndEndsWithZero) {
  const std::string probe = Folder(ExePath()) + "kvrestart_probe.exe";
  const std::string marker = probe + ".restarted";
  DeleteFileA(marker.c_str());

  std::string commandLine = "\"" + probe + "\" /autoupdate C:\\Somewhere";
  STARTUPINFOA si{sizeof(si)};
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessA(probe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                             &pi))
      << GetLastError();
  TKernelHandle process(pi.hProcess), thread(pi.hThread);
  ASSERT_EQ(WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(process.get(), &code);
  EXPECT_EQ(code, 0u);

  std::string restarted;
  for (int i = 0; i < 600 && restarted.empty(); ++i) {
    Sleep(50);
    std::ifstream in(marker);
    std::getline(in, restarted);
  }
  ASSERT_FALSE(restarted.empty()) << "no new copy started";
  // Only the program's own path: no argument, the self-update one least of all.
  EXPECT_EQ(restarted.find("autoupdate"), std::string::npos) << restarted;
  EXPECT_NE(restarted.find("kvrestart_probe.exe"), std::string::npos) << restarted;
  DeleteFileA(marker.c_str());
}

}  // namespace
