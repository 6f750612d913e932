#include "wizard/KVI_ButtonBar.h"

#include "lib/win/Accessible.h"
#include "lib/win/Controls.h"
#include "lib/win/WinApp.h"
#include "lib/win/WinHandles.h"

namespace {
// One scheme for every bar of the program; black until SetColors is first called.
struct {
  COLORREF Font = 0, Button = 0, Light = 0, Shadow = 0;
} gScheme;

// An accessibility client's press, carried out once its call has returned: the handler may
// slide panels for a second or open a modal box, and the client must not wait for that.
constexpr UINT kPressLater = WM_APP + 1;

// "&Next" as a screen reader says it: "Next"; "&&" stands for one "&".
std::string Spoken(const std::string& caption) {
  std::string text;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    text += caption[i];
  }
  return text;
}
}  // namespace

// The buttons have no window of their own: this object names them, places them and presses
// them for screen readers.
class tKvButtonBar::TBarAccessible : public TAccessible {
 public:
  explicit TBarAccessible(tKvButtonBar& bar) : TAccessible(bar.Handle()), bar_(bar) {}

 protected:
  long Children() const override { return static_cast<long>(bar_.Shown().size()); }
  std::string Name(long child) const override { return child ? Spoken(Button(child).Caption) : ""; }
  long Role(long child) const override { return child ? ROLE_SYSTEM_PUSHBUTTON : ROLE_SYSTEM_TOOLBAR; }
  long State(long child) const override {
    if (!child) return IsWindowVisible(Window()) ? 0 : STATE_SYSTEM_INVISIBLE;
    return STATE_SYSTEM_FOCUSABLE | (Button(child).Pressed ? STATE_SYSTEM_PRESSED : 0);
  }
  std::string Shortcut(long child) const override {
    const char key = child ? Button(child).Accelerator() : 0;
    if (!key) return "";
    return std::string("Alt+") + static_cast<char>(key >= 'a' && key <= 'z' ? key - 'a' + 'A' : key);
  }
  std::string DefaultAction(long child) const override { return child ? "Press" : ""; }
  void DoDefaultAction(long child) override {
    PostMessageW(Window(), kPressLater, bar_.clears_, reinterpret_cast<LPARAM>(&Button(child)));
  }
  RECT ChildRect(long child) const override {
    const TLbSpeedButton& b = Button(child);
    return {Scale(b.Left), Scale(b.Top), Scale(b.Left + b.Width), Scale(b.Top + b.Height)};
  }

 private:
  TLbSpeedButton& Button(long child) const { return *bar_.Shown()[child - 1]; }
  tKvButtonBar& bar_;
};

tKvButtonBar::tKvButtonBar(HWND parent, int left, int top, int width) : Width(width) {
  CreateHandle(L"KvButtonBar", 0, WS_CHILD | WS_VISIBLE, Scale(left), Scale(top), Scale(width), Scale(Height), parent);
}

tKvButtonBar::~tKvButtonBar() {
  if (accessible_) {
    accessible_->Disconnect();
    accessible_->Release();
  }
}

std::vector<TLbSpeedButton*> tKvButtonBar::Shown() {
  std::vector<TLbSpeedButton*> shown;
  for (int k = 0; k < leftCount_; ++k) shown.push_back(&left_[k]);
  for (int k = rightCount_ - 1; k >= 0; --k) shown.push_back(&right_[k]);
  return shown;
}

int tKvButtonBar::WidthOf(unsigned char code) {
  switch (code) {
    case 0: return 30;
    case 1: return 90;
    case 2: return 120;
    case 3: return 200;
    default: return 99;
  }
}

void tKvButtonBar::Clear() {
  for (auto* stock : {&left_, &right_})
    for (auto& b : *stock) b.Visible = false;
  leftCount_ = rightCount_ = 0;
  ++clears_;
  down_ = nullptr;
  InvalidateRect(Handle(), nullptr, FALSE);
}

void tKvButtonBar::Add(std::array<TLbSpeedButton, Slots>& stock, int& count, int x, int w,
                       const std::string& caption, int id, TNotifyEvent onClick) {
  TLbSpeedButton& b = stock[count++];
  b.Height = 23;
  b.Top = (Height - 23) / 2;
  b.Left = x;
  b.Width = w;
  b.ColorLight = gScheme.Light;
  b.ColorShadow = gScheme.Shadow;
  b.OnClick = std::move(onClick);
  b.Tag = id;
  b.Color = gScheme.Button;
  b.FontColor = gScheme.Font;
  b.FontBold = true;
  b.Style = TButtonStyle::bsModern;
  b.Caption = caption;
  b.Pressed = false;
  b.Visible = true;
  Repaint(b);
}

void tKvButtonBar::AddLeft(const std::string& Caption, int ID, unsigned char WidthCode, TNotifyEvent OnClick) {
  if (leftCount_ == Slots) return;
  int x = 5;
  for (int k = 0; k < leftCount_; ++k) x += left_[k].Width + 5;
  Add(left_, leftCount_, x, WidthOf(WidthCode), Caption, ID, std::move(OnClick));
}

