// The first page: a picture with eight drifting words, and a few lines about the product.
#pragma once
#include <array>
#include <memory>

#include "lib/LIB_MovingWords.h"
#include "wizard/Frame_Panel.h"

class TPnlWelcome : public TFramePanel {
 public:
  TPnlWelcome();
  ~TPnlWelcome() override;
  // Goes on once the installer's check of its own file has passed.
  bool NextClick() override;

  void Timer1Timer();
  // One step of word number i (1..8).
  void MoveWord(int i);

  // The words lblMove1 .. lblMove8, in design pixels of the picture.
  const std::array<TMovingWord, 8>& Words() const { return words_; }
  bool Timer1Enabled() const { return timer1Enabled_; }

  HWND Label1 = nullptr, StaticText5 = nullptr, StaticText6 = nullptr, StaticText7 = nullptr, Label2 = nullptr;
  HWND StaticText8 = nullptr;

 protected:
  void CreateControls() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void Arrange() override;

 private:
  class TStage;
  std::unique_ptr<TStage> Image2;
  std::array<TMovingWord, 8> words_;
  bool timer1Enabled_ = false;
};
