// The installation itself: folders, programs, toolbar, uninstall entry, shortcuts, data files
// and the removal list, all inside AfterShow, with the bar showing how far it got.
#pragma once
#include <string>

#include "app/Frame_Panel.h"
#include "lib/win/ShellHelpers.h"

class TPNLInstallInstalling : public TFramePanel {
 public:
  TPNLInstallInstalling();
  void BeforeShow() override;
  void AfterShow() override;

  // Bar to Position, caption to the nearest whole per cent; then pending messages run.
  void ShowInstallProgress(int Position);

  HWND Label12 = nullptr, ProgressBar1 = nullptr;
};
