#include "lib/win/Pictures.h"

#include "lib/win/WinText.h"

// The bitmap comes from the user interface's own loader, so that no picture decoder is loaded
// before the first frame (under Wine, the imaging components cost tens of milliseconds there).
// At another DPI, HALFTONE scales it to the control.
TBitmapHandle LoadPicture(const char* name, int width, int height) {
  if (width <= 0 || height <= 0) return {};
  TBitmapHandle source(static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), Wide(name).c_str(), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
  if (!source) return {};
  BITMAP size{};
  GetObjectW(source.get(), sizeof(size), &size);
  if (size.bmWidth == width && size.bmHeight == height) return source;

  HDC screen = GetDC(nullptr);
  TBitmapHandle bitmap(CreateCompatibleBitmap(screen, width, height));
  HDC dc = CreateCompatibleDC(screen);
  HDC from = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  {
    TSelectGuard sel(dc, bitmap.get());
    TSelectGuard selFrom(from, source.get());
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, 0, 0, width, height, from, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
  }
  DeleteDC(from);
  DeleteDC(dc);
  return bitmap;
}
