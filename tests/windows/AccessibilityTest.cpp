// What a screen reader finds through oleacc in the windows that draw their own parts: the
// button bar's buttons and the welcome panel's moving picture.
#include <gtest/gtest.h>
#include <windows.h>

#include <oleacc.h>

#include <set>
#include <string>
#include <vector>

#include "lib/win/WinText.h"
#include "tests/windows/WizardTestUtil.h"

namespace {

VARIANT Child(long id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

std::wstring Take(BSTR text) {
  std::wstring s = text ? text : L"";
  SysFreeString(text);
  return s;
}

long Role(IAccessible* acc, long child) {
  VARIANT v;
  VariantInit(&v);
  if (FAILED(acc->get_accRole(Child(child), &v)) || v.vt != VT_I4) return -1;
  return v.lVal;
}

long State(IAccessible* acc, long child) {
  VARIANT v;
  VariantInit(&v);
  if (FAILED(acc->get_accState(Child(child), &v)) || v.vt != VT_I4) return -1;
  return v.lVal;
}

std::wstring Name(IAccessible* acc, long child) {
  BSTR s = nullptr;
  acc->get_accName(Child(child), &s);
  return Take(s);
}

std::wstring Shortcut(IAccessible* acc, long child) {
  BSTR s = nullptr;
  acc->get_accKeyboardShortcut(Child(child), &s);
  return Take(s);
}

std::wstring DefaultAction(IAccessible* acc, long child) {
  BSTR s = nullptr;
  acc->get_accDefaultAction(Child(child), &s);
  return Take(s);
}

// The client area's object, as AccessibleObjectFromWindow hands it to a screen reader.
IAccessible* ClientObject(HWND window) {
  IAccessible* acc = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&acc))))
    return nullptr;
  return acc;
}

struct TShownButton {
  const char* Caption;
  const wchar_t* Name;
  const wchar_t* Shortcut;
};

}  // namespace

class Accessibility : public TWizardTest {
 protected:
  // The bar's children against the buttons a panel shows, from left to right.
  void ExpectButtons(std::initializer_list<TShownButton> shown) {
    IAccessible* bar = ClientObject(form->PnlButtons->Handle());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(Role(bar, CHILDID_SELF), ROLE_SYSTEM_TOOLBAR);
    long count = -1;
    EXPECT_EQ(bar->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, static_cast<long>(shown.size()));
    long id = 1;
    for (const TShownButton& b : shown) {
      SCOPED_TRACE(b.Caption);
      EXPECT_EQ(Name(bar, id), b.Name);
      EXPECT_EQ(Role(bar, id), ROLE_SYSTEM_PUSHBUTTON);
      EXPECT_EQ(State(bar, id), STATE_SYSTEM_FOCUSABLE);
      EXPECT_EQ(Shortcut(bar, id), b.Shortcut);
      EXPECT_EQ(DefaultAction(bar, id), L"Press");

      // The rectangle is the button's on the screen: its centre hits this very child.
      const TLbSpeedButton* button = nullptr;
      for (int slot = 1; slot <= tKvButtonBar::Slots; ++slot)
        for (const TLbSpeedButton* c : {&form->PnlButtons->LeftButton(slot), &form->PnlButtons->RightButton(slot)})
          if (c->Visible && c->Caption == b.Caption) button = c;
      ASSERT_NE(button, nullptr);
      RECT want{Scale(button->Left), Scale(button->Top), Scale(button->Left + button->Width),
                Scale(button->Top + button->Height)};
      MapWindowPoints(form->PnlButtons->Handle(), nullptr, reinterpret_cast<POINT*>(&want), 2);
      long x = 0, y = 0, w = 0, h = 0;
      EXPECT_EQ(bar->accLocation(&x, &y, &w, &h, Child(id)), S_OK);
      EXPECT_EQ(x, want.left);
      EXPECT_EQ(y, want.top);
      EXPECT_EQ(w, want.right - want.left);
      EXPECT_EQ(h, want.bottom - want.top);
      VARIANT hit;
      VariantInit(&hit);
      EXPECT_EQ(bar->accHitTest(x + w / 2, y + h / 2, &hit), S_OK);
      EXPECT_EQ(hit.vt, VT_I4);
      EXPECT_EQ(hit.lVal, id);
      ++id;
    }
    BSTR none = nullptr;
    EXPECT_EQ(bar->get_accName(Child(id), &none), E_INVALIDARG);
    bar->Release();
  }
};

TEST_F(Accessibility, BarShowsEachPanelsButtonsFromLeftToRight) {
  ExpectButtons({{"&Exit", L"Exit", L"Alt+E"}, {"&Next", L"Next", L"Alt+N"}});
  ASSERT_TRUE(Press("&Next"));
  WaitUntil([&] { return ActiveName() == "PnlDisclaimer" && !form->Busy; });
  ExpectButtons({{"&Exit", L"Exit", L"Alt+E"}, {"&Previous", L"Previous", L"Alt+P"}, {"&Next", L"Next", L"Alt+N"}});
}

