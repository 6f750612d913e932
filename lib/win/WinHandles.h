// Thin RAII owners for Win32 handles and COM pointers.
#pragma once
#include <windows.h>

#include <utility>

template <class T>
class TOwned {
  using H = typename T::Handle;

 public:
  TOwned() = default;
  explicit TOwned(H h) : h_(h) {}
  TOwned(const TOwned&) = delete;
  TOwned& operator=(const TOwned&) = delete;
  TOwned(TOwned&& o) noexcept : h_(std::exchange(o.h_, T::Invalid())) {}
  TOwned& operator=(TOwned&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, T::Invalid()));
    return *this;
  }
  ~TOwned() { reset(); }
  void reset(H h = T::Invalid()) {
    if (h_ != T::Invalid()) T::Close(h_);
    h_ = h;
  }
  H get() const { return h_; }
  H release() { return std::exchange(h_, T::Invalid()); }
  explicit operator bool() const { return h_ != T::Invalid(); }

 private:
  H h_ = T::Invalid();
};

template <class H, auto CloseFn>
struct THandleTraits {
  using Handle = H;
  static H Invalid() { return nullptr; }
  static void Close(H h) { CloseFn(h); }
};
struct TFileTraits {
  using Handle = HANDLE;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};

using TGdiObject = TOwned<THandleTraits<HGDIOBJ, DeleteObject>>;
using TFontHandle = TOwned<THandleTraits<HFONT, DeleteObject>>;
using TBrushHandle = TOwned<THandleTraits<HBRUSH, DeleteObject>>;
using TBitmapHandle = TOwned<THandleTraits<HBITMAP, DeleteObject>>;
using TKernelHandle = TOwned<THandleTraits<HANDLE, CloseHandle>>;
using TFileHandle = TOwned<TFileTraits>;
using TRegKey = TOwned<THandleTraits<HKEY, RegCloseKey>>;
using TIconHandle = TOwned<THandleTraits<HICON, DestroyIcon>>;

// Selects an object into a DC for the lifetime of the guard.
class TSelectGuard {
 public:
  TSelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~TSelectGuard() { SelectObject(dc_, old_); }
  TSelectGuard(const TSelectGuard&) = delete;
  TSelectGuard& operator=(const TSelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A screen-compatible memory DC and bitmap: paint off screen, then copy once (no flicker).
class TBufferedPaint {
 public:
  TBufferedPaint(HDC target, const RECT& area)
      : target_(target), area_(area), dc_(CreateCompatibleDC(target)),
        bmp_(CreateCompatibleBitmap(target, area.right - area.left, area.bottom - area.top)),
        sel_(dc_, bmp_.get()) {
    SetWindowOrgEx(dc_, area.left, area.top, nullptr);
  }
  ~TBufferedPaint() {
    BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, dc_,
           area_.left, area_.top, SRCCOPY);
  }
  HDC dc() const { return dc_; }
  TBufferedPaint(const TBufferedPaint&) = delete;
  TBufferedPaint& operator=(const TBufferedPaint&) = delete;

 private:
  struct TDcOwner {
    HDC dc;
    ~TDcOwner() { DeleteDC(dc); }
    operator HDC() const { return dc; }
  };
  HDC target_;
  RECT area_;
  TDcOwner dc_;
  TBitmapHandle bmp_;
  TSelectGuard sel_;
};

// What every TComPtr shares, whatever its interface: one release routine, not one per interface.
class TComRef {
 public:
  TComRef() = default;
  ~TComRef() { reset(); }
  TComRef(const TComRef&) = delete;
  TComRef& operator=(const TComRef&) = delete;
  void reset();
  explicit operator bool() const { return p_ != nullptr; }

 protected:
  IUnknown* p_ = nullptr;
};

// Releases a COM interface pointer.
template <class I>
class TComPtr : public TComRef {
 public:
  I** put() {
    reset();
    return reinterpret_cast<I**>(&p_);
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  I* operator->() const { return static_cast<I*>(p_); }
  I* get() const { return static_cast<I*>(p_); }
};
