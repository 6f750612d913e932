// The strip of buttons at the bottom of the wizard. It owns a fixed stock of buttons and lends
// them to the current panel; it decides nothing itself.
#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "wizard/LbSpeedButton.h"
#include "lib/win/Window.h"

using TNotifyEvent = std::function<void(TLbSpeedButton& Sender)>;

class tKvButtonBar : public TWindow {
 public:
  static constexpr int Slots = 12;
  // Place in design pixels within the parent.
  tKvButtonBar(HWND parent, int left, int top, int width);
  ~tKvButtonBar() override;

  void Clear();
  void AddLeft(const std::string& Caption, int ID, unsigned char WidthCode, TNotifyEvent OnClick);
  void AddRight(const std::string& Caption, int ID, unsigned char WidthCode, TNotifyEvent OnClick);
  void SetColors(COLORREF FontColour, COLORREF ShadowColour, COLORREF ButtonColour, COLORREF LightColour,
                 COLORREF BarColour);

  // Presses the visible button whose accelerator is `key`; false when there is none.
  bool Accelerate(char key);

  static int WidthOf(unsigned char code);
  const TLbSpeedButton& LeftButton(int slot) const { return left_[slot - 1]; }
  const TLbSpeedButton& RightButton(int slot) const { return right_[slot - 1]; }
  int LeftCount() const { return leftCount_; }
  int RightCount() const { return rightCount_; }
  COLORREF Color() const { return color_; }
  int Width, Height = 32;  // design pixels

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Add(std::array<TLbSpeedButton, Slots>& stock, int& count, int x, int w, const std::string& caption, int id,
           TNotifyEvent onClick);
  class TBarAccessible;
  // The buttons in use as they stand from left to right.
  std::vector<TLbSpeedButton*> Shown();
  void Fire(TLbSpeedButton& button);
  void Press(TLbSpeedButton& button);
  TLbSpeedButton* HitTest(LPARAM lp);
  void Repaint(const TLbSpeedButton& b);
  std::array<TLbSpeedButton, Slots> left_{}, right_{};
  int leftCount_ = 0, rightCount_ = 0;
  COLORREF color_ = 0;
  TLbSpeedButton* down_ = nullptr;
  TBarAccessible* accessible_ = nullptr;  // created when a client first asks; holds one reference
  unsigned clears_ = 0;                // a press asked for before a Clear is not carried out after it
};
