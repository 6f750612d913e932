// The panels' pictures, decoded on the spot or ahead on a thread of their own.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "lib/win/Pictures.h"

namespace {

// The bitmap's pixels as 32-bit top-down rows; empty for no bitmap.
std::vector<DWORD> Pixels(const TBitmapHandle& bitmap, int width, int height) {
  if (!bitmap) return {};
  std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap.get(), 0, height, pixels.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(rows, height);
  return pixels;
}

TEST(Pictures, PrefetchedPictureIsTheOneDecodedOnTheSpotAndOnlyForItsOwnName) {
  const std::vector<DWORD> welcome = Pixels(LoadPicture("WELCOME", 513, 390), 513, 390);
  const std::vector<DWORD> emblem = Pixels(LoadPicture("EMBLEM", 49, 57), 49, 57);
  ASSERT_FALSE(welcome.empty());
  ASSERT_FALSE(emblem.empty());

  PrefetchPicture("WELCOME");
  // Another picture meanwhile is decoded on the spot and leaves the prefetched one waiting.
  EXPECT_EQ(Pixels(LoadPicture("EMBLEM", 49, 57), 49, 57), emblem);
  EXPECT_EQ(Pixels(LoadPicture("WELCOME", 513, 390), 513, 390), welcome);
  // Taken once: the next load decodes again, to the same pixels.
  EXPECT_EQ(Pixels(LoadPicture("WELCOME", 513, 390), 513, 390), welcome);
}

TEST(Pictures, PrefetchOfAMissingPictureLoadsNothing) {
  PrefetchPicture("NOSUCHPICTURE");
  EXPECT_FALSE(LoadPicture("NOSUCHPICTURE", 10, 10));
  EXPECT_TRUE(LoadPicture("EMBLEM", 49, 57));
}

}  // namespace
