#include "wizard/Form_Main.h"

#include <stdexcept>

#include "lib/LIB_Version.h"
#include "lib/win/SelfCheck.h"
#include "lib/win/WinApp.h"
#include "lib/win/WinText.h"
#include "wizard/Appl_Report.h"

namespace {
constexpr UINT_PTR kTimer1 = 1, kAlphaBlendTimer = 2;
constexpr UINT kInstallerChecked = WM_APP + 11;
constexpr int kClientWidth = 780, kClientHeight = 509;
// Design places of the sliding parts.
constexpr RECT kHeader{40, 31, 40 + 712, 31 + 41};
constexpr RECT kPages{40, 72, 40 + 712, 72 + 377};
constexpr RECT kButtons{40, 451, 40 + 713, 451 + 32};
constexpr RECT kIcon{5, 6, 5 + 41, 6 + 41};
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

void MoveTo(HWND h, const RECT& r, int dx) {
  SetWindowPos(h, nullptr, Scale(r.left + dx), Scale(r.top), Scale(r.right - r.left), Scale(r.bottom - r.top),
               SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

// The navy strip above the pages with the current panel's title.
class TFormMain::THeader : public TWindow {
 public:
  explicit THeader(HWND parent) {
    CreateHandle(L"KvHeader", 0, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent);
  }
  void SetCaption(const std::string& text) {
    caption_ = text;
    InvalidateRect(Handle(), nullptr, FALSE);
  }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_ERASEBKGND) return 1;
    if (msg != WM_PAINT) return Default(msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    RECT r;
    GetClientRect(Handle(), &r);
    {
      TBufferedPaint buffer(dc, r);
      FillRect(buffer.dc(), &r, GetBrush(clNavy));
      TSelectGuard font(buffer.dc(), GetFont({.Height = -19}));
      SetBkMode(buffer.dc(), TRANSPARENT);
      SetTextColor(buffer.dc(), clWhite);
      DrawTextW(buffer.dc(), Wide(caption_).c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    EndPaint(Handle(), &ps);
    return 0;
  }

 private:
  std::string caption_ = "Header";
};

// The page area: holds every panel, shows one.
class TFormMain::TPageHost : public TWindow {
 public:
  explicit TPageHost(HWND parent) {
    CreateHandle(L"KvPageHost", WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, parent);
  }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_ERASEBKGND) return EraseWith(Handle(), wp, clPanelSky);
    return Default(msg, wp, lp);
  }
};

TFormMain::TFormMain(const TCommandLine& args, TPanels panels, const TWizardFlow& flow) : flow_(flow) {
  RECT r{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
  AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
  const int w = r.right - r.left, h = r.bottom - r.top;
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  // The taskbar shows the application title; the caption adds the version.
  SetWindowTextW(ApplicationWindow(), L"Install Korvane P2P");
  CreateHandle(L"TFormMain", kExStyle, kStyle, work.left + (work.right - work.left - w) / 2,
               work.top + (work.bottom - work.top - h) / 2, w, h, ApplicationWindow());
  // The window opens on a monitor whose DPI may differ from the screen's that sized it.
  if (const int dpi = WindowDpi(Handle()); dpi != ScreenDpi()) {
    SetScreenDpi(dpi);
    RECT sized{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
    AdjustWindowRectEx(&sized, kStyle, FALSE, kExStyle);
    const int sw = sized.right - sized.left, sh = sized.bottom - sized.top;
    SetWindowPos(Handle(), nullptr, work.left + (work.right - work.left - sw) / 2,
                 work.top + (work.bottom - work.top - sh) / 2, sw, sh, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  LoadWindowIcon();
  PnlHeader = std::make_unique<THeader>(Handle());
  PageControl = std::make_unique<TPageHost>(Handle());
  PnlButtons = std::make_unique<tKvButtonBar>(Handle(), kButtons.left, kButtons.top, kButtons.right - kButtons.left);
  PlaceParts();
  SetPreTranslate([this](MSG& msg) { return PreTranslate(msg); }, Handle());
  FormCreate(args, std::move(panels));
  SetTimer(Handle(), kTimer1, 150, nullptr);
}

TFormMain::~TFormMain() {
  installerCheck_.Join();
  SetPreTranslate(nullptr, nullptr);
  SetExceptionHandler(nullptr);
  // Panels go before the window that hosts them.
  pages_.clear();
}

void TFormMain::FormCreate(const TCommandLine& args, TPanels panels) {
  SetWindowTextW(Handle(), Wide(std::string("Install Korvane P2P ") + KProductVersion).c_str());
  PnlButtons->SetColors(clWhite, clLime, clNavy, clFormBlue, clCream);
  for (auto& [id, panel] : panels) AddPanel(id, std::move(panel));
  State = args.State;
  Busy = false;
  SetExceptionHandler([this](const std::string& message) { AppException(message); });
  ShowPanel(flow_.First, false);
}

void TFormMain::Show() {
  ShowWindow(ApplicationWindow(), SW_SHOWNA);
  ShowWindow(Handle(), SW_SHOW);
  UpdateWindow(Handle());
}

void TFormMain::FormShow() {
  SetAlphaBlend(true, 0);
  SetTimer(Handle(), kAlphaBlendTimer, 100, nullptr);
}

void TFormMain::Timer1Timer() {
  KillTimer(Handle(), kTimer1);
  if (State.AutoUpdate) ShowPanel(flow_.SelfUpdate, true);
}

void TFormMain::AlphaBlendTimerTimer() {
  int value = alphaValue_;
  if (value > 235) value = 255;
  if (value == 255) KillTimer(Handle(), kAlphaBlendTimer);
  else value += 16;
  SetAlphaBlend(true, value);
}

void TFormMain::SetAlphaBlend(bool on, int value) {
  alphaBlend_ = on;
  alphaValue_ = on ? value : 255;
  const LONG_PTR ex = GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
  if (on) {
    if (!(ex & WS_EX_LAYERED)) SetWindowLongPtrW(Handle(), GWL_EXSTYLE, ex | WS_EX_LAYERED);
    SetLayeredWindowAttributes(Handle(), 0, static_cast<BYTE>(value), LWA_ALPHA);
  } else if (ex & WS_EX_LAYERED) {
    SetWindowLongPtrW(Handle(), GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
    RedrawWindow(Handle(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

void TFormMain::LoadWindowIcon() {
  icon_.reset(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, Scale(41), Scale(41), LR_DEFAULTCOLOR)));
}

void TFormMain::Rescale() {
  LoadWindowIcon();
  PlaceParts();
  for (auto& page : pages_) {
    // A panel not shown yet has no windows: it makes them at the new scale when it first shows.
    if (!page->Panel->Handle()) continue;
    SetWindowPos(page->Panel->Handle(), nullptr, 0, 0, Scale(712), Scale(377),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    page->Panel->Rescale();
  }
  RedrawWindow(Handle(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
}

std::vector<TFramePanel*> TFormMain::Panels() const {
  std::vector<TFramePanel*> panels;
  for (const auto& page : pages_) panels.push_back(page->Panel.get());
  return panels;
}

TFramePanel* TFormMain::Panel(TPanelId id) const {
  const TTabSheet* sheet = FindPanelSheet(id);
  return sheet ? sheet->Panel.get() : nullptr;
}

void TFormMain::AddPanel(TPanelId id, std::unique_ptr<TFramePanel> panel) {
  panel->Host(*this, PageControl->Handle());
  pages_.push_back(std::make_unique<TTabSheet>(TTabSheet{id, std::move(panel)}));
}

TFormMain::TTabSheet* TFormMain::FindPanelSheet(TPanelId id) const {
  TTabSheet* found = nullptr;
  for (const auto& page : pages_)
    if (page->Id == id) found = page.get();
  return found;
}

const TRoute& TFormMain::Route() const {
  for (const TRoute& r : flow_.Routes)
    if (active_ && r.Panel == active_->Id) return r;
  throw std::logic_error("the current panel has no route");
}

void TFormMain::Next() {
  const TRoute& r = Route();
  ShowPanel(r.When && r.When(State) ? r.Otherwise : r.Next, true);
}

void TFormMain::Previous() { ShowPanel(Route().Previous, true); }

void TFormMain::InitButtons(TFramePanel& panel) {
  PnlButtons->Clear();
  const TPanelButtons& b = panel.Buttons;
  if (!b.GoOn) return;
  // Every button of every panel waits while panels slide.
  auto click = [this](std::function<void()> f) {
    return [this, f = std::move(f)](TLbSpeedButton&) {
      if (!Busy) f();
    };
  };
  PnlButtons->AddLeft("&Exit", 1, 1, click([this] { Close(); }));
  PnlButtons->AddRight(b.GoOn, 2, b.GoOnWidth, click([this, &panel] {
                         if (panel.NextClick()) Next();
                       }));
  if (b.Previous)
    PnlButtons->AddRight("&Previous", 3, 1, click([this, &panel] {
                           panel.PreviousClick();
                           Previous();
                         }));
}

void TFormMain::PlaceParts() {
  MoveTo(PnlHeader->Handle(), kHeader, slideOffset_);
  MoveTo(PnlButtons->Handle(), kButtons, slideOffset_);
  MoveTo(PageControl->Handle(), kPages, -slideOffset_);
}

void TFormMain::Slide(int step, double waitMs) {
  for (int i = 0; i < 11; ++i) {
    slideOffset_ += step;
    PlaceParts();
    ProcessMessagesFor(waitMs);
  }
}

void TFormMain::ShowPanel(TPanelId id, bool Animate) {
  KillTimer(Handle(), kAlphaBlendTimer);
  SetAlphaBlend(false, 255);
  TTabSheet* sheet = FindPanelSheet(id);
  if (!sheet) throw std::logic_error("no panel " + std::to_string(static_cast<int>(id)));
  TFramePanel* panel = sheet->Panel.get();

  // A failure half-way must not leave the parts off screen or every button ignored:
  // the error panel is shown by this same routine next.
  struct TRestore {
    TFormMain& f;
    bool done = false;
    ~TRestore() {
      if (done) return;
      f.slideOffset_ = 0;
      f.PlaceParts();
      f.Busy = false;
    }
  } restore{*this};

  if (Animate) {
    Busy = true;
    Slide(70, 40.0);
  }
  panel->EnsureControls();
  if (active_ != sheet) {
    if (active_) ShowWindow(active_->Panel->Handle(), SW_HIDE);
    active_ = sheet;
    ShowWindow(panel->Handle(), SW_SHOW);
  }
  HWND first = GetNextDlgTabItem(panel->Handle(), nullptr, FALSE);
  SetFocus(first && IsChild(panel->Handle(), first) ? first : Handle());
  headerCaption_ = panel->Title;
  PnlHeader->SetCaption(panel->Title);
  InitButtons(*panel);
  panel->BeforeShow();
  if (Animate) {
    Slide(-70, 1000.0 / 15.0);
    Busy = false;
  }
  restore.done = true;

  ++afterShowDepth_;
  struct TDepth {
    int& d;
    ~TDepth() { --d; }
  } depth{afterShowDepth_};
  panel->AfterShow();
}

void TFormMain::SetEngineRunning(bool running, const std::string& logoffReason) {
  engineRunning_ = running;
  logoffReason_ = running ? logoffReason : "";
  // Windows asks before it logs off or shuts down, and shows the reason to the user.
  if (!logoffReason_.empty()) ShutdownBlockReasonCreate(Handle(), Wide(logoffReason_).c_str());
  else ShutdownBlockReasonDestroy(Handle());
}

// The funnel that calls it refuses to re-enter it, so a failure while the error panel is being
// shown cannot loop.
void TFormMain::AppException(const std::string& message) {
  AppLog().Line("Outcome: failed, " + message + " (exit code 2)");
  exitCode_ = KExitFailed;
  SendErrorReport(HeaderCaption(), {State.InstallDir, State.DownloadDir, State.DataDir, State.AppDataDir}, message);
  failure_ = message;
  ShowPanel(flow_.Failure, true);
}

void TFormMain::Close() {
  ShowWindow(Handle(), SW_HIDE);
  PostQuitMessage(exitCode_);
}

void TFormMain::CheckInstallerBeside(std::function<std::string()> check) {
  installerCheck_ = TThread([this, check = std::move(check)] {
    installerDamage_ = check();
    PostMessageW(Handle(), kInstallerChecked, 0, 0);
  });
}

bool TFormMain::InstallerIntact() {
  installerCheck_.Join();
  if (installerDamage_.empty()) return true;
  InstallerDamaged();
  return false;
}

void TFormMain::InstallerDamaged() {
  if (damageShown_) return;
  damageShown_ = true;
  AppLog().Line("Installer check: failed, " + installerDamage_ + ". " + KDamagedInstaller);
  AppLog().Line("Outcome: nothing installed (exit code 2)");
  MessageBoxW(Handle(), Wide(KDamagedInstaller).c_str(), L"Install Korvane P2P", MB_OK | MB_ICONERROR);
  exitCode_ = KExitFailed;
  Close();
}

bool TFormMain::PreTranslate(MSG& msg) {
  if (msg.hwnd != Handle() && !IsChild(Handle(), msg.hwnd)) return false;
  // The accelerators are ASCII letters; a wider character would be cut down to one by mistake.
  if (msg.message == WM_SYSCHAR) return msg.wParam < 0x80 && PnlButtons->Accelerate(static_cast<char>(msg.wParam));
  if (msg.message == WM_CHAR) {
    // A plain letter belongs to a text box that has the focus; elsewhere it presses the bar's button.
    HWND focus = GetFocus();
    const LRESULT code = focus ? SendMessageW(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) : 0;
    if (code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) return false;
    return msg.wParam < 0x80 && PnlButtons->Accelerate(static_cast<char>(msg.wParam));
  }
  return false;
}

LRESULT TFormMain::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return EraseWith(Handle(), wp, clFormBlue);
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(Handle(), &ps);
      if (icon_)
        DrawIconEx(dc, Scale(kIcon.left), Scale(kIcon.top), icon_.get(), Scale(41), Scale(41), 0, nullptr, DI_NORMAL);
      EndPaint(Handle(), &ps);
      return 0;
    }
    case WM_SHOWWINDOW:
      if (wp && !shown_) {
        shown_ = true;
        FormShow();
      }
      break;
    case WM_TIMER:
      if (wp == kTimer1) Timer1Timer();
      else if (wp == kAlphaBlendTimer) AlphaBlendTimerTimer();
      return 0;
    case WM_CLOSE:
      // Closing from outside (Alt+F4, a close message) while panels slide or an engine works
      // would pull the windows from under running code, or leave an installation half made.
      if (!Busy && afterShowDepth_ == 0 && !engineRunning_) Close();
      return 0;
    case WM_DPICHANGED: {
      // Moved to a monitor of another DPI (or its DPI changed): Windows suggests the place and
      // size that keep the window where it was; everything inside is laid out again.
      SetScreenDpi(HIWORD(wp));
      const RECT& r = *reinterpret_cast<const RECT*>(lp);
      SetWindowPos(Handle(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      Rescale();
      return 0;
    }
    case kInstallerChecked:
      InstallerIntact();
      return 0;
    case WM_QUERYENDSESSION:
      // A session that ended now would leave the installation half made.
      return logoffReason_.empty() ? TRUE : FALSE;
    case WM_COMMAND:
      if (lp == 0) return 0;  // Enter and Esc as the dialog manager reports them: no default buttons here
      break;
  }
  return Default(msg, wp, lp);
}
