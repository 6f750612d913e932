#include "lib/win/Pictures.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_image.h>
#pragma GCC diagnostic pop

#include <memory>

#include "lib/win/WinText.h"

TBitmapHandle LoadPicture(const char* name, int width, int height) {
  HRSRC res = FindResourceW(nullptr, Wide(name).c_str(), RT_RCDATA);
  HGLOBAL data = res ? LoadResource(nullptr, res) : nullptr;
  if (!data || width <= 0 || height <= 0) return {};
  int w = 0, h = 0, channels = 0;
  std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> pixels(
      stbi_load_from_memory(static_cast<const stbi_uc*>(LockResource(data)),
                            static_cast<int>(SizeofResource(nullptr, res)), &w, &h, &channels, 4),
      stbi_image_free);
  if (!pixels) return {};
  // stb gives RGBA, a DIB wants BGRA.
  stbi_uc* p = pixels.get();
  for (int i = 0; i < w * h; ++i, p += 4) std::swap(p[0], p[2]);

  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;

  HDC screen = GetDC(nullptr);
  TBitmapHandle bitmap(CreateCompatibleBitmap(screen, width, height));
  HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  {
    TSelectGuard sel(dc, bitmap.get());
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, 0, 0, width, height, 0, 0, w, h, pixels.get(), &bi, DIB_RGB_COLORS, SRCCOPY);
  }
  DeleteDC(dc);
  return bitmap;
}