TEST_F(Accessibility, DefaultActionPressesTheButtonAsAClickDoes) {
  IAccessible* bar = ClientObject(form->PnlButtons->Handle());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->accDoDefaultAction(Child(CHILDID_SELF)), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(bar->accDoDefaultAction(Child(3)), E_INVALIDARG);

  // While panels slide every handler ignores its button, whoever presses it.
  form->Busy = true;
  EXPECT_EQ(bar->accDoDefaultAction(Child(2)), S_OK);
  ProcessMessagesFor(300);
  EXPECT_EQ(ActiveName(), "PnlWelcome");
  form->Busy = false;

  EXPECT_EQ(bar->accDoDefaultAction(Child(2)), S_OK);
  WaitUntil([&] { return ActiveName() == "PnlDisclaimer"; });
  bar->Release();
}

TEST_F(Accessibility, ObjectKeptByAClientOutlivesTheBarHarmlessly) {
  IAccessible* bar = ClientObject(form->PnlButtons->Handle());
  ASSERT_NE(bar, nullptr);
  form.reset();
  long count = -1;
  EXPECT_EQ(bar->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
  BSTR name = nullptr;
  EXPECT_EQ(bar->get_accName(Child(1), &name), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(bar->accDoDefaultAction(Child(2)), CO_E_OBJNOTCONNECTED);
  // The bar gave its own reference back as it went: this is the last one.
  EXPECT_EQ(bar->Release(), 0u);
}

TEST_F(Accessibility, WelcomePictureIsANamedGraphic) {
  HWND stage = FindWindowExA(form->ActivePanel()->Handle(), nullptr, "KvWelcomeStage", nullptr);
  ASSERT_NE(stage, nullptr);
  IAccessible* picture = ClientObject(stage);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(Role(picture, CHILDID_SELF), ROLE_SYSTEM_GRAPHIC);
  EXPECT_EQ(Name(picture, CHILDID_SELF),
            L"Korvane P2P: Download, Search, Share, P2P, Easy, Secure, Encryption, Fast");
  long count = -1;
  EXPECT_EQ(picture->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 0);
  picture->Release();
}

namespace {

// A screen reader's name for a standard control. oleacc gives a control's own text; for a box, a
// list, a tree or a bar, Windows takes the static label found walking back through the tab order,
// and stops at a control that opens a tab group. Wine's oleacc does that only for edit boxes, so
// where it gives nothing the walk is made here as Windows makes it.
std::wstring ScreenReaderName(HWND control) {
  IAccessible* acc = ClientObject(control);
  std::wstring name = acc ? Name(acc, CHILDID_SELF) : L"";
  if (acc) acc->Release();
  if (!name.empty()) return name;
  wchar_t cls[32] = L"";
  GetClassNameW(control, cls, ARRAYSIZE(cls));
  const std::wstring kind = cls;
  if (kind != L"Edit" && kind != L"ComboBox" && kind != L"SysTreeView32" && kind != L"msctls_progress32") return L"";
  for (HWND h = GetWindow(control, GW_HWNDPREV); h; h = GetWindow(h, GW_HWNDPREV)) {
    GetClassNameW(h, cls, ARRAYSIZE(cls));
    if (lstrcmpiW(cls, L"Static") == 0) {
      wchar_t text[256] = L"";
      GetWindowTextW(h, text, ARRAYSIZE(text));
      return text;
    }
    if ((GetWindowLongW(h, GWL_STYLE) & (WS_GROUP | WS_TABSTOP)) == (WS_GROUP | WS_TABSTOP)) break;
  }
  return L"";
}

// Shown in its panel: this window and every window between it and the panel carry WS_VISIBLE
// (the panel itself may be parked).
bool ShownIn(HWND control, HWND panel) {
  for (HWND h = control; h && h != panel; h = GetParent(h))
    if (!(GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE)) return false;
  return true;
}

}  // namespace

// Every control a user can reach on every panel, as its panel shows it, has a name; the boxes,
// lists, trees and bars have the one their label gives them.
TEST_F(Accessibility, EveryControlOfEveryPanelHasAName) {
  std::set<std::wstring> labelled;  // class and name of each labelled one found
  for (TFramePanel* panel : form->Panels()) {
    SCOPED_TRACE(panel->Name());
    // The panels that start an engine or a search do it after showing; their texts are set before.
    panel->EnsureControls();
    panel->BeforeShow();
    std::vector<HWND> controls;
    EnumChildWindows(
        panel->Handle(),
        [](HWND h, LPARAM list) {
          reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&controls));
    for (HWND control : controls) {
      wchar_t cls[32] = L"";
      GetClassNameW(control, cls, ARRAYSIZE(cls));
      const std::wstring kind = cls;
      const bool reachable = kind == L"Button" || kind == L"Edit" || kind == L"ComboBox" ||
                             kind == L"SysTreeView32" || kind == L"msctls_progress32";
      if (!reachable || !ShownIn(control, panel->Handle())) continue;
      const std::wstring name = ScreenReaderName(control);
      SCOPED_TRACE(testing::Message() << "a " << Utf8(kind) << " showing \"" << Text(control) << "\"");
      EXPECT_FALSE(name.empty());
      if (kind != L"Button") labelled.insert(kind + L": " + name);
    }
  }
  const std::set<std::wstring> want = {
      L"Edit: Korvane P2P License agreement",         L"Edit: Installation folder",
      L"Edit: Download folder",                       L"SysTreeView32: Choose installation folder",
      L"SysTreeView32: Choose download folder",       L"ComboBox: Upgrade Korvane P2P installed in:",
      L"msctls_progress32: 0% complete"};
  EXPECT_EQ(labelled, want);
}
