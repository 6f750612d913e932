// The upgrade itself: rewrites the client program (retrying while it is in use) and the
// uninstaller of an installation, and its Start-menu links; in the silent self-update mode it
// starts the client again and ends the process.
#pragma once
#include <functional>
#include <string>

#include "app/Frame_Panel.h"
#include "payload/GB_Payload.h"

// The bar's range: both programs' writer ranges, of which only the client's moves the bar.
inline constexpr int KUpgradeProgressMaximum = WriteProgressEnd(KClientProgram) + WriteProgressEnd(KUninstaller);
// Attempts at the client program before its error ends the upgrade.
inline constexpr int KUpgradeAttempts = 21;

class TPNLUpgradeUpgrading : public TFramePanel {
 public:
  TPNLUpgradeUpgrading();
  void BeforeShow() override;
  void AfterShow() override;

  // Bar to Value, caption to the nearest whole per cent; then pending messages run.
  void ShowUpgradeProgress(int Value);
  // Creates the folder with its parents; a failure shows only in what follows.
  static void EnsureFolder(const std::string& Path);

  HWND Label1 = nullptr, Label12 = nullptr, ProgressBar1 = nullptr;

  // Length of one step of the waits (the self-update's three, the retries' fifteen), 1000.
  // Only tests shorten it: in-process ones directly; end-to-end runs of the test build's exe
  // through KV_UPGRADE_WAIT_STEP_MS, a door that the release build does not have.
  static int WaitStepMs;
  // Ends the process after a self-update; tests keep their process.
  static inline std::function<void(int)> EndProcess = [](int code) { ExitProcess(static_cast<UINT>(code)); };
};

// Writes a program through a temporary file beside FileName and replaces FileName only with
// a complete file. On any failure the temporary file goes and FileName stays as it was;
// a FileName in use fails with "Cannot create file "%s". %s".
void WriteReplacing(const std::string& FileName, const std::function<void(const std::string&)>& write);
