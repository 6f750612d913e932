// The real main window for panel tests, and the user's ways of driving it.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/Appl_Panels.h"
#include "lib/LIB_Random.h"
#include "lib/win/Controls.h"
#include "lib/win/WinApp.h"
#include "wizard/Form_Main.h"

// Stands in for a panel of the wizard that a test must not run (a search of the drives).
class TStandInPanel : public TFramePanel {
 public:
  TStandInPanel(const char* name, const char* title) : TFramePanel(name, title) {}
};

class TWizardTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetRandom();
    form = CreateWizard(TCommandLine{});
  }
  void TearDown() override {
    form.reset();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }

  // Adds a stand-in, named `name`, that takes the place of the real panel.
  void StandIn(TPanelId id, const char* name) { form->AddPanel(id, std::make_unique<TStandInPanel>(name, name)); }

  std::string ActiveName() const { return form->ActivePanel() ? form->ActivePanel()->Name() : ""; }

  // Clicks the visible bar button with this caption, as the mouse does; false when there is none.
  bool Press(const std::string& caption) {
    tKvButtonBar& bar = *form->PnlButtons;
    for (int slot = 1; slot <= tKvButtonBar::Slots; ++slot) {
      for (const TLbSpeedButton* b : {&bar.LeftButton(slot), &bar.RightButton(slot)}) {
        if (!b->Visible || b->Caption != caption) continue;
        const LPARAM at = MAKELPARAM(Scale(b->Left + b->Width / 2), Scale(b->Top + b->Height / 2));
        SendMessageA(bar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(bar.Handle(), WM_LBUTTONUP, 0, at);
        return true;
      }
    }
    return false;
  }

  static std::string Text(HWND h) { return TextOf(h); }
  // Runs the message loop until `done` holds (an engine works on its own thread meanwhile).
  static void WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 120000) {
    const DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < timeoutMs) ProcessMessagesFor(10);
    ASSERT_TRUE(done()) << "timed out";
  }
  static bool Checked(HWND h) { return SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED; }

  // Runs `action`, which opens a modal message box; returns the box's text after closing it.
  static std::string AnswerMessageBox(const std::function<void()>& action) {
    static std::string seen;
    seen = "(no message box)";
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
      EnumThreadWindows(
          GetCurrentThreadId(),
          [](HWND w, LPARAM) -> BOOL {
            char cls[16];
            if (!IsWindowVisible(w) || !GetClassNameA(w, cls, sizeof cls) || std::string(cls) != "#32770")
              return TRUE;
            seen = Text(GetDlgItem(w, 0xFFFF));
            PostMessageA(w, WM_COMMAND, IDOK, 0);
            return FALSE;
          },
          0);
    });
    action();
    KillTimer(nullptr, timer);
    return seen;
  }

  std::unique_ptr<TFormMain> form;
};
