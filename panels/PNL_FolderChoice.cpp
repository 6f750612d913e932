#include "panels/PNL_FolderChoice.h"

#include <commctrl.h>

#include "lib/LIB_InstallPaths.h"
#include "lib/LIB_Text.h"
#include "lib/win/FolderRule.h"
#include "lib/win/WinText.h"
#include "wizard/Form_Main.h"

namespace {
constexpr wchar_t kPanelProp[] = L"KvFolderPanel", kEditProcProp[] = L"KvEditProc";

// The edit box's own procedure, kept when it was subclassed.
LRESULT EditDefault(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return CallWindowProcW(reinterpret_cast<WNDPROC>(GetPropW(hwnd, kEditProcProp)), hwnd, msg, wp, lp);
}

// The dialog manager keeps Enter for itself; the edit box asks for it and hands it to the panel.
LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  auto* panel = reinterpret_cast<TFolderChoicePanel*>(GetPropW(hwnd, kPanelProp));
  if (msg == WM_GETDLGCODE) {
    const auto* m = reinterpret_cast<const MSG*>(lp);
    const LRESULT code = EditDefault(hwnd, msg, wp, lp);
    if (m && (m->message == WM_KEYDOWN || m->message == WM_CHAR) && m->wParam == VK_RETURN)
      return code | DLGC_WANTMESSAGE;
    return code;
  }
  // The panel's keys are ASCII; other characters go to the box as typed.
  if (msg == WM_CHAR && wp < 0x80) {
    char key = static_cast<char>(wp);
    Dispatch([&] { panel->Edit1KeyPress(key); });
    if (key == 0 || wp == '\r') return 0;  // a single-line box has no use for Enter
    wp = static_cast<unsigned char>(key);
  }
  return EditDefault(hwnd, msg, wp, lp);
}
}  // namespace

TFolderChoicePanel::TFolderChoicePanel(std::string componentName, std::string title, std::string treeHint)
    : TFramePanel(std::move(componentName), std::move(title), {.GoOn = "&Next", .Previous = true}),
      treeHint_(std::move(treeHint)) {}

TFolderChoicePanel::~TFolderChoicePanel() {
  if (!Edit1) return;
  SetWindowLongPtrW(Edit1, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GetPropW(Edit1, kEditProcProp)));
  RemovePropW(Edit1, kEditProcProp);
  RemovePropW(Edit1, kPanelProp);
}

// A plain subclass, without the common controls' helpers: they are not imported.
void TFolderChoicePanel::HookEdit() {
  SetPropW(Edit1, kPanelProp, this);
  SetPropW(Edit1, kEditProcProp,
           reinterpret_cast<HANDLE>(SetWindowLongPtrW(Edit1, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProc))));
}

void TFolderChoicePanel::CreateFolderTree() {
  FolderTree = std::make_unique<TShellTreeView>(Handle(), 288, 40, 393, 289, treeHint_, &FolderTreeAddFolder);
}

void TFolderChoicePanel::Arrange() { FolderTree->Rescale(); }

void TFolderChoicePanel::FolderTreeAddFolder(const std::string& Folder, bool FileSystem, bool& CanAdd) {
  std::string root = Folder.substr(0, 3);
  for (char& c : root)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  CanAdd = GetDriveTypeW(Wide(root).c_str()) == DRIVE_FIXED;
  if (!FileSystem) CanAdd = false;
}

void TFolderChoicePanel::DetachChange() { FolderTree->OnChange = nullptr; }
void TFolderChoicePanel::AttachChange() {
  FolderTree->OnChange = [this] { FolderTreeChange(); };
}

void TFolderChoicePanel::ProposeFolder(const std::string& folder) {
  try {
    SetText(Edit1, folder);
    DetachChange();
    FolderTree->SetPath(DirectoryExists(folder) ? folder : FolderPart(folder));
    FolderTree->MakeSelectionVisible();
  } catch (...) {
    // The tree keeps its selection; the proposal stands in the edit box all the same.
  }
  AttachChange();
}

void TFolderChoicePanel::SyncTree() {
  DetachChange();
  try {
    std::string t = GetText(Edit1);
    if (DirectoryExists(t)) {
      FolderTree->SetPath(t);
    } else {
      if (t.ends_with('\\')) t.pop_back();
      FolderTree->SetPath(FolderPart(t));
    }
    FolderTree->MakeSelectionVisible();
  } catch (...) {
    // A typed path that leads nowhere leaves the tree as it was.
  }
  AttachChange();
}

void TFolderChoicePanel::Edit1KeyPress(char& Key) {
  if (Key == '\r') SyncTree();
}

std::string TFolderChoicePanel::GetText(HWND control) {
  return TextOf(control);
}

void TFolderChoicePanel::SetText(HWND control, const std::string& text) { SetTextOf(control, text); }

std::optional<std::string> TFolderChoicePanel::AcceptedFolder(const std::string& typed) const {
  const TCheckedFolder checked = CheckFolder(typed);
  if (checked.Fault == TFolderFault::None) return checked.Folder;
  ShowMessage(FolderFaultMessage(checked.Fault));
  return std::nullopt;
}

void TFolderChoicePanel::ShowMessage(const std::string& text) const {
  MessageBoxW(Frame().Handle(), Wide(text).c_str(), L"Install Korvane P2P", MB_OK);
}
