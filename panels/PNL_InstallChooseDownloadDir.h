// The folder where the client puts finished downloads: proposed, typed or picked, checked and
// stored.
#pragma once
#include "lib/win/WinHandles.h"
#include "panels/PNL_FolderChoice.h"

class TPNLInstallChooseDownloadDir : public TFolderChoicePanel {
 public:
  TPNLInstallChooseDownloadDir();
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
