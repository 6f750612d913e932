#include "panels/PNL_Welcome.h"

#include "lib/win/Accessible.h"
#include "lib/win/Pictures.h"
#include "lib/win/WinText.h"
#include "wizard/Form_Main.h"

namespace {
constexpr UINT_PTR kTimer1 = 1;
constexpr int kPictureWidth = 513, kPictureHeight = 390;
// The words travel over the picture's width and the whole panel's height.
constexpr int kPanelHeight = 377;

constexpr COLORREF clBlack = Rgb(0, 0, 0);
constexpr COLORREF clRed = Rgb(255, 0, 0);
constexpr COLORREF clYellow = Rgb(255, 255, 0);
constexpr COLORREF clMaroon = Rgb(128, 0, 0);

constexpr TFontSpec kWordFont{.Height = -21, .Bold = true};

struct TWordDecl {
  const char* Caption;
  COLORREF Colour;
  int Left, Top, Width, Height;
};
constexpr TWordDecl kWords[8] = {
    {"Download", clRed, 32, 16, 94, 24},  {"Search", clRed, 64, 88, 67, 24},
    {"Share", clRed, 136, 304, 56, 24},   {"P2P", clYellow, 88, 192, 38, 24},
    {"Easy", clMaroon, 248, 112, 46, 24}, {"Secure", clWhite, 232, 200, 68, 24},
    {"Encryption", clYellow, 256, 328, 101, 24}, {"Fast", clMaroon, 264, 24, 40, 24},
};

constexpr TControlDecl<TPnlWelcome> kControls[] = {
    {TKind::Label, &TPnlWelcome::Label1, 515, 6, 0, 0, "Thanks for installing Korvane P2P", {.Bold = true}},
    {TKind::StaticText, &TPnlWelcome::StaticText5, 515, 30, 177, 65,
     "Korvane P2P is a modern p2p file sharing tool allowing you to share, search and download files over an "
     "encrypted network.",
     {}, clBlack},
    {TKind::StaticText, &TPnlWelcome::StaticText6, 515, 94, 178, 65,
     "With this installation you install Korvane P2P and nothing else. We are not putting any crap on your PC, "
     "change no settings, put no DLL's, show no banners and install no spyware.",
     {}, clWhite},
    {TKind::StaticText, &TPnlWelcome::StaticText7, 519, 310, 0, 0, "We wish you a lot of pleasure ", {}, clBlack},
    {TKind::Label, &TPnlWelcome::Label2, 520, 328, 0, 0, "with Korvane P2P. "},
    {TKind::StaticText, &TPnlWelcome::StaticText8, 584, 342, 0, 0, "The Korvane team.", {}, clBlack},
};
}  // namespace

namespace {
// The stage draws everything itself: a screen reader learns of it only from this object.
class TStageAccessible : public TAccessible {
 public:
  using TAccessible::TAccessible;

 protected:
  std::string Name(long) const override {
    std::string name = "Korvane P2P:";
    const char* separator = " ";
    for (const TWordDecl& w : kWords) {
      name += separator;
      name += w.Caption;
      separator = ", ";
    }
    return name;
  }
  long Role(long) const override { return ROLE_SYSTEM_GRAPHIC; }
  long State(long) const override { return STATE_SYSTEM_READONLY | STATE_SYSTEM_ANIMATED; }
};
}  // namespace

// The picture with the words drawn over it. Painted off screen in one piece, so the moving
// words never flicker and their backgrounds stay transparent.
class TPnlWelcome::TStage : public TWindow {
 public:
  TStage(TPnlWelcome& owner) : owner_(owner) {
    CreateHandle(L"KvWelcomeStage", 0, WS_CHILD | WS_VISIBLE, 0, 0, Scale(kPictureWidth), Scale(kPanelHeight),
                 owner.Handle());
    picture_ = LoadPicture("WELCOME", Scale(kPictureWidth), Scale(kPictureHeight));
  }
  // At another DPI: the stage takes its new size and the picture is decoded again for it.
  void Rescale() {
    SetWindowPos(Handle(), nullptr, 0, 0, Scale(kPictureWidth), Scale(kPanelHeight), SWP_NOZORDER | SWP_NOACTIVATE);
    picture_ = LoadPicture("WELCOME", Scale(kPictureWidth), Scale(kPictureHeight));
    InvalidateRect(Handle(), nullptr, FALSE);
  }
  ~TStage() override {
    if (accessible_) {
      accessible_->Disconnect();
      accessible_->Release();
    }
  }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_ERASEBKGND) return 1;
    if (msg == WM_GETOBJECT && static_cast<DWORD>(lp) == static_cast<DWORD>(OBJID_CLIENT)) {
      if (!accessible_) accessible_ = new TStageAccessible(Handle());
      if (const LRESULT r = accessible_->Answer(wp)) return r;
    }
    if (msg != WM_PAINT) return Default(msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    {
      TBufferedPaint buffer(dc, ps.rcPaint);
      HDC mem = buffer.dc();
      FillRect(mem, &ps.rcPaint, GetBrush(clPanelSky));
      if (picture_) {
        HDC pic = CreateCompatibleDC(dc);
        {
          TSelectGuard sel(pic, picture_.get());
          BitBlt(mem, 0, 0, Scale(kPictureWidth), Scale(kPictureHeight), pic, 0, 0, SRCCOPY);
        }
        DeleteDC(pic);
      }
      TSelectGuard font(mem, GetFont(kWordFont));
      SetBkMode(mem, TRANSPARENT);
      for (size_t i = 0; i < owner_.words_.size(); ++i) {
        const TMovingWord& w = owner_.words_[i];
        RECT r{Scale(w.Left), Scale(w.Top), Scale(w.Left + w.Width), Scale(w.Top + w.Height)};
        SetTextColor(mem, kWords[i].Colour);
        DrawTextW(mem, Wide(kWords[i].Caption).c_str(), -1, &r, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
      }
    }
    EndPaint(Handle(), &ps);
    return 0;
  }

 private:
  TPnlWelcome& owner_;
  TBitmapHandle picture_;
  TStageAccessible* accessible_ = nullptr;  // created when a client first asks; holds one reference
};

TPnlWelcome::TPnlWelcome() : TFramePanel("PnlWelcome", "Welcome", {.GoOn = "&Next"}) {
  for (size_t i = 0; i < words_.size(); ++i) {
    words_[i] = {kWords[i].Left, kWords[i].Top, kWords[i].Width, kWords[i].Height};
    DrawMotion(words_[i]);
  }
}

void TPnlWelcome::CreateControls() {
  Build(*this, std::span(kControls));
  Image2 = std::make_unique<TStage>(*this);
  SetTimer(Handle(), kTimer1, 50, nullptr);
  timer1Enabled_ = true;
}

TPnlWelcome::~TPnlWelcome() = default;

void TPnlWelcome::Timer1Timer() {
  for (int i = 1; i <= 8; ++i) MoveWord(i);
  InvalidateRect(Image2->Handle(), nullptr, FALSE);
}

void TPnlWelcome::Arrange() { Image2->Rescale(); }

void TPnlWelcome::MoveWord(int i) { ::MoveWord(words_[i - 1], kPictureWidth, kPanelHeight); }

bool TPnlWelcome::NextClick() {
  if (!Frame().InstallerIntact()) return false;
  // The words stop for good: nothing starts them again.
  KillTimer(Handle(), kTimer1);
  timer1Enabled_ = false;
  return true;
}

LRESULT TPnlWelcome::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER && wp == kTimer1) {
    Timer1Timer();
    return 0;
  }
  return TFramePanel::WndProc(msg, wp, lp);
}
