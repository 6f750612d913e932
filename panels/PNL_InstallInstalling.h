// The installation itself: folders, programs, toolbar, uninstall entry, shortcuts, data files
// and the removal list, all inside AfterShow, with the bar showing how far it got.
#pragma once
#include <string>

#include "app/Frame_Panel.h"

class TPNLInstallInstalling : public TFramePanel {
 public:
  TPNLInstallInstalling();
  void BeforeShow() override;
  void AfterShow() override;

  // Bar to Position, caption to the nearest whole per cent; then pending messages run.
  void ShowInstallProgress(int Position);

  HWND Label12 = nullptr, ProgressBar1 = nullptr;
};

// Creates a folder with all missing parents; "\" is appended when missing. Raises EInOutError
// with the system's code when the folder cannot be made.
void ForceFolder(const std::string& Path);

// Writes a shell link. Icon index -1: no icon of the target. Only a failure to make the link
// object raises; what the link object does with the values is not checked.
void CreateShortcut(const std::string& Target, const std::string& LinkFile, const std::string& Description,
                    int IconIndex, const std::string& Arguments);

// The product web site, target of two Start-menu links.
inline constexpr char KProductSite[] = "http://www.korvane-p2p.example";
