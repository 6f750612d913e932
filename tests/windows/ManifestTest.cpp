// The manifest each built program carries: Windows reads its compatibility section to decide
// whether to run the program under the shims meant for programs written for older versions.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

// The folder of the build tree that holds this test program, with a trailing backslash.
std::string BuildDir() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  return dir.substr(0, dir.find_last_of("\\/") + 1);
}

// The RT_MANIFEST resource with id 1 of a program file, or "" when it has none.
std::string EmbeddedManifest(const std::string& exe) {
  HMODULE m = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!m) return "";
  std::string text;
  if (HRSRC r = FindResourceA(m, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24 /* RT_MANIFEST */)))
    if (HGLOBAL g = LoadResource(m, r))
      text.assign(static_cast<const char*>(LockResource(g)), SizeofResource(m, r));
  FreeLibrary(m);
  return text;
}

}  // namespace

TEST(Manifest, EveryProgramDeclaresWindows7To11) {
  const char* programs[] = {"Install_Korvane.exe", "programs\\Korvane.Exe", "programs\\Uninstall.Exe",
                            "programs\\Korvane_toolbar.exe"};
  const struct {
    const char* os;
    const char* id;
  } systems[] = {
      {"Windows 7", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"},
      {"Windows 8", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"},
      {"Windows 8.1", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"},
      {"Windows 10 and 11", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"},
  };
  for (const char* program : programs) {
    const std::string manifest = EmbeddedManifest(BuildDir() + program);
    ASSERT_NE(manifest, "") << program << " has no manifest resource 1";
    EXPECT_NE(manifest.find("urn:schemas-microsoft-com:compatibility.v1"), std::string::npos) << program;
    for (const auto& s : systems)
      EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + s.id + "\"/>"), std::string::npos)
          << program << " does not declare " << s.os;
  }
}

TEST(Manifest, InstallerIsPerMonitorDpiAwareWithAFallbackForOlderSystems) {
  const std::string manifest = EmbeddedManifest(BuildDir() + "Install_Korvane.exe");
  ASSERT_NE(manifest, "");
  const std::string perMonitor =
      "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2</dpiAwareness>";
  const std::string system = "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>";
  EXPECT_NE(manifest.find(perMonitor), std::string::npos);
  EXPECT_NE(manifest.find(system), std::string::npos);
}
