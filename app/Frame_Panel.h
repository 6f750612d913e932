// Base of every wizard panel: a title for the header and three operations the main window calls.
#pragma once
#include <string>

#include "lib/win/Controls.h"

class tKvButtonBar;

class TFramePanel : public TControlHost {
 public:
  // The panel starts parked (hidden); the main window moves it onto its page.
  TFramePanel(std::string componentName, std::string title);
  const std::string& Name() const { return name_; }
  std::string Title;

  virtual void InitButtons(tKvButtonBar& bar);
  virtual void BeforeShow();
  virtual void AfterShow();

 private:
  std::string name_;
};

// The panels' colour behind every control.
inline constexpr COLORREF clPanelSky = Rgb(166, 202, 240);
