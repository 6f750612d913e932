#include "lib/win/Controls.h"

#include <commctrl.h>

#include "lib/win/Pictures.h"
#include "lib/win/WinHandles.h"
#include "lib/win/WinText.h"

HBRUSH GetBrush(COLORREF colour) {
  static std::map<COLORREF, TBrushHandle> brushes;
  auto it = brushes.find(colour);
  if (it == brushes.end()) it = brushes.emplace(colour, TBrushHandle(CreateSolidBrush(colour))).first;
  return it->second.get();
}

std::string TextOf(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return Utf8(text);
}

void SetTextOf(HWND window, std::string_view text) { SetWindowTextW(window, Wide(text).c_str()); }

LRESULT EraseWith(HWND window, WPARAM dc, COLORREF colour) {
  RECT r;
  GetClientRect(window, &r);
  FillRect(reinterpret_cast<HDC>(dc), &r, GetBrush(colour));
  return 1;
}

namespace {

// A plain coloured panel inside a host; it hands its children's notifications up to the host.
class TContainer : public TWindow {
 public:
  TContainer(HWND parent, int x, int y, int w, int h, COLORREF colour, DWORD style) : colour_(colour) {
    CreateHandle(L"KvContainer", WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | style, x, y, w, h,
                 parent);
  }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_ERASEBKGND:
        return EraseWith(Handle(), wp, colour_);
      case WM_COMMAND:
      case WM_NOTIFY:
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX:
        return SendMessageW(GetParent(Handle()), msg, wp, lp);
    }
    return Default(msg, wp, lp);
  }

 private:
  COLORREF colour_;
};

// Shows a picture resource fitted to its size. Decoding waits for the first paint: most panels
// stay hidden for the whole run, and decoding them all would delay the wizard's first frame.
class TPictureBox : public TWindow {
 public:
  TPictureBox(HWND parent, int x, int y, int w, int h, const char* resource) : resource_(resource) {
    CreateHandle(L"KvPicture", 0, WS_CHILD | WS_VISIBLE, x, y, w, h, parent);
  }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_ERASEBKGND) return 1;
    if (msg != WM_PAINT) return Default(msg, wp, lp);
    RECT r;
    GetClientRect(Handle(), &r);
    if (!decoded_) {
      decoded_ = true;
      bitmap_ = LoadPicture(resource_, r.right, r.bottom);
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    if (bitmap_) {
      HDC mem = CreateCompatibleDC(dc);
      {
        TSelectGuard sel(mem, bitmap_.get());
        BitBlt(dc, 0, 0, r.right, r.bottom, mem, 0, 0, SRCCOPY);
      }
      DeleteDC(mem);
    } else {
      FillRect(dc, &r, reinterpret_cast<HBRUSH>(
                           SendMessageW(GetParent(Handle()), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                        reinterpret_cast<LPARAM>(Handle()))));
    }
    EndPaint(Handle(), &ps);
    return 0;
  }

 private:
  const char* resource_;
  bool decoded_ = false;
  TBitmapHandle bitmap_;
};

struct TClassInfo {
  const wchar_t* Class;
  DWORD Style;
  DWORD ExStyle;
};

