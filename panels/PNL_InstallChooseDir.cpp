#include "panels/PNL_InstallChooseDir.h"

#include <shlobj.h>

#include "engine/Engine.h"
#include "lib/LIB_InstallPaths.h"
#include "lib/LIB_Text.h"
#include "wizard/Form_Main.h"

namespace {
// Typed into the edit box, it shows the installer's build tag instead.
constexpr char kHiddenCode[] = "%~~+71-45QQz";

constexpr TControlDecl<TPnlInstallChooseDir> kControls[] = {
    {TKind::Name, nullptr, 286, 7, 393, 21, "Installation folder"},
    {TKind::Edit, &TPnlInstallChooseDir::Edit1, 286, 7, 393, 21, "", {}, clNone, clNone, 0, nullptr, nullptr,
     nullptr, &TPnlInstallChooseDir::Edit1Exit},
    {TKind::Picture, &TPnlInstallChooseDir::Image5, 8, 8, 105, 105, "EMBLEM"},
    {TKind::StaticText, &TPnlInstallChooseDir::StaticText1, 8, 128, 233, 209},
};
}  // namespace

TPnlInstallChooseDir::TPnlInstallChooseDir()
    : TFolderChoicePanel("PnlInstallChooseDir", "Choose installation folder", "Choose installation folder") {}

void TPnlInstallChooseDir::CreateControls() {
  Build(*this, std::span(kControls));
  HookEdit();
  CreateFolderTree();
}

void TPnlInstallChooseDir::BeforeShow() {
  SetText(StaticText1,
          "The installation folder is the folder\ron your hard disk where Korvane P2P program files\rand the "
          "Korvane P2P data file will be placed.\r\rIn most common cases the folder proposed\ris the best place and "
          "you can just press\rthe \"next\" button, otherwise choose a folder.");
  std::string& folder = Frame().State.InstallDir;
  if (folder.empty()) folder = ProposedInstallDir();
  ProposeFolder(folder);
}

void TPnlInstallChooseDir::FolderTreeChange() {
  SetText(Edit1, InstallDirForSelection(FolderTree->Path()));
}

void TPnlInstallChooseDir::Edit1Exit() {
  const std::string text = Trim(GetText(Edit1));
  if (text == kHiddenCode) {
    SetText(Edit1, Frame().State.InstallerTag);
    return;
  }
  SyncTree();
}

bool TPnlInstallChooseDir::NextClick() {
  TSetupState& state = Frame().State;
  const std::string text = Trim(GetText(Edit1));
  SetText(Edit1, text);
  state.InstallDir = text;
  const std::optional<std::string> folder = AcceptedFolder(text);
  if (!folder) return false;
  state.InstallDir = *folder;
  state.DataDir = state.InstallDir;
  if (FileExists(state.InstallDir + "Korvane.exe")) {
    ShowMessage("Cannot install Korvane P2P in " + state.InstallDir + "\r" +
                "because it already exists in this folder.\r" +
                "In case you want to overwrite a previous installation delete or unistall it first,\r" +
                "otherwise choose another folder.");
    return false;
  }
  return true;
}

void TPnlInstallChooseDir::PreviousClick() { Frame().State.InstallDir.clear(); }
