#include "lib/win/Controls.h"

#include <commctrl.h>

#include <algorithm>

#include "lib/win/Pictures.h"
#include "lib/win/WinHandles.h"
#include "lib/win/WinText.h"

HBRUSH GetBrush(COLORREF colour) {
  // A handful of colours: a list costs the download less than a tree.
  static std::vector<std::pair<COLORREF, TBrushHandle>> brushes;
  for (const auto& [c, brush] : brushes)
    if (c == colour) return brush.get();
  return brushes.emplace_back(colour, TBrushHandle(CreateSolidBrush(colour))).second.get();
}

namespace {
std::wstring WideTextOf(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}
}  // namespace

std::string TextOf(HWND window) { return Utf8(WideTextOf(window)); }

namespace {
// The host of every control a host made, for the texts set through SetTextOf.
std::vector<std::pair<HWND, TControlHost*>> gHosts;
}  // namespace

void SetTextOf(HWND window, std::string_view text) {
  SetWindowTextW(window, Wide(text).c_str());
  for (const auto& [control, host] : gHosts)
    if (control == window) return host->Fit(window);
}

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
    if (msg == WM_SIZE) {
      // At another DPI the picture is decoded again at its new size, when next painted.
      decoded_ = false;
      bitmap_.reset();
      InvalidateRect(Handle(), nullptr, FALSE);
    }
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

bool IsText(TKind kind) { return kind == TKind::Label || kind == TKind::StaticText; }

// One memory DC measures every text; a window DC per control costs a round trip to the window
// system each.
HDC MeasureDC() {
  static HDC dc = CreateCompatibleDC(nullptr);
  return dc;
}

// The size a static control's text takes in `font`: wrapped at `width`, or on its own lines
// when `width` is 0.
SIZE TextSize(const std::wstring& text, HFONT font, int width, UINT format = DT_NOPREFIX | DT_EXPANDTABS) {
  TSelectGuard sel(MeasureDC(), font);
  RECT r{0, 0, width, 0};
  DrawTextW(MeasureDC(), text.c_str(), -1, &r, DT_CALCRECT | format | (width ? DT_WORDBREAK : 0));
  return {r.right, r.bottom};
}

// What a button's caption cannot use of its client width: the edges of a push button, the box
// of a check box or radio button and the gap before its text, the indent of a frame's caption.
int CaptionInset(TKind kind) {
  switch (kind) {
    case TKind::Button: return 2 * Scale(3);
    case TKind::CheckBox:
    case TKind::RadioButton: return Scale(13 + 3);
    case TKind::GroupBox: return Scale(8 + 8);
    default: return -1;
  }
}

// Where `rect` (in its parent's client coordinates) can grow down to: the top of the first
// window of the same parent below it that it would run into, or the parent's bottom.
int FreeBottom(HWND control, const RECT& rect) {
  HWND parent = GetParent(control);
  RECT client;
  GetClientRect(parent, &client);
  int bottom = client.bottom;
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (h == control || !(GetWindowLongPtrW(h, GWL_STYLE) & WS_VISIBLE)) continue;
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    if (r.top > rect.top && r.left < rect.right && r.right > rect.left) bottom = std::min<int>(bottom, r.top);
  }
  return std::max<int>(bottom, rect.bottom);
}
}  // namespace

void TControlHost::BuildTable(std::span<const TControlDecl<TControlHost>> decls) {
  std::vector<HWND> made;
  for (const auto& d : decls) {
    TInfo info{d.TextColor, d.BackColor, {}, {}, {}};
    if (d.OnClick) info.OnClick = [this, f = d.OnClick] { (this->*f)(); };
    if (d.OnChange) info.OnChange = [this, f = d.OnChange] { (this->*f)(); };
    if (d.OnExit) info.OnExit = [this, f = d.OnExit] { (this->*f)(); };
    made.push_back(Create(d.Kind, d.Parent ? this->*(d.Parent) : Handle(), d.Left, d.Top, d.Width, d.Height, d.Text,
                          d.Font, d.Style, std::move(info)));
    if (d.Field) this->*(d.Field) = made.back();
  }
  // Free space is known only once every control of the table stands.
  for (HWND h : made) Fit(h);
}

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
    if (kind != TKind::Name) style |= WS_VISIBLE;
    hwnd = CreateWindowExW(ci.ExStyle, ci.Class, Wide(text).c_str(), WS_CHILD | ci.Style | style,
                           Scale(x), Scale(y), Scale(w), Scale(h), parent, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont(font)), FALSE);
  }
  controls_.emplace_back(hwnd, TControl{kind, RECT{x, y, w, h}, font, std::move(info)});
  gHosts.emplace_back(hwnd, this);
  // An auto-sized text takes its size now; a fixed one waits for the rest of its table.
  if (w == 0) Fit(hwnd);
  return hwnd;
}

