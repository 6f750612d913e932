// The kind of Internet connection, stored as an index; the data file turns it into a speed.
#pragma once
#include <array>

#include "lib/win/WinHandles.h"
#include "wizard/Frame_Panel.h"

class TPNLInstallChooseConnection : public TFramePanel {
 public:
  static constexpr int ItemCount = 9;

  TPNLInstallChooseConnection();
  void BeforeShow() override;
  bool NextClick() override;

  // Index of the ticked item, -1 for none.
  int ItemIndex() const;

  HWND Image1 = nullptr, StaticText1 = nullptr, rgConnection = nullptr;
  std::array<HWND, ItemCount> Items{};

 protected:
  void CreateControls() override;
};
