// What the installation and download folder panels share: the edit box that takes a typed
// folder, the folder tree beside it that follows the box, and the tree's admission filter.
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "lib/win/ShellHelpers.h"
#include "lib/win/ShellTreeView.h"
#include "wizard/Frame_Panel.h"

class TFolderChoicePanel : public TFramePanel {
 public:
  ~TFolderChoicePanel() override;

  // Selects the typed folder in the tree, or its parent when it does not exist; the edit text
  // stays as typed.
  void SyncTree();
  void Edit1KeyPress(char& Key);
  // Only folders on fixed drives are listed.
  static void FolderTreeAddFolder(const std::string& Folder, bool FileSystem, bool& CanAdd);
  virtual void FolderTreeChange() = 0;

  HWND Edit1 = nullptr;
  std::unique_ptr<TShellTreeView> FolderTree;  // made with the other controls

 protected:
  TFolderChoicePanel(std::string componentName, std::string title, std::string treeHint);
  // Call once the edit box exists: lets it see the Enter key.
  void HookEdit();
  void CreateFolderTree();
  void Arrange() override;
  // Shows `folder` in the edit box and selects it (or, when it does not exist, its folder part)
  // in the tree. The tree's change handler is detached meanwhile and attached again afterwards,
  // also when the selection fails; a failure is not reported.
  void ProposeFolder(const std::string& folder);
  void DetachChange();
  void AttachChange();

  static std::string GetText(HWND control);
  static void SetText(HWND control, const std::string& text);
  void ShowMessage(const std::string& text) const;
  // The typed folder by the rule for folders (lib/win/FolderRule.h): as that rule wrote it, ending
  // with "\"; or nothing, after a message box that says why it is refused.
  std::optional<std::string> AcceptedFolder(const std::string& typed) const;

 private:
  std::string treeHint_;
};
