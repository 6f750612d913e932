#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <stdexcept>

#include "lib/LIB_Version.h"
#include "lib/win/WinApp.h"
#include "wizard/Form_Main.h"

namespace {

// A panel that records how the frame drives it.
class TProbePanel : public TFramePanel {
 public:
  TProbePanel(const char* name, const char* title) : TFramePanel(name, title, {.GoOn = "&Next", .Previous = true}) {}
  void CreateControls() override {
    ++createControls;
    controlsBeforeFirstShow = beforeShow == 0;
    Build(*this, std::span(kControls));
  }
  void BeforeShow() override { ++beforeShow; }
  void AfterShow() override {
    ++afterShow;
    if (onAfterShow) onAfterShow();
  }
  bool NextClick() override {
    ++nextClicks;
    if (onNext) onNext();
    return goOn;
  }
  void PreviousClick() override { ++previousClicks; }
  int createControls = 0, beforeShow = 0, afterShow = 0, nextClicks = 0, previousClicks = 0;
  bool controlsBeforeFirstShow = false;
  bool goOn = false;  // the go-on button stays unless told
  std::function<void()> onNext, onAfterShow;
  HWND Edit1 = nullptr, CheckBox1 = nullptr;

  static constexpr TControlDecl<TProbePanel> kControls[] = {
      {TKind::Edit, &TProbePanel::Edit1, 16, 16, 200, 21},
      {TKind::CheckBox, &TProbePanel::CheckBox1, 16, 48, 200, 17, "&Tick"},
  };
};

// The probes' places: the first panel, then A, which leads on to B, or to C when the state
// asks for an upgrade.
constexpr TPanelId kStart = TPanelId::Welcome, kA = TPanelId::Disclaimer, kB = TPanelId::Install,
                   kC = TPanelId::InstallGo, kError = TPanelId::Error;
constexpr TRoute kProbeRoutes[] = {
    {kStart, kA},
    {kA, kB, kStart, kC, [](const TSetupState& s) { return s.Upgrade; }},
    {kB, TPanelId::None, kA},
    {kC, TPanelId::None, kA},
};
constexpr TWizardFlow kProbeFlow{.First = kStart, .SelfUpdate = kC, .Failure = kError, .Routes = kProbeRoutes};

class Frame : public testing::Test {
 protected:
  void SetUp() override { form = MakeForm(); }
  // The frame with its probes, on the first one.
  std::unique_ptr<TFormMain> MakeForm() {
    auto a = std::make_unique<TProbePanel>("PnlProbeA", "Probe A");
    auto b = std::make_unique<TProbePanel>("PNLProbeB", "Probe B");
    auto c = std::make_unique<TProbePanel>("PnlProbeC", "Probe C");
    probeA = a.get();
    probeB = b.get();
    probeC = c.get();
    TPanels panels;
    panels.emplace_back(kStart, std::make_unique<TProbePanel>("PnlProbeStart", "Start"));
    panels.emplace_back(kA, std::move(a));
    panels.emplace_back(kB, std::move(b));
    panels.emplace_back(kC, std::move(c));
    return std::make_unique<TFormMain>(TCommandLine{}, std::move(panels), kProbeFlow);
  }
  void TearDown() override {
    form.reset();
    DrainQuit();
  }
  static bool DrainQuit() {
    MSG msg;
    bool quit = false;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) quit = true;
    return quit;
  }
  tKvButtonBar& Bar() { return *form->PnlButtons; }
  // Device coordinates of the middle of a bar button.
  static LPARAM Middle(const TLbSpeedButton& b) {
    return MAKELPARAM(Scale(b.Left + b.Width / 2), Scale(b.Top + b.Height / 2));
  }
  void ClickBar(const TLbSpeedButton& b) {
    SendMessageA(Bar().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Middle(b));
    SendMessageA(Bar().Handle(), WM_LBUTTONUP, 0, Middle(b));
  }
  std::unique_ptr<TFormMain> form;
  TProbePanel* probeA = nullptr;
  TProbePanel* probeB = nullptr;
  TProbePanel* probeC = nullptr;
};

