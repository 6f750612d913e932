// A windowless button that draws itself; the bar that owns it paints it and feeds it the mouse.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

enum class TButtonStyle { bsModern };

class TLbSpeedButton {
 public:
  // Place and size in design pixels, relative to the bar.
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool Visible = false;
  bool Enabled = true;
  int Tag = 0;
  std::string Caption;
  COLORREF Color = 0, FontColor = 0, ColorLight = 0, ColorShadow = 0;
  bool FontBold = false;
  TButtonStyle Style = TButtonStyle::bsModern;
  std::function<void(TLbSpeedButton&)> OnClick;
  bool Pressed = false;

  // The accelerator character (lower case) of the caption, or 0.
  char Accelerator() const;
  bool Contains(int designX, int designY) const;
  void Paint(HDC dc) const;
};
