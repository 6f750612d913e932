// A folder tree like the shell's: My Computer at the root, the drives and their folders below
// it, each level listed when it is first opened, with the shell's own icons.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "lib/win/Window.h"

class TShellTreeView : public TWindow {
 public:
  // Admission filter, asked for every drive and folder about to be listed: its full path and
  // whether it is a file-system folder.
  using TAddFolderEvent = std::function<void(const std::string& Path, bool FileSystem, bool& CanAdd)>;

  // Place in design pixels within `parent`; `hint` is shown when the mouse rests on the tree.
  // The drives are listed at once, through the filter.
  TShellTreeView(HWND parent, int left, int top, int width, int height, const std::string& hint,
                 TAddFolderEvent onAddFolder);

  TAddFolderEvent OnAddFolder;
  // Selection changed; detach it (empty) around a selection the program makes.
  std::function<void()> OnChange;

  // Selects a folder, listing the levels on the way. Raises when the path does not lead to a
  // listed folder; the selection stays as it was then.
  void SetPath(const std::string& path);
  // The path of the selected folder; empty when nothing or My Computer is selected.
  std::string Path() const;
  bool HasSelection() const;
  void MakeSelectionVisible();
  // Places and draws the tree again at the current DPI.
  void Rescale();

  // The paths listed below the folder `path` ("" is My Computer).
  std::vector<std::string> ChildPaths(const std::string& path);
  HWND Tree() const { return tree_; }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  struct TNode {
    std::string Path;
    bool Listed = false;
  };
  HTREEITEM Add(HTREEITEM parent, const std::string& path, const std::string& name, bool hasChildren);
  void List(HTREEITEM item);
  HTREEITEM Find(const std::string& path);
  bool Admit(const std::string& path, bool fileSystem) const;

  RECT design_;  // left, top, width, height in design pixels
  HWND tree_ = nullptr, tooltip_ = nullptr;
  HTREEITEM root_ = nullptr;
  std::string hint_;
  std::vector<TNode> nodes_;  // an item's lParam is its index here
};
