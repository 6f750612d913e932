#include "lib/win/Pictures.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_image.h>
#pragma GCC diagnostic pop

#include <cstring>
#include <future>
#include <memory>

#include "lib/win/WinText.h"

namespace {

// A decoded picture, top-down BGRA as a DIB wants it.
struct TPixels {
  int Width = 0, Height = 0;
  std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> Data{nullptr, stbi_image_free};
};

// No window and no device context: it may run on any thread.
TPixels Decode(const char* name) {
  TPixels out;
  HRSRC res = FindResourceW(nullptr, Wide(name).c_str(), RT_RCDATA);
  HGLOBAL data = res ? LoadResource(nullptr, res) : nullptr;
  if (!data) return out;
  int channels = 0;
  out.Data.reset(stbi_load_from_memory(static_cast<const stbi_uc*>(LockResource(data)),
                                       static_cast<int>(SizeofResource(nullptr, res)), &out.Width, &out.Height,
                                       &channels, 4));
  if (!out.Data) return out;
  // stb gives RGBA, a DIB wants BGRA.
  stbi_uc* p = out.Data.get();
  for (int i = 0; i < out.Width * out.Height; ++i, p += 4) std::swap(p[0], p[2]);
  return out;
}

struct TPrefetch {
  const char* Name = nullptr;
  std::future<TPixels> Pixels;
};
TPrefetch gPrefetch;

}  // namespace

void PrefetchPicture(const char* name) { gPrefetch = {name, std::async(std::launch::async, Decode, name)}; }

TBitmapHandle LoadPicture(const char* name, int width, int height) {
  if (width <= 0 || height <= 0) return {};
  TPixels pixels;
  if (gPrefetch.Name && std::strcmp(gPrefetch.Name, name) == 0) {
    pixels = gPrefetch.Pixels.get();
    gPrefetch = {};
  } else {
    pixels = Decode(name);
  }
  if (!pixels.Data) return {};

  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = pixels.Width;
  bi.bmiHeader.biHeight = -pixels.Height;  // top-down
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
    StretchDIBits(dc, 0, 0, width, height, 0, 0, pixels.Width, pixels.Height, pixels.Data.get(), &bi,
                  DIB_RGB_COLORS, SRCCOPY);
  }
  DeleteDC(dc);
  return bitmap;
}