void tKvButtonBar::AddRight(const std::string& Caption, int ID, unsigned char WidthCode, TNotifyEvent OnClick) {
  if (rightCount_ == Slots) return;
  const int w = WidthOf(WidthCode);
  int x = Width - w - 5;
  for (int k = 0; k < rightCount_; ++k) x -= right_[k].Width + 5;
  Add(right_, rightCount_, x, w, Caption, ID, std::move(OnClick));
}

void tKvButtonBar::SetColors(COLORREF FontColour, COLORREF ShadowColour, COLORREF ButtonColour,
                             COLORREF LightColour, COLORREF BarColour) {
  color_ = BarColour;
  auto recolour = [&](std::array<TLbSpeedButton, Slots>& stock, int count) {
    for (int k = 0; k < count; ++k) {
      stock[k].Color = ButtonColour;
      stock[k].FontColor = FontColour;
      stock[k].ColorLight = LightColour;
      stock[k].ColorShadow = ShadowColour;
    }
  };
  recolour(left_, leftCount_);
  recolour(right_, rightCount_);
  gScheme = {FontColour, ButtonColour, LightColour, ShadowColour};
  InvalidateRect(Handle(), nullptr, FALSE);
}

void tKvButtonBar::Repaint(const TLbSpeedButton& b) {
  RECT r{Scale(b.Left), Scale(b.Top), Scale(b.Left + b.Width), Scale(b.Top + b.Height)};
  InvalidateRect(Handle(), &r, FALSE);
}

void tKvButtonBar::Fire(TLbSpeedButton& button) {
  // The handler may clear the bar and hand this very button out again: run a copy. An
  // accelerator key fires it from the message loop, outside any window procedure, so the
  // funnel is needed here too.
  TNotifyEvent handler = button.OnClick;
  if (handler) Dispatch([&] { handler(button); });
}

bool tKvButtonBar::Accelerate(char key) {
  if (!key || !IsWindowVisible(Handle())) return false;
  if (key >= 'A' && key <= 'Z') key = static_cast<char>(key - 'A' + 'a');
  for (auto* stock : {&left_, &right_}) {
    for (auto& b : *stock) {
      if (!b.Visible || !b.Enabled || b.Accelerator() != key) continue;
      Press(b);
      return true;
    }
  }
  return false;
}

void tKvButtonBar::Press(TLbSpeedButton& b) {
  const bool was = b.Pressed;
  b.Pressed = true;
  Repaint(b);
  UpdateWindow(Handle());
  Fire(b);
  b.Pressed = was;
  Repaint(b);
}

TLbSpeedButton* tKvButtonBar::HitTest(LPARAM lp) {
  const int x = MulDiv(static_cast<short>(LOWORD(lp)), 96, ScreenDpi());
  const int y = MulDiv(static_cast<short>(HIWORD(lp)), 96, ScreenDpi());
  for (auto* stock : {&left_, &right_})
    for (auto& b : *stock)
      if (b.Visible && b.Enabled && b.Contains(x, y)) return &b;
  return nullptr;
}

LRESULT tKvButtonBar::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(Handle(), &ps);
      {
        TBufferedPaint buffer(dc, ps.rcPaint);
        FillRect(buffer.dc(), &ps.rcPaint, GetBrush(color_));
        for (auto* stock : {&left_, &right_})
          for (auto& b : *stock)
            if (b.Visible) b.Paint(buffer.dc());
      }
      EndPaint(Handle(), &ps);
      return 0;
    }
    // Pressing a button never takes the keyboard focus: the bar does not call SetFocus.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      down_ = HitTest(lp);
      if (down_) {
        down_->Pressed = true;
        Repaint(*down_);
        SetCapture(Handle());
      }
      return 0;
    case WM_MOUSEMOVE:
      if (down_) {
        const bool inside = HitTest(lp) == down_;
        if (inside != down_->Pressed) {
          down_->Pressed = inside;
          Repaint(*down_);
        }
      }
      return 0;
    case WM_LBUTTONUP: {
      TLbSpeedButton* pressed = down_;
      down_ = nullptr;
      if (GetCapture() == Handle()) ReleaseCapture();
      if (!pressed) return 0;
      pressed->Pressed = false;
      Repaint(*pressed);
      if (HitTest(lp) == pressed) Fire(*pressed);
      return 0;
    }
    case WM_GETOBJECT:
      if (static_cast<DWORD>(lp) == static_cast<DWORD>(OBJID_CLIENT)) {
        if (!accessible_) accessible_ = new TBarAccessible(*this);
        if (const LRESULT r = accessible_->Answer(wp)) return r;
      }
      break;
    case kPressLater: {
      auto& b = *reinterpret_cast<TLbSpeedButton*>(lp);
      if (static_cast<unsigned>(wp) == clears_ && b.Visible && b.Enabled) Press(b);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (down_) {
        down_->Pressed = false;
        Repaint(*down_);
        down_ = nullptr;
      }
      return 0;
  }
  return Default(msg, wp, lp);
}
