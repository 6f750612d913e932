// Base of every wizard panel: a title for the header, the buttons it shows, and the operations
// the main window calls.
#pragma once
#include <string>

#include "lib/win/Controls.h"

class TFormMain;

// A panel's buttons, placed by the rules every panel follows: "&Exit" at the left (ID 1), the
// go-on button rightmost (ID 2), "&Previous" left of it (ID 3). The main window adds them and
// handles "&Exit" itself. A panel without a go-on button has no buttons at all: the progress
// panels, which nothing may interrupt.
struct TPanelButtons {
  const char* GoOn = nullptr;    // its caption
  unsigned char GoOnWidth = 1;   // its width code
  bool Previous = false;
};

class TFramePanel : public TControlHost {
 public:
  // The panel starts without a window: it is made, hidden, on the page the main window gives.
  TFramePanel(std::string componentName, std::string title, TPanelButtons buttons = {});
  const std::string& Name() const { return name_; }
  std::string Title;
  const TPanelButtons Buttons;

  // The window that hosts the panel, and the page its window goes on; a panel outside the
  // main window is parked.
  void Host(TFormMain& frame, HWND page) {
    frame_ = &frame;
    page_ = page;
  }
  // Makes the panel's window and its controls on the first call. The main window calls it
  // before the panel's first show; code that sets or reads a control of a panel that may not
  // have shown yet calls it first.
  void EnsureControls();

  virtual void BeforeShow();
  virtual void AfterShow();
  // The go-on button: checks the panel's input and stores it in the state; true moves on along
  // the route, false stays (the panel has said why).
  virtual bool NextClick();
  // The go-back button: forgets what must be proposed anew; the route's previous panel follows.
  virtual void PreviousClick();

 protected:
  // The main window: the state, the route, the end of the run.
  TFormMain& Frame() const { return *frame_; }
  // Creates the child windows, once. A run shows only some of the panels, and nothing of a
  // panel can be seen before it shows: making every panel's windows at start delayed the
  // wizard's first frame.
  virtual void CreateControls();

 private:
  std::string name_;
  TFormMain* frame_ = nullptr;
  HWND page_ = nullptr;
};

// The panels' colour behind every control.
inline constexpr COLORREF clPanelSky = Rgb(166, 202, 240);
