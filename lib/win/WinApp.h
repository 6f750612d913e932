// Process-wide pieces of the Win32 side: scaling, fonts, the event funnel, the message pump.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// Sets up DPI awareness, common controls, the scaling factor and the thread's COM apartment;
// call once before any window.
void InitApplication();

// Design pixels at 96 DPI to device pixels at the DPI the wizard is drawn at. Every coordinate
// and font height goes through here.
int Scale(int designPixels);
int ScreenDpi();
// The wizard moved to a monitor of another DPI: Scale and GetFont answer for that one from now on.
void SetScreenDpi(int dpi);
// The DPI of the monitor a window is on (the screen's where Windows cannot tell it per window).
int WindowDpi(HWND window);

// RGB colour as the layouts give them.
constexpr COLORREF Rgb(int r, int g, int b) { return RGB(r, g, b); }

// One copy for the whole program: a literal in the initializer below would be stored again by
// every file that describes a font.
inline constexpr char KDefaultFace[] = "MS Sans Serif";

struct TFontSpec {
  const char* Face = KDefaultFace;
  int Height = -11;  // design pixels; negative = character height, as the layouts give it
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
};
// One shared font per description and DPI, alive until the process ends; `smaller` steps of
// one design pixel below the description's height.
HFONT GetFont(const TFontSpec& font, int smaller = 0);

// Every handler the message loop runs goes through here. An exception never crosses a window
// procedure: it is handed to the installed handler with its message text.
using TExceptionHandler = std::function<void(const std::string& message)>;
void SetExceptionHandler(TExceptionHandler handler);
void HandleException(const std::string& message) noexcept;

template <class F>
void Dispatch(F&& f) noexcept {
  try {
    f();
  } catch (const std::exception& e) {
    HandleException(e.what());
  } catch (...) {
    HandleException("Unknown exception");
  }
}

// Handles every pending message, then returns.
void ProcessMessages();
// Pumps messages until at least `ms` milliseconds have passed, without spinning the CPU.
void ProcessMessagesFor(double ms);
// Runs the message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();

// A hook that sees each message before it is dispatched (keyboard accelerators);
// returns true when it consumed the message.
using TPreTranslate = std::function<bool(MSG&)>;
void SetPreTranslate(TPreTranslate hook, HWND dialogRoot);

// The path of the running executable.
std::string ExePath();

// The system's text for an error code, without the trailing full stop and line break.
std::string SysErrorMessage(DWORD code);