TEST_F(Frame, WindowGeometryAndCaption) {
  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, Scale(780));
  EXPECT_EQ(client.bottom, Scale(509));
  char caption[64];
  GetWindowTextA(form->Handle(), caption, sizeof caption);
  EXPECT_EQ(std::string(caption), std::string("Install Korvane P2P ") + KProductVersion);
  const LONG_PTR style = GetWindowLongPtrA(form->Handle(), GWL_STYLE);
  EXPECT_FALSE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_EQ(Bar().Color(), Rgb(255, 251, 240));
}

TEST_F(Frame, TaskbarShowsTheApplicationTitleAndTheOwnerHandsOn) {
  // An owned window gets no taskbar button: its owner's stands for the program.
  HWND owner = GetWindow(form->Handle(), GW_OWNER);
  ASSERT_NE(owner, nullptr);
  char text[64];
  GetWindowTextA(owner, text, sizeof text);
  EXPECT_STREQ(text, "Install Korvane P2P");
  GetWindowTextA(form->Handle(), text, sizeof text);
  EXPECT_EQ(std::string(text), std::string("Install Korvane P2P ") + KProductVersion);
  EXPECT_TRUE(GetWindowLongPtrA(owner, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_FALSE(GetWindowLongPtrA(form->Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW);

  form->Show();
  EXPECT_TRUE(IsWindowVisible(owner));
  RECT r;
  GetWindowRect(owner, &r);
  EXPECT_TRUE(IsRectEmpty(&r)) << "the owner is never seen";
  EXPECT_EQ(GetActiveWindow(), form->Handle());
  // Picked from the taskbar: the wizard's window takes over.
  SetActiveWindow(owner);
  ProcessMessagesFor(50);
  EXPECT_EQ(GetActiveWindow(), form->Handle());

  // Closed from the taskbar: the wizard decides as when it is closed itself; the owner stays.
  SendMessageA(owner, WM_SYSCOMMAND, SC_CLOSE, 0);
  MSG msg;
  bool quit = false;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) quit = true;
    else DispatchMessageA(&msg);
  }
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_TRUE(quit);
  EXPECT_TRUE(IsWindow(owner));
}

TEST_F(Frame, BarPositionsFollowWidthCodes) {
  Bar().Clear();
  Bar().AddLeft("&Exit", 1, 1, nullptr);
  Bar().AddRight("&Next", 2, 1, nullptr);
  Bar().AddRight("&Previous", 3, 1, nullptr);
  EXPECT_EQ(Bar().LeftButton(1).Left, 5);
  EXPECT_EQ(Bar().RightButton(1).Left, 618);
  EXPECT_EQ(Bar().RightButton(2).Left, 523);
  for (const TLbSpeedButton* b : {&Bar().LeftButton(1), &Bar().RightButton(1), &Bar().RightButton(2)}) {
    EXPECT_EQ(b->Top, 4);
    EXPECT_EQ(b->Height, 23);
    EXPECT_EQ(b->Width, 90);
    EXPECT_TRUE(b->Visible);
  }
  EXPECT_EQ(Bar().RightButton(2).Tag, 3);

  Bar().Clear();
  Bar().AddRight("&Install Now", 2, 2, nullptr);
  Bar().AddRight("&Previous", 3, 1, nullptr);
  EXPECT_EQ(Bar().RightButton(1).Left, 588);
  EXPECT_EQ(Bar().RightButton(2).Left, 493);

  // Clear hands out slot 1 again, whatever it held.
  Bar().Clear();
  EXPECT_FALSE(Bar().RightButton(1).Visible);
  Bar().AddLeft("&Other", 9, 3, nullptr);
  EXPECT_EQ(Bar().LeftButton(1).Left, 5);
  EXPECT_EQ(Bar().LeftButton(1).Width, 200);

  const struct { unsigned char code; int width; } widths[] = {{0, 30}, {1, 90}, {2, 120}, {3, 200}, {4, 99}, {255, 99}};
  for (auto w : widths) EXPECT_EQ(tKvButtonBar::WidthOf(w.code), w.width) << int(w.code);
}

TEST_F(Frame, ThirteenthAddIsIgnored) {
  Bar().Clear();
  for (int i = 1; i <= 12; ++i) Bar().AddLeft("B", i, 0, nullptr);
  EXPECT_EQ(Bar().LeftCount(), 12);
  EXPECT_EQ(Bar().LeftButton(12).Left, 5 + 11 * 35);
  Bar().AddLeft("X", 13, 3, nullptr);
  EXPECT_EQ(Bar().LeftCount(), 12);
  EXPECT_EQ(Bar().LeftButton(12).Tag, 12);
  EXPECT_EQ(Bar().LeftButton(12).Width, 30);
}

TEST_F(Frame, SetColorsRecoloursOnlyButtonsInUse) {
  Bar().Clear();
  Bar().AddLeft("A", 1, 1, nullptr);
  Bar().AddLeft("B", 2, 1, nullptr);
  Bar().Clear();
  Bar().AddLeft("A", 1, 1, nullptr);
  const COLORREF red = Rgb(255, 0, 0), green = Rgb(0, 128, 0), grey = Rgb(128, 128, 128), pink = Rgb(255, 0, 255);
  Bar().SetColors(red, green, grey, pink, Rgb(1, 2, 3));
  EXPECT_EQ(Bar().LeftButton(1).FontColor, red);
  EXPECT_EQ(Bar().LeftButton(1).ColorShadow, green);
  EXPECT_EQ(Bar().LeftButton(1).Color, grey);
  EXPECT_EQ(Bar().LeftButton(1).ColorLight, pink);
  EXPECT_EQ(Bar().LeftButton(2).Color, Rgb(0, 0, 128)) << "a hidden button keeps its colours";
  Bar().AddLeft("B", 2, 1, nullptr);
  EXPECT_EQ(Bar().LeftButton(2).Color, grey) << "and takes the new scheme when handed out";
  EXPECT_EQ(Bar().Color(), Rgb(1, 2, 3));
  Bar().SetColors(clWhite, clLime, clNavy, clFormBlue, clCream);
}

TEST_F(Frame, ClickFiresOnReleaseAndNotOnHiddenButtons) {
  form->ShowPanel(kA, false);
  const TLbSpeedButton& next = Bar().RightButton(1);
  SendMessageA(Bar().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Middle(next));
  EXPECT_TRUE(next.Pressed);
  EXPECT_EQ(probeA->nextClicks, 0);
  SendMessageA(Bar().Handle(), WM_LBUTTONUP, 0, Middle(next));
  EXPECT_EQ(probeA->nextClicks, 1);
  EXPECT_FALSE(next.Pressed);

  // Released outside the button: no click.
  SendMessageA(Bar().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Middle(next));
  SendMessageA(Bar().Handle(), WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  EXPECT_EQ(probeA->nextClicks, 1);

  Bar().Clear();
  ClickBar(next);
  EXPECT_EQ(probeA->nextClicks, 1);
}

// The frame puts the declared buttons where every panel has them, and handles "&Exit" itself.
TEST_F(Frame, DeclaredButtonsStandInTheirPlacesAndExitEndsTheRun) {
  form->ShowPanel(kA, false);
  ASSERT_EQ(Bar().LeftCount(), 1);
  ASSERT_EQ(Bar().RightCount(), 2);
  const struct {
    const TLbSpeedButton& button;
    const char* caption;
    int id, left;
  } places[] = {{Bar().LeftButton(1), "&Exit", 1, 5}, {Bar().RightButton(1), "&Next", 2, 618},
                {Bar().RightButton(2), "&Previous", 3, 523}};
  for (const auto& p : places) {
    EXPECT_EQ(p.button.Caption, p.caption);
    EXPECT_EQ(p.button.Tag, p.id) << p.caption;
    EXPECT_EQ(p.button.Left, p.left) << p.caption;
  }
  ClickBar(Bar().LeftButton(1));
  EXPECT_TRUE(DrainQuit());
  EXPECT_EQ(probeA->nextClicks + probeA->previousClicks, 0);
}

// While panels slide, every button of every panel is ignored, whoever presses it.
TEST_F(Frame, EveryButtonWaitsWhilePanelsSlide) {
  form->ShowPanel(kA, false);
  probeA->goOn = true;
  form->Busy = true;
  for (const TLbSpeedButton* b : {&Bar().LeftButton(1), &Bar().RightButton(1), &Bar().RightButton(2)}) ClickBar(*b);
  EXPECT_EQ(probeA->nextClicks + probeA->previousClicks, 0);
  EXPECT_EQ(form->ActivePanel(), probeA);
  EXPECT_FALSE(DrainQuit());
  form->Busy = false;
  ClickBar(Bar().RightButton(1));
  EXPECT_EQ(form->ActivePanel(), probeB);
}

// Go-on follows the route when the panel accepts its input, its fork when the state takes it;
// go-back lets the panel forget first.
TEST_F(Frame, ButtonsFollowTheRoute) {
  form->ShowPanel(kA, false);
  ClickBar(Bar().RightButton(1));
  EXPECT_EQ(form->ActivePanel(), probeA) << "the panel refused its input";
  probeA->goOn = true;
  ClickBar(Bar().RightButton(1));
  EXPECT_EQ(form->ActivePanel(), probeB);
  ClickBar(Bar().RightButton(2));
  EXPECT_EQ(probeB->previousClicks, 1);
  EXPECT_EQ(form->ActivePanel(), probeA);
  form->State.Upgrade = true;
  ClickBar(Bar().RightButton(1));
  EXPECT_EQ(form->ActivePanel(), probeC);
  EXPECT_EQ(form->HeaderCaption(), "Probe C");
}

TEST_F(Frame, AcceleratorKeys) {
  form->ShowPanel(kA, false);
  PostMessageA(probeA->Edit1, WM_SYSCHAR, 'n', 0);
  ProcessMessages();
  EXPECT_EQ(probeA->nextClicks, 0) << "no keys while the window is not showing";
  form->Show();
  auto key = [&](UINT msg, char c, HWND target) {
    PostMessageA(target, msg, static_cast<WPARAM>(c), 0);
    ProcessMessages();
  };
  SetFocus(probeA->Edit1);
  key(WM_SYSCHAR, 'n', probeA->Edit1);
  EXPECT_EQ(probeA->nextClicks, 1) << "Alt plus the letter works even in a text box";
  key(WM_CHAR, 'n', probeA->Edit1);
  EXPECT_EQ(probeA->nextClicks, 1) << "a plain letter belongs to the text box";
  SetFocus(probeA->CheckBox1);
  key(WM_CHAR, 'N', probeA->CheckBox1);
  EXPECT_EQ(probeA->nextClicks, 2) << "a plain letter presses the button when the focus takes no text";
  Bar().Clear();
  key(WM_SYSCHAR, 'n', probeA->CheckBox1);
  EXPECT_EQ(probeA->nextClicks, 2) << "hidden buttons take no keys";
  form->InitButtons(*probeA);
  key(WM_SYSCHAR, 'e', probeA->CheckBox1);
  EXPECT_TRUE(DrainQuit());
}

TEST_F(Frame, ClickingTheBarKeepsTheFocusInTheTextBox) {
  form->Show();
  form->ShowPanel(kA, false);
  SetFocus(probeA->Edit1);
  ClickBar(Bar().RightButton(1));
  EXPECT_EQ(probeA->nextClicks, 1);
  EXPECT_EQ(GetFocus(), probeA->Edit1);
}

TEST_F(Frame, ControlsAreMadeOnceJustBeforeTheFirstShow) {
  EXPECT_EQ(probeA->Handle(), nullptr) << "a panel that never showed has no window";
  EXPECT_EQ(probeA->Edit1, nullptr);
  form->Show();
  form->ShowPanel(kA, false);
  EXPECT_EQ(probeA->createControls, 1);
  EXPECT_TRUE(probeA->controlsBeforeFirstShow);
  EXPECT_TRUE(IsChild(form->Handle(), probeA->Handle()));
  EXPECT_TRUE(IsChild(probeA->Handle(), probeA->Edit1));
  EXPECT_EQ(GetFocus(), probeA->Edit1) << "the first show already focuses the panel's first control";
  const HWND edit = probeA->Edit1;
  form->ShowPanel(kB, false);
  form->ShowPanel(kA, false);
  probeA->EnsureControls();
  EXPECT_EQ(probeA->createControls, 1);
  EXPECT_EQ(probeA->Edit1, edit);
  EXPECT_EQ(probeB->createControls, 1);
}

// Tests and the benchmarks put a panel of their own in a panel's place; a place without a
// panel is a programming error, and changes nothing.
TEST_F(Frame, ALaterPanelTakesThePlaceAndAnEmptyPlaceIsAnError) {
  auto other = std::make_unique<TProbePanel>("PnlOther", "Other B");
  TProbePanel* b2 = other.get();
  form->AddPanel(kB, std::move(other));
  form->ShowPanel(kB, false);
  EXPECT_EQ(form->ActivePanel(), b2);
  EXPECT_EQ(form->Panel(kB), b2);
  EXPECT_EQ(form->HeaderCaption(), "Other B");
  EXPECT_EQ(form->Panel(TPanelId::UpgradeReady), nullptr);
  EXPECT_THROW(form->ShowPanel(TPanelId::UpgradeReady, false), std::logic_error);
  EXPECT_EQ(form->ActivePanel(), b2);
  EXPECT_EQ(form->HeaderCaption(), "Other B");
}

TEST_F(Frame, EveryShowInitialisesButtonsAndCallsBeforeShow) {
  form->ShowPanel(kA, false);
  form->ShowPanel(kA, false);
  EXPECT_EQ(probeA->beforeShow, 2);
  EXPECT_EQ(probeA->afterShow, 2);
  EXPECT_EQ(Bar().LeftCount(), 1) << "no buttons of the previous show are left";
  EXPECT_EQ(Bar().RightCount(), 2);
}

TEST_F(Frame, SlideIsBusyTakesItsTimeAndEndsInPlace) {
  form->Show();
  form->ShowPanel(kA, false);
  RECT before;
  GetWindowRect(Bar().Handle(), &before);
  bool busySeen = false;
  probeB->onAfterShow = [&] { EXPECT_FALSE(form->Busy); };
  // A message queued before the switch is handled during the slide.
  static bool* seen;
  static TFormMain* sliding;
  seen = &busySeen;
  sliding = form.get();
  SetTimer(form->Handle(), 0, 0, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(sliding->Handle(), id);
    *seen = sliding->Busy;
  });
  const auto t0 = std::chrono::steady_clock::now();
  form->ShowPanel(kB, true);
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_TRUE(busySeen);
  EXPECT_FALSE(form->Busy);
  EXPECT_GE(ms, 11 * 40 + 11 * 1000.0 / 15 - 1);
  RECT after;
  GetWindowRect(Bar().Handle(), &after);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(probeB->afterShow, 1);
}

TEST_F(Frame, FadesInAndShowPanelMakesItOpaque) {
  form->Show();
  EXPECT_TRUE(form->AlphaBlend());
  std::vector<int> values{form->AlphaBlendValue()};
  const auto t0 = std::chrono::steady_clock::now();
  while (values.back() != 255 && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(5)) {
    ProcessMessagesFor(10);
    if (form->AlphaBlendValue() != values.back()) values.push_back(form->AlphaBlendValue());
  }
  std::vector<int> expected;
  for (int v = 0; v <= 240; v += 16) expected.push_back(v);
  expected.push_back(255);
  EXPECT_EQ(values, expected);

  form.reset();
  form = MakeForm();
  form->Show();
  ProcessMessagesFor(250);
  EXPECT_TRUE(form->AlphaBlend());
  form->ShowPanel(kC, false);
  EXPECT_FALSE(form->AlphaBlend());
  ProcessMessagesFor(300);
  EXPECT_FALSE(form->AlphaBlend()) << "the fade does not resume";
  EXPECT_EQ(form->AlphaBlendValue(), 255);
}

TEST_F(Frame, CloseFromOutsideRefusedWhileBusyOrWorking) {
  form->Show();
  form->ShowPanel(kA, false);
  probeB->onAfterShow = [&] {
    SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindowVisible(form->Handle())) << "refused while a panel works";
  };
  PostMessageA(form->Handle(), WM_CLOSE, 0, 0);  // arrives during the slide
  form->ShowPanel(kB, true);
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(DrainQuit());

  SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_TRUE(DrainQuit());
}

TEST_F(Frame, HandlerExceptionsReachAppException) {
  auto errorPanel = std::make_unique<TProbePanel>("PnlError", "Error");
  TProbePanel* error = errorPanel.get();
  form->AddPanel(kError, std::move(errorPanel));
  form->ShowPanel(kA, false);
  probeA->onNext = [] { throw std::runtime_error("boom"); };
  ClickBar(Bar().RightButton(1));
  EXPECT_EQ(form->ActivePanel(), error);
  EXPECT_EQ(form->HeaderCaption(), "Error");
  EXPECT_EQ(form->Failure(), "boom");
  EXPECT_FALSE(form->Busy);
}

}  // namespace
