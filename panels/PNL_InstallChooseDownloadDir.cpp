#include "panels/PNL_InstallChooseDownloadDir.h"

#include "engine/Engine.h"
#include "lib/LIB_InstallPaths.h"
#include "lib/LIB_Text.h"
#include "wizard/Form_Main.h"

namespace {
constexpr TControlDecl<TPNLInstallChooseDownloadDir> kControls[] = {
    {TKind::Picture, &TPNLInstallChooseDownloadDir::Image5, 8, 8, 105, 105, "EMBLEM"},
    {TKind::StaticText, &TPNLInstallChooseDownloadDir::StaticText1, 8, 128, 233, 209},
    {TKind::Name, nullptr, 286, 7, 393, 21, "Download folder"},
    {TKind::Edit, &TPNLInstallChooseDownloadDir::Edit1, 286, 7, 393, 21, "", {}, clNone, clNone, 0, nullptr,
     nullptr, nullptr, &TPNLInstallChooseDownloadDir::Edit1Exit},
};
}  // namespace

TPNLInstallChooseDownloadDir::TPNLInstallChooseDownloadDir()
    : TFolderChoicePanel("PNLInstallChooseDownloadDir", "Choose download folder", "Choose download folder") {}

void TPNLInstallChooseDownloadDir::CreateControls() {
  Build(*this, std::span(kControls));
  HookEdit();
  CreateFolderTree();
}

void TPNLInstallChooseDownloadDir::BeforeShow() {
  SetText(StaticText1,
          "The download folder is the folder\ron your hard disk where Korvane P2P puts the\rdownloaded files when "
          "they are completed.\r\rIn most common cases the folder proposed\ris the best place and you can just "
          "press\rthe \"next\" button, otherwise choose a folder.");
  TSetupState& state = Frame().State;
  if (state.DownloadDir.empty()) state.DownloadDir = ProposedDownloadDir(state.InstallDir);
  ProposeFolder(state.DownloadDir);
}

void TPNLInstallChooseDownloadDir::FolderTreeChange() {
  SetText(Edit1, DownloadDirForSelection(FolderTree->Path()));
}

void TPNLInstallChooseDownloadDir::Edit1Exit() { SyncTree(); }

bool TPNLInstallChooseDownloadDir::NextClick() {
  const std::string text = Trim(GetText(Edit1));
  SetText(Edit1, text);
  const std::optional<std::string> folder = AcceptedFolder(text);
  if (!folder) return false;
  SetText(Edit1, *folder);
  Frame().State.DownloadDir = *folder;
  return true;
}

void TPNLInstallChooseDownloadDir::PreviousClick() { Frame().State.DownloadDir.clear(); }
