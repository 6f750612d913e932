#include "lib/win/Pictures.h"

#include <olectl.h>

#include <cstring>

#include "lib/win/WinText.h"

// The system's own picture loader decodes the JPEG resources, so the installer carries no
// decoder of its own; HALFTONE then scales its bitmap to the control as before.
TBitmapHandle LoadPicture(const char* name, int width, int height) {
  HRSRC res = FindResourceW(nullptr, Wide(name).c_str(), RT_RCDATA);
  HGLOBAL data = res ? LoadResource(nullptr, res) : nullptr;
  if (!data || width <= 0 || height <= 0) return {};
  const DWORD size = SizeofResource(nullptr, res);
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!copy) return {};
  std::memcpy(GlobalLock(copy), LockResource(data), size);
  GlobalUnlock(copy);
  TComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(copy, TRUE, stream.put()))) {
    GlobalFree(copy);
    return {};
  }
  TComPtr<IPicture> picture;
  OLE_HANDLE handle = 0;
  if (FAILED(OleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture, picture.put_void())) ||
      FAILED(picture->get_Handle(&handle)) || !handle)
    return {};
  BITMAP source{};
  GetObjectW(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), sizeof(source), &source);

  HDC screen = GetDC(nullptr);
  TBitmapHandle bitmap(CreateCompatibleBitmap(screen, width, height));
  HDC dc = CreateCompatibleDC(screen);
  HDC from = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  {
    TSelectGuard sel(dc, bitmap.get());
    TSelectGuard selFrom(from, reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)));
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, 0, 0, width, height, from, 0, 0, source.bmWidth, source.bmHeight, SRCCOPY);
  }
  DeleteDC(from);
  DeleteDC(dc);
  return bitmap;
}
