#include "wizard/Frame_Panel.h"

#include "lib/win/WinApp.h"

TFramePanel::TFramePanel(std::string componentName, std::string title, TPanelButtons buttons)
    : TControlHost(clPanelSky), Title(std::move(title)), Buttons(buttons), name_(std::move(componentName)) {}

void TFramePanel::EnsureControls() {
  if (Handle()) return;
  CreateHandle(L"KvFramePanel", WS_EX_CONTROLPARENT, WS_CHILD | WS_CLIPCHILDREN, 0, 0, Scale(712), Scale(377),
               page_ ? page_ : ParkingWindow());
  CreateControls();
}

void TFramePanel::BeforeShow() {}
void TFramePanel::AfterShow() {}
bool TFramePanel::NextClick() { return true; }
void TFramePanel::PreviousClick() {}
void TFramePanel::CreateControls() {}
