#include "panels/PNL_InstallChooseConnection.h"

#include "wizard/Form_Main.h"

namespace {
using P = TPNLInstallChooseConnection;

constexpr const char* kCaptions[P::ItemCount] = {
    "Dial-up &Modem < 56KBS", "Dial-up M&odem 56K", "&ISDN", "&ADSL / DSL", "&Cable", "&T1", "T&2", "ADSL 2",
    "I &don't know"};

// The radio group: a captioned frame with one column of items spread over its height.
constexpr int kGroupLeft = 200, kGroupTop = 130, kItemTop = kGroupTop + 16, kItemHeight = 14;

constexpr TControlDecl<P> kControls[] = {
    {TKind::Picture, &P::Image1, 16, 16, 177, 281, "INSTALL"},
    {TKind::StaticText, &P::StaticText1, 200, 16, 216, 105},
    {TKind::GroupBox, &P::rgConnection, kGroupLeft, kGroupTop, 185, 145, "Internet-connection"},
};
}  // namespace

TPNLInstallChooseConnection::TPNLInstallChooseConnection()
    : TFramePanel("PNLInstallChooseConnection", "Select your internet-connection",
                  {.GoOn = "&Next", .Previous = true}) {}

void TPNLInstallChooseConnection::CreateControls() {
  Build(*this, std::span(kControls));
  for (int i = 0; i < ItemCount; ++i) {
    // The first item opens the group for the arrow keys; the ticked one takes the tab stop.
    Items[i] = Create(TKind::RadioButton, Handle(), kGroupLeft + 8, kItemTop + i * kItemHeight, 170, kItemHeight, "",
                      {}, i == 0 ? WS_GROUP : 0, {});
  }
}

void TPNLInstallChooseConnection::BeforeShow() {
  SetTextOf(StaticText1,
                 "Choose the kind of internet-connection that\ryou use. Korvane P2P uses this information to "
                 "\roptimize its performance dependend on the\rkind of connection you have. After installation\ryou "
                 "can always select to the item \"Settings\"\rof Korvane P2P to finetune this settings further.");
  for (int i = 0; i < ItemCount; ++i) {
    SetTextOf(Items[i], kCaptions[i]);
    SendMessageW(Items[i], BM_SETCHECK, i == Frame().State.ConnectionType ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  // As in any radio group, Tab and the panel's first focus land on the ticked item, not the first.
  const int ticked = ItemIndex() < 0 ? 0 : ItemIndex();
  for (int i = 0; i < ItemCount; ++i) {
    const LONG_PTR style = GetWindowLongPtrW(Items[i], GWL_STYLE);
    SetWindowLongPtrW(Items[i], GWL_STYLE, i == ticked ? style | WS_TABSTOP : style & ~WS_TABSTOP);
  }
  SetFocus(Items[ticked]);
}

int TPNLInstallChooseConnection::ItemIndex() const {
  for (int i = 0; i < ItemCount; ++i)
    if (SendMessageW(Items[i], BM_GETCHECK, 0, 0) == BST_CHECKED) return i;
  return -1;
}

bool TPNLInstallChooseConnection::NextClick() {
  Frame().State.ConnectionType = ItemIndex();
  return true;
}