TControlHost::~TControlHost() {
  std::erase_if(gHosts, [this](const auto& entry) { return entry.second == this; });
}

void TControlHost::Fit(HWND hwnd) {
  const TControl* found = Find(hwnd);
  if (!found) return;
  const TControl& c = *found;
  const std::wstring text = WideTextOf(hwnd);
  HFONT font = GetFont(c.Font);
  if (const int inset = CaptionInset(c.Kind); inset >= 0) {
    // A button's caption stays on its line: all it can do is take the smaller font.
    RECT client;
    GetClientRect(hwnd, &client);
    const SIZE size = TextSize(text, font, 0, 0);
    if (size.cx > client.right - inset || size.cy > client.bottom) font = GetFont(c.Font, 1);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return;
  }
  if (!IsText(c.Kind)) return;
  RECT r{Scale(c.Design.left), Scale(c.Design.top), Scale(c.Design.left + c.Design.right),
         Scale(c.Design.top + c.Design.bottom)};
  if (c.Design.right == 0) {
    // Auto-sized: as wide and high as its text, as far as its parent reaches.
    const SIZE size = TextSize(text, font, 0);
    RECT parent;
    GetClientRect(GetParent(hwnd), &parent);
    r.right = std::min<int>(r.left + size.cx + 1, std::max<int>(parent.right, r.left + 1));
    r.bottom = r.top + size.cy;
  }
  const int width = r.right - r.left;
  SIZE size = TextSize(text, font, width);
  if (size.cx > width || size.cy > r.bottom - r.top) {
    const int room = FreeBottom(hwnd, r) - r.top;
    if (size.cx > width || size.cy > room) {
      font = GetFont(c.Font, 1);
      size = TextSize(text, font, width);
    }
    r.bottom = r.top + std::clamp<int>(size.cy, r.bottom - r.top, room);
  }
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(hwnd, nullptr, TRUE);
}

void TControlHost::Rescale() {
  for (const auto& [hwnd, c] : controls_) {
    SetWindowPos(hwnd, nullptr, Scale(c.Design.left), Scale(c.Design.top), Scale(c.Design.right),
                 Scale(c.Design.bottom), SWP_NOZORDER | SWP_NOACTIVATE);
    if (c.Kind != TKind::Panel && c.Kind != TKind::Picture)
      SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont(c.Font)), TRUE);
  }
  for (const auto& [hwnd, c] : controls_) Fit(hwnd);
  Arrange();
}

const TControlHost::TControl* TControlHost::Find(HWND control) const {
  for (const auto& [hwnd, c] : controls_)
    if (hwnd == control) return &c;
  return nullptr;
}

COLORREF TControlHost::BackOf(HWND control) const {
  for (HWND h = control; h && h != Handle(); h = GetParent(h)) {
    if (const TControl* c = Find(h); c && c->Info.Back != clNone) return c->Info.Back;
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
      if (const TControl* c = Find(control); c && c->Info.Text != clNone) SetTextColor(dc, c->Info.Text);
      SetBkMode(dc, TRANSPARENT);
      const COLORREF back = BackOf(control);
      SetBkColor(dc, back);
      return reinterpret_cast<LRESULT>(GetBrush(back));
    }
    case WM_CTLCOLOREDIT: {
      HWND control = reinterpret_cast<HWND>(lp);
      const TControl* c = Find(control);
      if (!c || c->Info.Back == clNone) break;
      HDC dc = reinterpret_cast<HDC>(wp);
      if (c->Info.Text != clNone) SetTextColor(dc, c->Info.Text);
      SetBkColor(dc, c->Info.Back);
      return reinterpret_cast<LRESULT>(GetBrush(c->Info.Back));
    }
    case WM_SETCURSOR: {
      // A label that reacts to a click is a link: it shows the hand.
      HWND control = reinterpret_cast<HWND>(wp);
      const TControl* c = Find(control);
      wchar_t cls[8];
      if (c && c->Info.OnClick && GetClassNameW(control, cls, ARRAYSIZE(cls)) &&
          lstrcmpiW(cls, L"Static") == 0) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    }
    case WM_COMMAND: {
      const TControl* c = Find(reinterpret_cast<HWND>(lp));
      if (!c) break;
      const int code = HIWORD(wp);
      const TInfo& info = c->Info;
      if ((code == BN_CLICKED || code == STN_CLICKED) && info.OnClick) info.OnClick();
      else if ((code == EN_CHANGE || code == CBN_SELCHANGE) && info.OnChange) info.OnChange();
      else if ((code == EN_KILLFOCUS || code == CBN_KILLFOCUS) && info.OnExit) info.OnExit();
      return 0;
    }
  }
  return Default(msg, wp, lp);
}
