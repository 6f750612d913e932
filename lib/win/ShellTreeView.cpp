#include "lib/win/ShellTreeView.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <stdexcept>

#include "lib/LIB_Text.h"
#include "lib/win/WinApp.h"

namespace {

struct TShellInfo {
  std::string Name;
  int Icon = 0, OpenIcon = 0;
};

TShellInfo ShellInfo(const std::string& path) {
  SHFILEINFOA sfi{};
  TShellInfo info;
  if (SHGetFileInfoA(path.c_str(), 0, &sfi, sizeof sfi, SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) {
    info.Name = sfi.szDisplayName;
    info.Icon = sfi.iIcon;
  }
  if (SHGetFileInfoA(path.c_str(), 0, &sfi, sizeof sfi, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON))
    info.OpenIcon = sfi.iIcon;
  else
    info.OpenIcon = info.Icon;
  return info;
}

bool IsListedFolder(const WIN32_FIND_DATAA& fd) {
  if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN)) return false;
  return std::string_view(fd.cFileName) != "." && std::string_view(fd.cFileName) != "..";
}

// The visible sub-folders of `folder` (which ends with a backslash); with `firstOnly`, at most one.
std::vector<std::string> SubFolders(const std::string& folder, bool firstOnly) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileExA((folder + "*").c_str(), FindExInfoBasic, &fd, FindExSearchLimitToDirectories, nullptr,
                              0);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (!IsListedFolder(fd)) continue;
    names.push_back(fd.cFileName);
    if (firstOnly) break;
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
  return names;
}

std::string WithSlash(const std::string& path) { return path.ends_with('\\') ? path : path + "\\"; }

}  // namespace

TShellTreeView::TShellTreeView(HWND parent, int left, int top, int width, int height, const std::string& hint,
                               TAddFolderEvent onAddFolder)
    : OnAddFolder(std::move(onAddFolder)), hint_(hint) {
  CreateHandle("KvShellTree", WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, Scale(left), Scale(top),
               Scale(width), Scale(height), parent);
  tree_ = CreateWindowExA(0, WC_TREEVIEWA, "",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | TVS_HASLINES | TVS_HASBUTTONS |
                              TVS_SHOWSELALWAYS | TVS_NOTOOLTIPS,
                          0, 0, Scale(width), Scale(height), Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont({})), FALSE);
  TreeView_SetIndent(tree_, Scale(19));
  SHFILEINFOA sfi{};
  auto images = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA("C:\\", 0, &sfi, sizeof sfi, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  if (images) TreeView_SetImageList(tree_, images, TVSIL_NORMAL);

  tooltip_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, Handle(), nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  TTTOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(tree_);
  tool.lpszText = hint_.data();
  SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));

  // My Computer: the shell's name and icon for it, no path of its own.
  std::string name = "My Computer";
  int icon = 0;
  PIDLIST_ABSOLUTE pidl = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &pidl))) {
    if (SHGetFileInfoA(reinterpret_cast<LPCSTR>(pidl), 0, &sfi, sizeof sfi,
                       SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) {
      name = sfi.szDisplayName;
      icon = sfi.iIcon;
    }
    CoTaskMemFree(pidl);
  }
  nodes_.push_back({"", false});
  TVINSERTSTRUCTA ins{};
  ins.hParent = TVI_ROOT;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
  ins.item.pszText = name.data();
  ins.item.iImage = ins.item.iSelectedImage = icon;
  ins.item.cChildren = 1;
  ins.item.lParam = 0;
  root_ = TreeView_InsertItem(tree_, &ins);
  TreeView_Expand(tree_, root_, TVE_EXPAND);
}

bool TShellTreeView::Admit(const std::string& path, bool fileSystem) const {
  bool canAdd = true;
  if (OnAddFolder) OnAddFolder(path, fileSystem, canAdd);
  return canAdd;
}

HTREEITEM TShellTreeView::Add(HTREEITEM parent, const std::string& path, const std::string& name, bool hasChildren) {
  const TShellInfo info = ShellInfo(path);
  std::string text = info.Name.empty() ? name : info.Name;
  nodes_.push_back({path, false});
  TVINSERTSTRUCTA ins{};
  ins.hParent = parent;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
  ins.item.pszText = text.data();
  ins.item.iImage = info.Icon;
  ins.item.iSelectedImage = info.OpenIcon;
  ins.item.cChildren = hasChildren ? 1 : 0;
  ins.item.lParam = static_cast<LPARAM>(nodes_.size() - 1);
  return TreeView_InsertItem(tree_, &ins);
}

