// The upgrade road's first step: shows the search of the fixed drives for the client program
// and hands the finds to the upgrade choice, or goes back when there is none.
#pragma once
#include <cstdint>
#include <string>

#include "lib/win/FindFilesWin.h"
#include "lib/win/WinHandles.h"
#include "wizard/EngineRun.h"
#include "wizard/Frame_Panel.h"

class TPnlUpgradeFindDir : public TFramePanel {
 public:
  TPnlUpgradeFindDir();
  void AfterShow() override;

  void ShowSearchProgress(uint8_t Percent);

  HWND Image9 = nullptr, Label12 = nullptr, ProgressBar1 = nullptr, StaticText4 = nullptr;

  // Drives and folders the search sees; tests put a platform of their own in place.
  TFindPlatform* Platform = &win32_;

 protected:
  void CreateControls() override;

 private:
  TWin32FindPlatform win32_;
  TEngineRun run_;
};
