// The installation folder: proposed, typed or picked in the folder tree, checked, and stored
// for every later panel.
#pragma once
#include "lib/win/WinHandles.h"
#include "panels/PNL_FolderChoice.h"

class TPnlInstallChooseDir : public TFolderChoicePanel {
 public:
  TPnlInstallChooseDir();
  void InitButtons(tKvButtonBar& bar) override;
  void BeforeShow() override;
  void FolderTreeChange() override;

  void ExitClick();
  void NextClick();
  void PreviousClick();
  void Edit1Exit();

  HWND Image5 = nullptr, StaticText1 = nullptr;

 protected:
  void CreateControls() override;
};
