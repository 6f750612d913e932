#include "panels/PNL_UpgradeUpgrading.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstdlib>
#include <stdexcept>

#include "app/Appl_Globals.h"
#include "app/Form_Main.h"
#include "lib/LIB_InstallPaths.h"
#include "lib/win/ShellHelpers.h"
#include "payload/win/GB_KorvaneP2P_exe.h"
#include "payload/win/GB_Uninstall_exe.h"
#include "payload/win/PayloadWriter.h"

namespace {
using P = TPNLUpgradeUpgrading;

constexpr TControlDecl<P> kControls[] = {
    {TKind::Label, &P::Label1, 39, 24, 634, 30, ".", {}, Rgb(255, 0, 0)},
    // Centred where the caption stands, wide enough for "100% complete" in any screen font.
    {TKind::Label, &P::Label12, 304, 200, 140, 13, "0% complete", {}, Rgb(255, 255, 255), clNone, SS_CENTER},
    {TKind::ProgressBar, &P::ProgressBar1, 39, 232, 634, 26},
};

bool FolderExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void Wait(int steps) {
  for (int i = 0; i < steps; ++i) {
    if (i > 0) ProcessMessages();
    Sleep(P::WaitStepMs);
  }
}

void CreateStartMenuLinks() {
  char programs[MAX_PATH];
  if (FAILED(SHGetFolderPathA(FormMain->Handle(), CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs))) return;
  const std::string group = std::string(programs) + "\\Korvane P2P";
  CreateDirectoryA(group.c_str(), nullptr);
  const std::string site = KProductSite;
  CreateShortcut(GInstallDir + "Korvane.Exe", group + "\\Korvane P2P.Lnk", "Korvane P2P", 0, "");
  CreateShortcut(site + "/p2p/", group + "\\Korvane P2P On the Web.Lnk", "Korvane P2P On the web", -1, "");
  CreateShortcut(site + "/p2p/help/", group + "\\Korvane P2P Help.Lnk", "Korvane P2P Help", -1, "");
  CreateShortcut(GInstallDir + "Uninstall.Exe", group + "\\Korvane P2P Uninstall.Lnk", "Korvane P2P Uninstall", 0, "");
}
}  // namespace

void WriteReplacing(const std::string& FileName, const std::function<void(const std::string&)>& write) {
  const std::string temp = FileName + ".tmp";
  try {
    write(temp);
  } catch (...) {
    DeleteFileA(temp.c_str());
    throw;
  }
  if (!MoveFileExA(temp.c_str(), FileName.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD error = GetLastError();
    DeleteFileA(temp.c_str());
    throw std::runtime_error("Cannot create file \"" + FileName + "\". " + SysErrorMessage(error));
  }
}

#ifdef KV_TEST_SEAMS
int TPNLUpgradeUpgrading::WaitStepMs = [] {
  const char* ms = std::getenv("KV_UPGRADE_WAIT_STEP_MS");
  return ms ? std::atoi(ms) : 1000;
}();
#else
int TPNLUpgradeUpgrading::WaitStepMs = 1000;
#endif

TPNLUpgradeUpgrading::TPNLUpgradeUpgrading() : TFramePanel("PNLUpgradeUpgrading", "Upgrading Korvane P2P") {
  Build(*this, std::span(kControls));
}

void TPNLUpgradeUpgrading::EnsureFolder(const std::string& Path) {
  try {
    ForceFolder(Path);
  } catch (...) {
  }
}

void TPNLUpgradeUpgrading::ShowUpgradeProgress(int Value) {
  SendMessageA(ProgressBar1, PBM_SETPOS, static_cast<WPARAM>(Value), 0);
  const auto position = SendMessageA(ProgressBar1, PBM_GETPOS, 0, 0);
  const auto maximum = SendMessageA(ProgressBar1, PBM_GETRANGE, FALSE, 0);
  SetWindowTextA(Label12, (std::to_string(RoundPercent(position, maximum)) + "% complete").c_str());
  ProcessMessages();
}

void TPNLUpgradeUpgrading::BeforeShow() { ShowUpgradeProgress(0); }

void TPNLUpgradeUpgrading::AfterShow() {
  SendMessageA(ProgressBar1, PBM_SETRANGE32, 0, KUpgradeProgressMaximum);
  if (!FolderExists(GInstallDir)) EnsureFolder(GInstallDir);
  // The client that asked for the update needs a moment to end.
  if (GAutoUpdate) Wait(3);

  const std::string client = GInstallDir + "Korvane.Exe";
  for (int attempt = 1;; ++attempt) {
    try {
      WriteReplacing(client, [this](const std::string& file) { WriteClientProgram(file, ProgressBar1, Label12); });
      break;
    } catch (...) {
      // The last attempt's error is the upgrade's: the error panel shows it.
      if (attempt == KUpgradeAttempts) throw;
    }
    SetWindowTextA(Label1, ("Korvane P2P is still running or in use by another program. Upgrade will retry in a "
                            "few seconds. (Attempt " +
                            std::to_string(attempt) + ")")
                               .c_str());
    Wait(15);
    ProcessMessages();
    SetWindowTextA(Label1, "");
  }
  WriteReplacing(GInstallDir + "Uninstall.Exe", [](const std::string& file) { WriteUninstaller(file); });
  CreateStartMenuLinks();
  ShowUpgradeProgress(KUpgradeProgressMaximum);

  if (GAutoUpdate) {
    WinExec(QuotedCommand(client, "").c_str(), SW_SHOWMAXIMIZED);
    EndProcess(0);
  } else {
    FormMain->ShowPanel("PNLUpgradeReady", true);
  }
}
