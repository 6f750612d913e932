#include "wizard/LbSpeedButton.h"

#include "lib/win/Controls.h"
#include "lib/win/WinApp.h"
#include "lib/win/WinHandles.h"
#include "lib/win/WinText.h"

char TLbSpeedButton::Accelerator() const {
  for (size_t i = 0; i + 1 < Caption.size(); ++i) {
    if (Caption[i] != '&') continue;
    if (Caption[i + 1] == '&') {
      ++i;  // "&&" is a literal ampersand
      continue;
    }
    const char c = Caption[i + 1];
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return 0;
}

bool TLbSpeedButton::Contains(int x, int y) const {
  return x >= Left && x < Left + Width && y >= Top && y < Top + Height;
}

namespace {
COLORREF Mix(COLORREF a, COLORREF b, int step, int steps) {
  auto ch = [&](int ca, int cb) { return ca + (cb - ca) * step / (steps - 1); };
  return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

// Fills `bands` horizontal bands from colour `from` to colour `to` between rows top and bottom.
void Gradient(HDC dc, int left, int right, int top, int bottom, COLORREF from, COLORREF to, int bands) {
  const int h = bottom - top;
  if (h <= 0) return;
  for (int i = 0; i < bands; ++i) {
    RECT r{left, top + h * i / bands, right, top + h * (i + 1) / bands};
    if (r.bottom <= r.top) continue;
    FillRect(dc, &r, GetBrush(Mix(from, to, i, bands)));
  }
}
}  // namespace

void TLbSpeedButton::Paint(HDC dc) const {
  const RECT outer{Scale(Left), Scale(Top), Scale(Left + Width), Scale(Top + Height)};
  const int margin = Scale(2);
  const int innerTop = outer.top + margin, innerBottom = outer.bottom - margin;
  // The face turns a quarter of the way down; pressed, one pixel lower.
  const int turn = innerTop + (innerBottom - innerTop) / 4 + (Pressed ? 1 : 0);
  Gradient(dc, outer.left + margin, outer.right - margin, innerTop, turn, ColorLight, Color, 32);
  Gradient(dc, outer.left + margin, outer.right - margin, turn, innerBottom, Color, ColorLight, 32);

  TGdiObject pen(CreatePen(PS_SOLID, 1, ColorShadow));
  TSelectGuard selPen(dc, pen.get());
  TSelectGuard selBrush(dc, GetStockObject(NULL_BRUSH));
  RoundRect(dc, outer.left, outer.top, outer.right, outer.bottom, Scale(6), Scale(6));
  if (Pressed) Rectangle(dc, outer.left + margin, outer.top + margin, outer.right - margin, outer.bottom - margin);

  TFontSpec font;
  font.Bold = FontBold;
  TSelectGuard selFont(dc, GetFont(font));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, FontColor);
  RECT text = outer;
  if (Pressed) OffsetRect(&text, 1, 1);
  DrawTextW(dc, Wide(Caption).c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
