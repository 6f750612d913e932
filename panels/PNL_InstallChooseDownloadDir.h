// The folder where the client puts finished downloads: proposed, typed or picked, checked and
// stored.
#pragma once
#include "lib/win/WinHandles.h"
#include "panels/PNL_FolderChoice.h"

class TPNLInstallChooseDownloadDir : public TFolderChoicePanel {
 public:
  TPNLInstallChooseDownloadDir();
  void BeforeShow() override;
  void FolderTreeChange() override;
  // Stores the typed folder, unless it is refused.
  bool NextClick() override;
  // Forgets the folder: the next visit proposes it anew.
  void PreviousClick() override;

  void Edit1Exit();

  HWND Image5 = nullptr, StaticText1 = nullptr;

 protected:
  void CreateControls() override;
};
