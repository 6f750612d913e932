// The wizard at 96, 120, 144 and 192 DPI: every caption fits its control, and a change of DPI
// (a move to another monitor) lays the whole window out again and back.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "lib/win/WinText.h"
#include "panels/PNL_Welcome.h"
#include "tests/windows/WizardTestUtil.h"

namespace {

constexpr int kDpis[] = {96, 120, 144, 192};

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(
      parent,
      [](HWND h, LPARAM lp) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string ClassOf(HWND h) {
  char name[64] = "";
  GetClassNameA(h, name, sizeof name);
  return name;
}

std::wstring WideText(HWND h) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The size `text` takes in `font`, wrapped at `width` when `wrap`.
SIZE Measure(const std::wstring& text, HFONT font, int width, UINT format) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r{0, 0, width, 0};
  DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | format);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {r.right, r.bottom};
}

int FontHeight(HWND h) {
  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  return lf.lfHeight;
}

RECT RectIn(HWND h, HWND parent) {
  RECT r;
  GetWindowRect(h, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

class Dpi : public TWizardTest {
 protected:
  void TearDown() override {
    // The next test's window starts at the screen's DPI again.
    SwitchTo(WindowDpi(nullptr));
    TWizardTest::TearDown();
  }

  // What Windows sends when the window lands on a monitor of `dpi`: the rectangle keeps the
  // window's top left corner and scales its client area.
  void SwitchTo(int dpi) {
    RECT r;
    GetWindowRect(form->Handle(), &r);
    RECT want{0, 0, MulDiv(780, dpi, 96), MulDiv(509, dpi, 96)};
    AdjustWindowRectEx(&want, static_cast<DWORD>(GetWindowLongPtrW(form->Handle(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE)));
    RECT suggested{r.left, r.top, r.left + want.right - want.left, r.top + want.bottom - want.top};
    SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  }

  // Every panel with the texts its BeforeShow puts in.
  void ShowTexts() {
    for (TFramePanel* panel : form->Panels()) {
      panel->EnsureControls();
      panel->BeforeShow();
    }
  }

  // Each text that does not fit its control, or a control that its parent cuts.
  static std::vector<std::string> CutTexts(TFramePanel& panel) {
    std::vector<std::string> cut;
    for (HWND h : Descendants(panel.Handle())) {
      const std::string cls = ClassOf(h);
      const LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
      if (!(style & WS_VISIBLE) || (cls != "Static" && cls != "Button")) continue;
      const std::wstring text = WideText(h);
      if (text.empty()) continue;
      RECT client;
      GetClientRect(h, &client);
      int width = client.right, height = client.bottom;
      UINT format = 0;
      if (cls == "Static") {
        const LONG_PTR type = style & SS_TYPEMASK;
        const bool wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
        format = (wraps ? DT_WORDBREAK : DT_SINGLELINE) | DT_EXPANDTABS | (style & SS_NOPREFIX ? DT_NOPREFIX : 0);
      } else {
        const LONG_PTR type = style & BS_TYPEMASK;
        format = style & BS_MULTILINE ? DT_WORDBREAK : DT_SINGLELINE;
        if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON ||
            type == BS_3STATE || type == BS_AUTO3STATE)
          width -= Scale(13 + 3);  // the box and the gap before the text
        else if (type == BS_GROUPBOX)
          width -= Scale(8 + 8);  // the caption stands in the frame's line, indented
        else
          width -= 2 * Scale(3);  // a push button's edges
      }
      const SIZE need = Measure(text, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), width, format);
      const RECT in = RectIn(h, GetParent(h));
      RECT parent;
      GetClientRect(GetParent(h), &parent);
      std::ostringstream where;
      where << panel.Name() << " \"" << Utf8(text) << "\" needs " << need.cx << "x" << need.cy << ", has " << width
            << "x" << height;
      if (need.cx > width || need.cy > height) cut.push_back(where.str());
      if (in.left < 0 || in.top < 0 || in.right > parent.right || in.bottom > parent.bottom)
        cut.push_back(where.str() + ", outside its parent");
    }
    return cut;
  }

  // Each caption of the bar's buttons that does not fit the button's face.
  std::vector<std::string> CutCaptions(TFramePanel& panel) {
    std::vector<std::string> cut;
    tKvButtonBar& bar = *form->PnlButtons;
    form->InitButtons(panel);
    for (int slot = 1; slot <= tKvButtonBar::Slots; ++slot) {
      for (const TLbSpeedButton* b : {&bar.LeftButton(slot), &bar.RightButton(slot)}) {
        if (!b->Visible) continue;
        const int width = Scale(b->Left + b->Width) - Scale(b->Left) - 2 * Scale(2);
        const int height = Scale(b->Top + b->Height) - Scale(b->Top) - 2 * Scale(2);
        const SIZE need = Measure(Wide(b->Caption), GetFont({.Bold = b->FontBold}), 0, DT_SINGLELINE);
        if (need.cx > width || need.cy > height)
          cut.push_back(panel.Name() + " button \"" + b->Caption + "\" needs " + std::to_string(need.cx) + ", has " +
                        std::to_string(width));
      }
    }
    return cut;
  }

  // Places and font heights of every control of every panel, one line each.
  std::string Layout() {
    std::ostringstream out;
    RECT client;
    GetClientRect(form->Handle(), &client);
    out << "client " << client.right << "x" << client.bottom << "\n";
    for (TFramePanel* panel : form->Panels())
      for (HWND h : Descendants(panel->Handle())) {
        const RECT r = RectIn(h, panel->Handle());
        out << panel->Name() << " " << ClassOf(h) << " \"" << TextOf(h) << "\" " << r.left << "," << r.top << ","
            << r.right << "," << r.bottom << " font " << FontHeight(h) << "\n";
      }
    return out.str();
  }
};

TEST_F(Dpi, NoCaptionIsCutAtAnyDpi) {
  ShowTexts();
  for (int dpi : kDpis) {
    SwitchTo(dpi);
    ASSERT_EQ(ScreenDpi(), dpi);
    for (TFramePanel* panel : form->Panels()) {
      for (const std::string& cut : CutTexts(*panel)) ADD_FAILURE() << dpi << " DPI: " << cut;
      for (const std::string& cut : CutCaptions(*panel)) ADD_FAILURE() << dpi << " DPI: " << cut;
    }
  }
}

TEST_F(Dpi, TextsSetLaterAreFittedAgain) {
  // A caption set while the wizard runs is measured like a declared one: the completion
  // line, given to a label of the installation summary, grows there too.
  auto* summary = form->Panels()[0];
  for (TFramePanel* panel : form->Panels())
    if (panel->Name() == "PNLInstallGo") summary = panel;
  ASSERT_EQ(summary->Name(), "PNLInstallGo");
  summary->EnsureControls();
  summary->BeforeShow();
  EXPECT_EQ(CutTexts(*summary), std::vector<std::string>{});
  HWND folder = nullptr;
  for (HWND h : Descendants(summary->Handle()))
    if (TextOf(h).starts_with("Installation folder = ")) folder = h;
  ASSERT_NE(folder, nullptr);
  const RECT before = RectIn(folder, summary->Handle());
  SetTextOf(folder, "Installation folder = " + std::string(200, 'x') + " and a few words after it");
  const RECT after = RectIn(folder, summary->Handle());
  EXPECT_GT(after.bottom, before.bottom);
  EXPECT_EQ(after.top, before.top);
  SetTextOf(folder, "Installation folder = C:\\");
  EXPECT_EQ(RectIn(folder, summary->Handle()).bottom, before.bottom) << "a short text takes the design size again";
  EXPECT_EQ(FontHeight(folder), -11);
}

TEST_F(Dpi, ChangeLaysEverythingOutAgainAndBack) {
  ASSERT_EQ(ScreenDpi(), 96) << "the test prefix runs at 96 DPI";
  ShowTexts();
  auto& welcome = dynamic_cast<TPnlWelcome&>(*form->ActivePanel());
  const std::string at96 = Layout();
  HWND thanks = welcome.Label1;
  const RECT thanks96 = RectIn(thanks, welcome.Handle());
  RECT bar96;
  GetWindowRect(form->PnlButtons->Handle(), &bar96);

  SwitchTo(144);
  EXPECT_EQ(ScreenDpi(), 144);
  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, 1170);
  EXPECT_EQ(client.bottom, MulDiv(509, 144, 96));
  const RECT thanks144 = RectIn(thanks, welcome.Handle());
  EXPECT_EQ(thanks144.left, MulDiv(515, 144, 96));
  EXPECT_EQ(thanks144.top, 9);
  EXPECT_GT(thanks144.right - thanks144.left, (thanks96.right - thanks96.left) * 5 / 4);
  // Tahoma stands in for the scaled MS Sans Serif, as high as the design's line allows.
  EXPECT_GE(FontHeight(thanks), MulDiv(-11, 144, 96));
  EXPECT_LE(FontHeight(thanks), MulDiv(-10, 144, 96));
  RECT panel;
  GetClientRect(welcome.Handle(), &panel);
  EXPECT_EQ(panel.right, MulDiv(712, 144, 96));
  RECT bar144;
  GetWindowRect(form->PnlButtons->Handle(), &bar144);
  EXPECT_EQ(bar144.right - bar144.left, MulDiv(713, 144, 96));
  EXPECT_EQ(bar144.bottom - bar144.top, 48);
  // The bar's buttons answer the mouse where they are drawn at the new size.
  ASSERT_TRUE(Press("&Next"));
  EXPECT_EQ(ActiveName(), "PnlDisclaimer");
  ASSERT_TRUE(Press("&Previous"));
  EXPECT_EQ(ActiveName(), "PnlWelcome");
  const std::string at144 = Layout();
  EXPECT_NE(at144, at96);

  SwitchTo(96);
  EXPECT_EQ(Layout(), at96);
  EXPECT_EQ(FontHeight(thanks), -11);
  GetWindowRect(form->PnlButtons->Handle(), &bar144);
  EXPECT_EQ(bar144.right - bar144.left, bar96.right - bar96.left);
  SwitchTo(144);
  EXPECT_EQ(Layout(), at144) << "the same DPI gives the same layout, however often it comes";

  // Panels make their windows at their first show: one made after the change stands as one
  // made before it and moved.
  form.reset();
  form = CreateWizard(TCommandLine{});
  SwitchTo(144);
  ShowTexts();
  EXPECT_EQ(Layout(), at144);
}

}  // namespace
