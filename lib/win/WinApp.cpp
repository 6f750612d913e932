#include "lib/win/WinApp.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string_view>
#include <tuple>
#include <vector>

#include "lib/win/WinHandles.h"
#include "lib/win/WinText.h"

namespace {
int gDpi = 96;
int gSystemDpi = 96;  // the screen's, which picks the system's set of bitmap fonts
TExceptionHandler gExceptionHandler;
bool gInHandler = false;
TPreTranslate gPreTranslate;
HWND gDialogRoot = nullptr;

void PumpOne(MSG& msg) {
  if (gPreTranslate && gPreTranslate(msg)) return;
  if (gDialogRoot && IsWindow(gDialogRoot) && IsDialogMessageW(gDialogRoot, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

// The manifest makes the wizard per-monitor aware (aware of the system DPI where Windows is older
// than per-monitor awareness). A program whose manifest says nothing is made aware here, with the
// newest call this Windows has; a setting the manifest made stands.
void SetDpiAwareness() {
  if (IsProcessDPIAware()) return;
  using TSetContext = BOOL(WINAPI*)(HANDLE);
  const auto setContext = reinterpret_cast<TSetContext>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  const HANDLE perMonitorV2 = reinterpret_cast<HANDLE>(-4);  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
  if (setContext && setContext(perMonitorV2)) return;
  SetProcessDPIAware();
}
}  // namespace

void InitApplication() {
  SetDpiAwareness();
  // The window thread stays a COM apartment for the whole run: screen readers reach the
  // windows' accessible objects through it.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  // The common controls are loaded here, not imported: a run without a window (the silent
  // installation) then never loads them, and with them the display and the desktop. The
  // manifest's side-by-side binding still picks version 6.
  if (const HMODULE comctl = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_TREEVIEW_CLASSES |
                                              ICC_WIN95_CLASSES | ICC_LINK_CLASS};
    if (const auto init = reinterpret_cast<decltype(&InitCommonControlsEx)>(
            reinterpret_cast<void*>(GetProcAddress(comctl, "InitCommonControlsEx"))))
      init(&icc);
  }
  // The window the wizard opens in may stand on another monitor; it sets its own DPI then.
  gDpi = gSystemDpi = WindowDpi(nullptr);
}

int Scale(int designPixels) { return MulDiv(designPixels, gDpi, 96); }
int ScreenDpi() { return gDpi; }
void SetScreenDpi(int dpi) { gDpi = dpi > 0 ? dpi : 96; }

int WindowDpi(HWND window) {
  using TGetDpi = UINT(WINAPI*)(HWND);
  static const auto getDpi = reinterpret_cast<TGetDpi>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (window && getDpi)
    if (const int dpi = static_cast<int>(getDpi(window)); dpi > 0) return dpi;
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

namespace {
HFONT MakeFont(const TFontSpec& font, const wchar_t* face, int height) {
  return CreateFontW(height, 0, 0, 0, font.Bold ? FW_BOLD : FW_NORMAL, font.Italic, font.Underline, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

}  // namespace

HFONT GetFont(const TFontSpec& font, int smaller) {
  using Key = std::tuple<std::string, int, bool, bool, bool, int, int>;
  // A few fonts per DPI: a list costs the download less than a tree.
  static std::vector<std::pair<Key, TFontHandle>> fonts;
  Key key{font.Face, font.Height, font.Bold, font.Italic, font.Underline, gDpi, smaller};
  auto it = std::find_if(fonts.begin(), fonts.end(), [&](const auto& entry) { return entry.first == key; });
  if (it == fonts.end()) {
    HFONT f;
    if (smaller) {
      // Steps of one design pixel; MS Sans Serif has no size below 8 points, so its steps are Tahoma's.
      LOGFONTW lf{};
      GetObjectW(GetFont(font), sizeof lf, &lf);
      const int step = std::max(1, Scale(1)) * smaller;
      lf.lfHeight += lf.lfHeight < 0 ? step : -step;
      if (std::wstring_view(lf.lfFaceName) == L"MS Sans Serif") lstrcpyW(lf.lfFaceName, L"Tahoma");
      f = CreateFontIndirectW(&lf);
    } else if (std::string_view(font.Face) == "MS Sans Serif" && (gDpi != 96 || gSystemDpi != 96)) {
      // MS Sans Serif is a bitmap font drawn for screens of 96 DPI; scaled, or from the set of a
      // system of another DPI, it turns blocky or takes other sizes than the layouts are made for.
      // Tahoma, its outline successor, runs about a tenth wider at the same height: a tenth lower,
      // its lines take the room the design's take, and nothing beside or below them is run into.
      f = MakeFont(font, L"Tahoma", MulDiv(Scale(font.Height), 9, 10));
    } else {
      f = MakeFont(font, Wide(font.Face).c_str(), Scale(font.Height));
    }
    it = fonts.emplace(fonts.end(), key, TFontHandle(f));
  }
  return it->second.get();
}

void SetExceptionHandler(TExceptionHandler handler) { gExceptionHandler = std::move(handler); }

void HandleException(const std::string& message) noexcept {
  // A failure while the handler itself runs (the error panel is being shown) must not start
  // another round of reporting and switching: that could loop for ever.
  if (gInHandler || !gExceptionHandler) {
    OutputDebugStringW(Wide("unhandled: " + message + "\n").c_str());
    return;
  }
  gInHandler = true;
  try {
    gExceptionHandler(message);
  } catch (...) {
    OutputDebugStringW(L"exception handler failed\n");
  }
  gInHandler = false;
}

void ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the quit request for the outer loop that owns it.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    PumpOne(msg);
  }
}

void ProcessMessagesFor(double ms) {
  LARGE_INTEGER freq, start, now;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&start);
  for (;;) {
    ProcessMessages();
    QueryPerformanceCounter(&now);
    const double elapsed = 1000.0 * double(now.QuadPart - start.QuadPart) / double(freq.QuadPart);
    if (elapsed > ms) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms - elapsed) + 1, QS_ALLINPUT);
  }
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) PumpOne(msg);
  return static_cast<int>(msg.wParam);
}

void SetPreTranslate(TPreTranslate hook, HWND dialogRoot) {
  gPreTranslate = std::move(hook);
  gDialogRoot = dialogRoot;
}

std::string ExePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return Utf8(path);
    }
    path.resize(path.size() * 2);
  }
}

std::string SysErrorMessage(DWORD code) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string s = Utf8(std::wstring_view(text ? text : L"", n));
  LocalFree(text);
  while (!s.empty() && (static_cast<unsigned char>(s.back()) <= ' ' || s.back() == '.')) s.pop_back();
  return s;
}
