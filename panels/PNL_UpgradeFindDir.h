// The upgrade road's first step: searches the fixed drives for the client program and hands
// the finds to the upgrade choice, or goes back when there is none.
#pragma once
#include <cstdint>
#include <string>

#include "app/Frame_Panel.h"
#include "lib/win/FindFilesWin.h"
#include "lib/win/WinHandles.h"

class TPnlUpgradeFindDir : public TFramePanel {
 public:
  TPnlUpgradeFindDir();
  void AfterShow() override;

  bool ShowSearchProgress(uint8_t Percent);
  bool AcceptFound(const std::string& Path);

  HWND Image9 = nullptr, Label12 = nullptr, ProgressBar1 = nullptr, StaticText4 = nullptr;

  // Drives and folders the search sees; tests put a platform of their own in place.
  TFindPlatform* Platform = &win32_;

 protected:
  void CreateControls() override;

 private:
  TWin32FindPlatform win32_;
};
