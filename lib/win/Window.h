// Base of our own window classes: binds `this` at creation and funnels every message
// through a noexcept procedure.
#pragma once
#include <windows.h>

class TWindow {
 public:
  TWindow() = default;
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;
  virtual ~TWindow();
  HWND Handle() const { return hwnd_; }

 protected:
  // Registers the class on first use; background brush none (the window paints itself).
  void CreateHandle(const wchar_t* className, DWORD exStyle, DWORD style, int x, int y, int w, int h,
                    HWND parent);
  virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

 private:
  static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
  HWND hwnd_ = nullptr;
};

// A hidden top-level window that holds controls built before their real parent exists.
HWND ParkingWindow();

// The application's own window, as old frameworks had one: it has no size, owns the main
// window and stands for the program on the taskbar and in Alt+Tab under the application title
// (an owned window gets no taskbar button of its own).
HWND ApplicationWindow();