TClassInfo ClassOf(TKind kind) {
  switch (kind) {
    case TKind::Label: return {L"STATIC", SS_LEFT | SS_NOTIFY | SS_NOPREFIX, 0};
    case TKind::StaticText:
    case TKind::Name: return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
    case TKind::Button: return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case TKind::CheckBox: return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case TKind::RadioButton: return {L"BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP, 0};
    case TKind::GroupBox: return {L"BUTTON", BS_GROUPBOX, WS_EX_TRANSPARENT};
    case TKind::Edit: return {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, 0};
    case TKind::Memo:
      return {L"EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP | WS_BORDER, 0};
    case TKind::ComboList: return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
    case TKind::ProgressBar: return {PROGRESS_CLASSW, PBS_SMOOTH, 0};
    case TKind::Panel:
    case TKind::Picture: return {nullptr, 0, 0};
  }
  return {L"STATIC", 0, 0};
}

}  // namespace

HWND TControlHost::Create(TKind kind, HWND parent, int x, int y, int w, int h, const char* text,
                          const TFontSpec& font, DWORD style, TInfo info) {
  HWND hwnd;
  if (kind == TKind::Panel) {
    auto c = std::make_unique<TContainer>(parent, Scale(x), Scale(y), Scale(w), Scale(h),
                                          info.Back == clNone ? Color : info.Back, style);
    hwnd = c->Handle();
    owned_.push_back(std::move(c));
  } else if (kind == TKind::Picture) {
    auto p = std::make_unique<TPictureBox>(parent, Scale(x), Scale(y), Scale(w), Scale(h), text);
    hwnd = p->Handle();
    owned_.push_back(std::move(p));
  } else {
    const TClassInfo ci = ClassOf(kind);
    const std::wstring caption = Wide(text);
    if (kind != TKind::Name) style |= WS_VISIBLE;
    if (w == 0 && (kind == TKind::Label || kind == TKind::StaticText)) {
      // Auto-sized label or static text: as wide and high as its text in its font. One memory DC
      // measures them all; a window DC per label costs a round trip to the window system each.
      static HDC dc = CreateCompatibleDC(nullptr);
      TSelectGuard sel(dc, GetFont(font));
      RECT r{0, 0, 0, 0};
      DrawTextW(dc, caption.c_str(), -1, &r, DT_CALCRECT | DT_NOPREFIX);
      hwnd = CreateWindowExW(ci.ExStyle, ci.Class, caption.c_str(), WS_CHILD | ci.Style | style, Scale(x),
                             Scale(y), r.right + 1, r.bottom, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    } else {
      hwnd = CreateWindowExW(ci.ExStyle, ci.Class, caption.c_str(), WS_CHILD | ci.Style | style, Scale(x),
                             Scale(y), Scale(w), Scale(h), parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont(font)), FALSE);
  }
  controls_.emplace(hwnd, std::move(info));
  return hwnd;
}

COLORREF TControlHost::BackOf(HWND control) const {
  for (HWND h = control; h && h != Handle(); h = GetParent(h)) {
    auto it = controls_.find(h);
    if (it != controls_.end() && it->second.Back != clNone) return it->second.Back;
  }
  return Color;
}

LRESULT TControlHost::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return EraseWith(Handle(), wp, Color);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HWND control = reinterpret_cast<HWND>(lp);
      HDC dc = reinterpret_cast<HDC>(wp);
      auto it = controls_.find(control);
      if (it != controls_.end() && it->second.Text != clNone) SetTextColor(dc, it->second.Text);
      SetBkMode(dc, TRANSPARENT);
      const COLORREF back = BackOf(control);
      SetBkColor(dc, back);
      return reinterpret_cast<LRESULT>(GetBrush(back));
    }
    case WM_CTLCOLOREDIT: {
      HWND control = reinterpret_cast<HWND>(lp);
      auto it = controls_.find(control);
      if (it == controls_.end() || it->second.Back == clNone) break;
      HDC dc = reinterpret_cast<HDC>(wp);
      if (it->second.Text != clNone) SetTextColor(dc, it->second.Text);
      SetBkColor(dc, it->second.Back);
      return reinterpret_cast<LRESULT>(GetBrush(it->second.Back));
    }
    case WM_SETCURSOR: {
      // A label that reacts to a click is a link: it shows the hand.
      HWND control = reinterpret_cast<HWND>(wp);
      auto it = controls_.find(control);
      wchar_t cls[8];
      if (it != controls_.end() && it->second.OnClick && GetClassNameW(control, cls, ARRAYSIZE(cls)) &&
          lstrcmpiW(cls, L"Static") == 0) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    }
    case WM_COMMAND: {
      auto it = controls_.find(reinterpret_cast<HWND>(lp));
      if (it == controls_.end()) break;
      const int code = HIWORD(wp);
      const TInfo& info = it->second;
      if ((code == BN_CLICKED || code == STN_CLICKED) && info.OnClick) info.OnClick();
      else if ((code == EN_CHANGE || code == CBN_SELCHANGE) && info.OnChange) info.OnChange();
      else if ((code == EN_KILLFOCUS || code == CBN_KILLFOCUS) && info.OnExit) info.OnExit();
      return 0;
    }
  }
  return Default(msg, wp, lp);
}
