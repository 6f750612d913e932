#include "panels/PNL_InstallInstalling.h"

#include <commctrl.h>
#include <shlobj.h>

#include <optional>
#include <stdexcept>
#include <vector>

#include "app/Appl_Globals.h"
#include "app/Form_Main.h"
#include "lib/LIB_Errors.h"
#include "lib/LIB_InstallPaths.h"
#include "payload/GB_KORVANE_DAT.h"
#include "payload/GB_Payload.h"
#include "payload/win/GB_KorvaneP2P_exe.h"
#include "payload/win/GB_Uninstall_exe.h"
#include "payload/win/GB_korvane_toolbar_exe.h"
#include "payload/win/PayloadWriter.h"
#include "panels/PNL_FolderChoice.h"

namespace {
using P = TPNLInstallInstalling;

constexpr TControlDecl<P> kControls[] = {
    // Centred where the caption stands, wide enough for "100% complete" in any screen font.
    {TKind::Label, &P::Label12, 304, 200, 140, 13, "0% complete", {}, Rgb(255, 255, 255), clNone, SS_CENTER},
    {TKind::ProgressBar, &P::ProgressBar1, 39, 232, 634, 26},
};

std::optional<std::string> ShellFolder(int csidl) {
  char buf[MAX_PATH];
  if (FAILED(SHGetFolderPathA(FormMain ? FormMain->Handle() : nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf)))
    return std::nullopt;
  return std::string(buf);
}

// The first candidate folder that exists or can be made; the last one's failure is the
// installation's.
std::string UsableInstallDir(const std::string& chosen) {
  std::vector<std::string> candidates = {chosen};
  if (auto folder = ShellFolder(CSIDL_PROGRAM_FILES)) candidates.push_back(*folder + "\\KorvaneP2P\\");
  if (auto folder = ShellFolder(CSIDL_LOCAL_APPDATA)) candidates.push_back(*folder + "\\Korvane P2P\\");
  candidates.push_back("C:\\Korvane\\");
  for (size_t i = 0; i + 1 < candidates.size(); ++i) {
    try {
      ForceFolder(candidates[i]);
      if (DirectoryExists(candidates[i])) return candidates[i];
    } catch (const EInOutError&) {
    }
  }
  ForceFolder(candidates.back());
  return candidates.back();
}

void DeleteIfPresent(const std::string& file) {
  if (FileExists(file)) DeleteFileA(file.c_str());
}

void RegisterUninstaller() {
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, KUninstallKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  TRegKey owner(key);
  auto write = [&](const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
  };
  if (write("DisplayName", "Korvane P2P")) write("UninstallString", QuotedCommand(GInstallDir + "Uninstall.Exe", ""));
}

void CreateShortcuts(TPNLInstallInstalling& panel, int maximum) {
  // Each link costs the shell some milliseconds: the window gets its turn after every one.
  auto link = [](const std::string& target, const std::string& file, const char* description, int icon) {
    CreateShortcut(target, file, description, icon, "");
    ProcessMessages();
  };
  if (auto programs = ShellFolder(CSIDL_PROGRAMS)) {
    const std::string group = *programs + "\\Korvane P2P";
    CreateDirectoryA(group.c_str(), nullptr);
    const std::string site = KProductSite;
    link(GInstallDir + "Korvane.Exe", group + "\\Korvane P2P.Lnk", "Korvane P2P", 0);
    link(site + "/p2p/", group + "\\Korvane P2P On the Web.Lnk", "Korvane P2P On the web", -1);
    link(site + "/p2p/help", group + "\\Korvane P2P Help.Lnk", "Korvane P2P Help", -1);
    link(GInstallDir + "Uninstall.Exe", group + "\\Korvane P2P Uninstall.Lnk", "Korvane P2P Uninstall", 0);
  }
  panel.ShowInstallProgress(PercentPosition(maximum, 92));
  if (GDesktopShortcut)
    if (auto desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY))
      link(GInstallDir + "Korvane.Exe", *desktop + "\\Korvane P2P.Lnk", "Korvane P2P", 0);
}

void WriteRemovalList() {
  std::string text;
  for (const std::string& line : RemovalList(GInstallDir, GDataDir, GAppDataDir, GDesktopShortcut))
    text += line + "\r\n";
  TFileHandle file(CreateFileA((GInstallDir + "UnInstall.dat").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written;
  if (file) WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

TPNLInstallInstalling::TPNLInstallInstalling() : TFramePanel("PNLInstallInstalling", "Installing Korvane P2P") {
  Build(*this, std::span(kControls));
}

void TPNLInstallInstalling::ShowInstallProgress(int Position) {
  SendMessageA(ProgressBar1, PBM_SETPOS, static_cast<WPARAM>(Position), 0);
  const auto position = SendMessageA(ProgressBar1, PBM_GETPOS, 0, 0);
  const auto maximum = SendMessageA(ProgressBar1, PBM_GETRANGE, FALSE, 0);
  SetWindowTextA(Label12, (std::to_string(RoundPercent(position, maximum)) + "% complete").c_str());
  ProcessMessages();
}

void TPNLInstallInstalling::BeforeShow() { ShowInstallProgress(0); }

void TPNLInstallInstalling::AfterShow() {
  const int maximum = InstallProgressMaximum();
  SendMessageA(ProgressBar1, PBM_SETRANGE32, 0, maximum);
  const TDataFileProgress progress{[this, maximum](int percent) { ShowInstallProgress(PercentPosition(maximum, percent)); },
                                   [] { ProcessMessages(); }};

  if (!GInstallDir.ends_with('\\')) GInstallDir += '\\';
  GInstallDir = UsableInstallDir(GInstallDir);

  if (auto local = ShellFolder(CSIDL_LOCAL_APPDATA))
    GAppDataDir = *local + "\\Korvane P2P\\";
  else
    GAppDataDir = GInstallDir;
  try {
    ForceFolder(GAppDataDir);
    if (!DirectoryExists(GAppDataDir)) GAppDataDir = GInstallDir;
  } catch (const EInOutError&) {
    GAppDataDir = GInstallDir;
  }
  GDataDir = GAppDataDir;

  DeleteIfPresent(GInstallDir + "korvane.exe");
  WriteClientProgram(GInstallDir + "Korvane.Exe", ProgressBar1, Label12);
  try {
    WriteUninstaller(GInstallDir + "Uninstall.Exe");
  } catch (...) {
  }
  DeleteIfPresent(GInstallDir + "korvane.dat");
  DeleteIfPresent(GInstallDir + "korvane.bak");

  if (GInstallToolbar) {
    try {
      const std::string toolbar = GInstallDir + "Korvane_toolbar.exe";
      WriteToolbarInstaller(toolbar);
      ProcessMessages();
      WinExec(QuotedCommand(toolbar, "/s -silent").c_str(), SW_MINIMIZE);
    } catch (...) {
    }
  }
  ShowInstallProgress(PercentPosition(maximum, 90));

  RegisterUninstaller();
  ProcessMessages();
  try {
    CreateShortcuts(*this, maximum);
  } catch (...) {
  }
  ShowInstallProgress(PercentPosition(maximum, 93));

  WriteDataFile(GAppDataDir + "Korvane.Dat", progress);
  try {
    WriteDataFile(GInstallDir + "KVInst.Dat", progress);
  } catch (...) {
  }
  WriteRemovalList();

  FormMain->ShowPanel("PNLInstallReady", true);
}
