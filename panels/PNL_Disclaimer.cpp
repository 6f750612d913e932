#include "panels/PNL_Disclaimer.h"

#include <string>

#include "wizard/Form_Main.h"

namespace {
// The tick box comes first in the tab order, the text second.
constexpr TControlDecl<TPnlDisclaimer> kControls[] = {
    {TKind::Picture, &TPnlDisclaimer::Image1, 8, 8, 49, 57, "EMBLEM"},
    {TKind::Label, &TPnlDisclaimer::Label1, 72, 8, 0, 0, "Korvane P2P License agreement", {.Height = -21}},
    {TKind::CheckBox, &TPnlDisclaimer::CheckBox1, 72, 340, 601, 25,
     "&I have read the statement above and I fully agree with this statement.", {.Height = -21}},
    {TKind::Memo, &TPnlDisclaimer::MemoDisclaimer, 70, 36, 553, 292, "", {}, Rgb(0, 0, 0), Rgb(255, 255, 255)},
};

// One paragraph a line; the text box wraps them.
constexpr const char* kLines[] = {
    "KORVANE P2P LICENSE AGREEMENT",
    "-------------------------------------------",
    "",
    "Korvane P2P is protected by copyright law and international treaties. All rights to the software are held "
    "by Korvane.",
    "",
    "This agreement is made between you, the user of the software, and Korvane, the maker of the software.",
    "",
    "You may install the software freely on any computer, as long as you respect the conditions of this "
    "agreement. If you no longer agree with them, you must remove the software from your computer.",
    "",
    "The software, and every dealing between you and Korvane, falls under the law and the courts of the "
    "country where Korvane is established. No third party can claim any right from this agreement.",
    "",
    "DISTRIBUTION",
    "",
    "Everybody may pass on the installation program of Korvane P2P, provided that it is not altered in any way.",
    "No prior approval from Korvane is needed for that.",
    "",
    "DISCLAIMER",
    "",
    "You use the software at your own risk. It comes without any warranty, and Korvane is not liable for any "
    "damage caused by using it or by being unable to use it.",
    "",
    "Korvane takes no responsibility for illegal use of the software by users who are not associated with "
    "Korvane.",
    "",
    "You accept the software in the state in which it is delivered to you.",
    "",
    "You are not entitled to support or to any other service.",
    "",
    "Korvane owns no file-sharing network, does not know which files are exchanged on such networks and bears "
    "no responsibility for the content or the information found on them.",
    "",
    "USAGE RESTRICTIONS",
    "",
    "The software is for private use only. Commercial use, that is use aimed at financial gain, needs the "
    "consent of Korvane.",
    "",
    "Testing or reviewing the software is not commercial use.",
    "",
    "You may use the software only within the law of your own country.",
    "",
    "You may not modify the software; you may use it only in the form in which it is provided.",
    "",
    "PRO VERSION",
    "",
    "The paid edition, Korvane P2P Pro, is licensed to one person, who may install it on the computers that "
    "person uses.",
    "",
    "The licence of the paid edition may not be passed on, lent or sold to anybody else.",
    "",
    "All other conditions of this agreement apply to the paid edition as well.",
    "",
    "BY USING THIS SOFTWARE YOU AGREE TO BE BOUND BY THESE CONDITIONS.",
};
static_assert(std::size(kLines) == 47);
}  // namespace

TPnlDisclaimer::TPnlDisclaimer()
    : TFramePanel("PnlDisclaimer", "License agreement and disclaimer", {.GoOn = "&Next", .Previous = true}) {}

void TPnlDisclaimer::CreateControls() { Build(*this, std::span(kControls)); }

void TPnlDisclaimer::BeforeShow() {
  std::string text;
  for (size_t i = 0; i < std::size(kLines); ++i) {
    if (i > 0) text += "\r\n";
    text += kLines[i];
  }
  SetTextOf(MemoDisclaimer, text);
  // The box opens on its first line, whatever the user scrolled to on an earlier visit.
  SendMessageW(MemoDisclaimer, EM_SETSEL, 0, 0);
  SendMessageW(MemoDisclaimer, EM_SCROLLCARET, 0, 0);
  SendMessageW(CheckBox1, BM_SETCHECK, BST_UNCHECKED, 0);
}

bool TPnlDisclaimer::NextClick() {
  if (SendMessageW(CheckBox1, BM_GETCHECK, 0, 0) == BST_CHECKED) return true;
  MessageBoxW(Frame().Handle(),
              L"You can only install Korvane P2P in case you agree to this statement.\r"
              L"Check the checkbox to confirm.\r"
              L"Otherwise please press Exit",
              L"Install Korvane P2P", MB_OK);
  return false;
}
