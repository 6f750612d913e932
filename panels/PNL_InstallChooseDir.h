// The installation folder: proposed, typed or picked in the folder tree, checked, and stored
// for every later panel.
#pragma once
#include "lib/win/WinHandles.h"
#include "panels/PNL_FolderChoice.h"

class TPnlInstallChooseDir : public TFolderChoicePanel {
 public:
  TPnlInstallChooseDir();
  void BeforeShow() override;
  void FolderTreeChange() override;
  // Stores the typed folder as the installation and data folder, unless it is refused.
  bool NextClick() override;
  // Forgets the folder: the next visit proposes it anew.
  void PreviousClick() override;

  void Edit1Exit();

  HWND Image5 = nullptr, StaticText1 = nullptr;

 protected:
  void CreateControls() override;
};
