// Base of every wizard panel: a title for the header and three operations the main window calls.
#pragma once
#include <string>

#include "lib/win/Controls.h"

class tKvButtonBar;

class TFramePanel : public TControlHost {
 public:
  // The panel starts without a window: it is made, hidden, on the page the main window gives.
  TFramePanel(std::string componentName, std::string title);
  const std::string& Name() const { return name_; }
  std::string Title;

  // The page the panel's window goes on; a panel outside the main window is parked.
  void SetPage(HWND page) { page_ = page; }
  // Makes the panel's window and its controls on the first call. The main window calls it
  // before the panel's first show; code that sets or reads a control of a panel that may not
  // have shown yet calls it first.
  void EnsureControls();

  virtual void InitButtons(tKvButtonBar& bar);
  virtual void BeforeShow();
  virtual void AfterShow();

 protected:
  // Creates the child windows, once. A run shows only some of the panels, and nothing of a
  // panel can be seen before it shows: making every panel's windows at start delayed the
  // wizard's first frame.
  virtual void CreateControls();

 private:
  std::string name_;
  HWND page_ = nullptr;
};

// The panels' colour behind every control.
inline constexpr COLORREF clPanelSky = Rgb(166, 202, 240);
