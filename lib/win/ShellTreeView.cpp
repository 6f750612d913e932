#include "lib/win/ShellTreeView.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <stdexcept>

#include "lib/win/ShellHelpers.h"
#include "lib/win/WinApp.h"
#include "lib/win/WinText.h"

namespace {

struct TShellInfo {
  std::string Name;
  int Icon = 0, OpenIcon = 0;
};

TShellInfo ShellInfo(const std::string& path) {
  SHFILEINFOW sfi{};
  TShellInfo info;
  const std::wstring wide = Wide(path);
  if (SHGetFileInfoW(wide.c_str(), 0, &sfi, sizeof sfi, SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) {
    info.Name = Utf8(sfi.szDisplayName);
    info.Icon = sfi.iIcon;
  }
  if (SHGetFileInfoW(wide.c_str(), 0, &sfi, sizeof sfi, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON))
    info.OpenIcon = sfi.iIcon;
  else
    info.OpenIcon = info.Icon;
  return info;
}

bool IsListedFolder(const WIN32_FIND_DATAW& fd) {
  if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN)) return false;
  return std::wstring_view(fd.cFileName) != L"." && std::wstring_view(fd.cFileName) != L"..";
}

// The visible sub-folders of `folder` (which ends with a backslash); with `firstOnly`, at most one.
std::vector<std::string> SubFolders(const std::string& folder, bool firstOnly) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileExW(Wide(folder + "*").c_str(), FindExInfoBasic, &fd, FindExSearchLimitToDirectories, nullptr,
                              0);
  if (h == INVALID_HANDLE_VALUE) return {};
  do {
    if (!IsListedFolder(fd)) continue;
    names.push_back(fd.cFileName);
    if (firstOnly) break;
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  std::sort(names.begin(), names.end(),
            [](const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; });
  std::vector<std::string> utf8;
  for (const std::wstring& name : names) utf8.push_back(Utf8(name));
  return utf8;
}

std::string WithSlash(const std::string& path) { return path.ends_with('\\') ? path : path + "\\"; }

}  // namespace

TShellTreeView::TShellTreeView(HWND parent, int left, int top, int width, int height, const std::string& hint,
                               TAddFolderEvent onAddFolder)
    : OnAddFolder(std::move(onAddFolder)), design_{left, top, width, height}, hint_(hint) {
  CreateHandle(L"KvShellTree", WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, Scale(left), Scale(top),
               Scale(width), Scale(height), parent);
  // The hint, as a label never shown, stands before the tree: a screen reader names the tree after it.
  CreateWindowExW(0, L"STATIC", Wide(hint_).c_str(), WS_CHILD | SS_NOPREFIX, 0, 0, 0, 0, Handle(), nullptr,
                  GetModuleHandleW(nullptr), nullptr);
  tree_ = CreateWindowExW(0, WC_TREEVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | TVS_HASLINES | TVS_HASBUTTONS |
                              TVS_SHOWSELALWAYS | TVS_NOTOOLTIPS,
                          0, 0, Scale(width), Scale(height), Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont({})), FALSE);
  TreeView_SetIndent(tree_, Scale(19));
  SHFILEINFOW sfi{};
  auto images = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"C:\\", 0, &sfi, sizeof sfi, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  if (images) TreeView_SetImageList(tree_, images, TVSIL_NORMAL);

  tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, Handle(), nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(tree_);
  std::wstring tip = Wide(hint_);
  tool.lpszText = tip.data();
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));

  // My Computer: the shell's name and icon for it, no path of its own.
  std::wstring name = L"My Computer";
  int icon = 0;
  PIDLIST_ABSOLUTE pidl = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &pidl))) {
    if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(pidl), 0, &sfi, sizeof sfi,
                       SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) {
      name = sfi.szDisplayName;
      icon = sfi.iIcon;
    }
    CoTaskMemFree(pidl);
  }
  nodes_.push_back({"", false});
  TVINSERTSTRUCTW ins{};
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
  std::wstring text = Wide(info.Name.empty() ? name : info.Name);
  nodes_.push_back({path, false});
  TVINSERTSTRUCTW ins{};
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
  TVITEMW tv{};
  tv.mask = TVIF_PARAM;
  tv.hItem = item;
  TreeView_GetItem(tree_, &tv);
  const size_t index = static_cast<size_t>(tv.lParam);
  if (nodes_[index].Listed) return;
  nodes_[index].Listed = true;
  const std::string folder = nodes_[index].Path;
  int added = 0;
  if (folder.empty()) {
    wchar_t drives[256];
    const DWORD n = GetLogicalDriveStringsW(ARRAYSIZE(drives), drives);
    for (const wchar_t* d = drives; n > 0 && n < ARRAYSIZE(drives) && *d; d += lstrlenW(d) + 1) {
      const std::string root = Utf8(d);
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
      TVITEMW tv{};
      tv.mask = TVIF_PARAM;
      tv.hItem = c;
      TreeView_GetItem(tree_, &tv);
      if (SamePath(nodes_[static_cast<size_t>(tv.lParam)].Path, want)) found = c;
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
  TVITEMW tv{};
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
    TVITEMW tv{};
    tv.mask = TVIF_PARAM;
    tv.hItem = c;
    TreeView_GetItem(tree_, &tv);
    paths.push_back(nodes_[static_cast<size_t>(tv.lParam)].Path);
  }
  return paths;
}

void TShellTreeView::Rescale() {
  SetWindowPos(Handle(), nullptr, Scale(design_.left), Scale(design_.top), Scale(design_.right), Scale(design_.bottom),
               SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont({})), TRUE);
  TreeView_SetIndent(tree_, Scale(19));
}

LRESULT TShellTreeView::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    auto* hdr = reinterpret_cast<NMHDR*>(lp);
    if (hdr->hwndFrom == tree_) {
      switch (hdr->code) {
        case TVN_ITEMEXPANDINGW: {
          auto* tv = reinterpret_cast<NMTREEVIEWW*>(lp);
          if (tv->action & TVE_EXPAND) List(tv->itemNew.hItem);
          return FALSE;
        }
        case TVN_SELCHANGEDW:
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