void TShellTreeView::List(HTREEITEM item) {
  TVITEMA tv{};
  tv.mask = TVIF_PARAM;
  tv.hItem = item;
  TreeView_GetItem(tree_, &tv);
  const size_t index = static_cast<size_t>(tv.lParam);
  if (nodes_[index].Listed) return;
  nodes_[index].Listed = true;
  const std::string folder = nodes_[index].Path;
  int added = 0;
  if (folder.empty()) {
    char drives[256];
    const DWORD n = GetLogicalDriveStringsA(sizeof drives, drives);
    for (const char* d = drives; n > 0 && n < sizeof drives && *d; d += lstrlenA(d) + 1) {
      const std::string root = d;
      if (!Admit(root, true)) continue;
      Add(item, root, root, !SubFolders(root, true).empty());
      ++added;
    }
  } else {
    for (const std::string& name : SubFolders(WithSlash(folder), false)) {
      const std::string path = WithSlash(folder) + name;
      if (!Admit(path, true)) continue;
      Add(item, path, name, !SubFolders(WithSlash(path), true).empty());
      ++added;
    }
  }
  if (added == 0) {
    tv.mask = TVIF_CHILDREN;
    tv.cChildren = 0;
    TreeView_SetItem(tree_, &tv);
  }
}

HTREEITEM TShellTreeView::Find(const std::string& path) {
  std::string rest = path;
  if (rest.size() > 3 && rest.ends_with('\\')) rest.pop_back();
  if (rest.size() < 3 || rest[1] != ':' || rest[2] != '\\') throw std::runtime_error("Not a folder: " + path);
  HTREEITEM item = root_;
  std::string want = rest.substr(0, 3);
  size_t at = 3;
  for (;;) {
    List(item);
    HTREEITEM found = nullptr;
    for (HTREEITEM c = TreeView_GetChild(tree_, item); c && !found; c = TreeView_GetNextSibling(tree_, c)) {
      TVITEMA tv{};
      tv.mask = TVIF_PARAM;
      tv.hItem = c;
      TreeView_GetItem(tree_, &tv);
      if (LowerCase(nodes_[static_cast<size_t>(tv.lParam)].Path) == LowerCase(want)) found = c;
    }
    if (!found) throw std::runtime_error("Folder not found: " + path);
    item = found;
    if (at >= rest.size()) return item;
    const size_t end = std::min(rest.find('\\', at), rest.size());
    want = WithSlash(want) + rest.substr(at, end - at);
    at = end + 1;
  }
}

void TShellTreeView::SetPath(const std::string& path) {
  HTREEITEM item = Find(path);
  TreeView_SelectItem(tree_, item);
}

std::string TShellTreeView::Path() const {
  HTREEITEM item = TreeView_GetSelection(tree_);
  if (!item) return "";
  TVITEMA tv{};
  tv.mask = TVIF_PARAM;
  tv.hItem = item;
  TreeView_GetItem(tree_, &tv);
  return nodes_[static_cast<size_t>(tv.lParam)].Path;
}

bool TShellTreeView::HasSelection() const { return TreeView_GetSelection(tree_) != nullptr; }

void TShellTreeView::MakeSelectionVisible() {
  if (HTREEITEM item = TreeView_GetSelection(tree_)) TreeView_EnsureVisible(tree_, item);
}

std::vector<std::string> TShellTreeView::ChildPaths(const std::string& path) {
  HTREEITEM item = path.empty() ? root_ : Find(path);
  List(item);
  std::vector<std::string> paths;
  for (HTREEITEM c = TreeView_GetChild(tree_, item); c; c = TreeView_GetNextSibling(tree_, c)) {
    TVITEMA tv{};
    tv.mask = TVIF_PARAM;
    tv.hItem = c;
    TreeView_GetItem(tree_, &tv);
    paths.push_back(nodes_[static_cast<size_t>(tv.lParam)].Path);
  }
  return paths;
}

LRESULT TShellTreeView::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    auto* hdr = reinterpret_cast<NMHDR*>(lp);
    if (hdr->hwndFrom == tree_) {
      switch (hdr->code) {
        case TVN_ITEMEXPANDINGA: {
          auto* tv = reinterpret_cast<NMTREEVIEWA*>(lp);
          if (tv->action & TVE_EXPAND) List(tv->itemNew.hItem);
          return FALSE;
        }
        case TVN_SELCHANGEDA:
          if (OnChange) OnChange();
          return 0;
        case NM_RCLICK: {
          // A right click selects, as a left click does.
          TVHITTESTINFO hit{};
          GetCursorPos(&hit.pt);
          ScreenToClient(tree_, &hit.pt);
          if (HTREEITEM item = TreeView_HitTest(tree_, &hit)) TreeView_SelectItem(tree_, item);
          return 0;
        }
      }
    }
  }
  if (msg == WM_SIZE) MoveWindow(tree_, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
  return Default(msg, wp, lp);
}
