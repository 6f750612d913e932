#include "lib/win/Window.h"

#include <string>

#include "lib/win/WinApp.h"

TWindow::~TWindow() {
  if (hwnd_ && IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void TWindow::CreateHandle(const wchar_t* className, DWORD exStyle, DWORD style, int x, int y, int w, int h,
                           HWND parent) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (!GetClassInfoExW(GetModuleHandleW(nullptr), className, &wc)) {
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = StaticProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    RegisterClassExW(&wc);
  }
  CreateWindowExW(exStyle, className, L"", style, x, y, w, h, parent, nullptr, GetModuleHandleW(nullptr), this);
}

LRESULT TWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) { return Default(msg, wp, lp); }

LRESULT CALLBACK TWindow::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = 0;
  bool handled = false;
  Dispatch([&] {
    result = self->WndProc(msg, wp, lp);
    handled = true;
  });
  if (msg == WM_NCDESTROY) self->hwnd_ = nullptr;
  return handled ? result : DefWindowProcW(hwnd, msg, wp, lp);
}

namespace {
// Posted to itself: activation moves on once the activation in progress has finished.
constexpr UINT kActivateOwned = WM_APP + 1;

// The topmost window it owns that shows.
HWND Owned(HWND hwnd) {
  for (HWND w = GetWindow(hwnd, GW_HWNDFIRST); w; w = GetWindow(w, GW_HWNDNEXT))
    if (GetWindow(w, GW_OWNER) == hwnd && IsWindowVisible(w)) return w;
  return nullptr;
}

LRESULT CALLBACK ApplicationProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ACTIVATE:
      // Picked from the taskbar or with Alt+Tab: the window the user works in takes over.
      if (LOWORD(wp) != WA_INACTIVE) PostMessageW(hwnd, kActivateOwned, 0, 0);
      return 0;
    case kActivateOwned:
      if (HWND owned = Owned(hwnd); owned && IsWindowEnabled(owned)) SetActiveWindow(owned);
      return 0;
    case WM_CLOSE:
      // Closed from the taskbar: the window the user works in decides, as if closed itself;
      // the default would destroy this window and every window it owns.
      if (HWND owned = Owned(hwnd); owned && IsWindowEnabled(owned)) PostMessageW(owned, WM_CLOSE, 0, 0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}
}  // namespace

HWND ApplicationWindow() {
  static HWND application = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ApplicationProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    wc.lpszClassName = L"KvApplication";
    RegisterClassW(&wc);
    return CreateWindowExW(WS_EX_APPWINDOW, L"KvApplication", L"", WS_POPUP | WS_SYSMENU, 0, 0, 0, 0, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
  }();
  return application;
}

HWND ParkingWindow() {
  static HWND parking = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KvParking";
    RegisterClassW(&wc);
    return CreateWindowExW(0, L"KvParking", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
  }();
  return parking;
}
