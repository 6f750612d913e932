// A panel's controls declared as data, like a form resource, and the one builder that creates them.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lib/win/WinApp.h"
#include "lib/win/Window.h"

// Name: a label that is never shown. A screen reader names a box, list or tree after the label that
// stands just before it in the tab order; where the design shows none, this one does it.
enum class TKind { Label, StaticText, Name, Button, CheckBox, RadioButton, GroupBox, Edit, Memo, ComboList, ProgressBar, Picture, Panel };

inline constexpr COLORREF clNone = 0xFFFFFFFF;
HBRUSH GetBrush(COLORREF colour);
// A window's text as UTF-8, and the other way round.
std::string TextOf(HWND window);
void SetTextOf(HWND window, std::string_view text);
// Fills a window's whole client area; the answer to WM_ERASEBKGND.
LRESULT EraseWith(HWND window, WPARAM dc, COLORREF colour);

// Place and size are design pixels at 96 DPI; a label or static text without a width sizes itself
// to its text. A picture's text names its picture resource.
template <class P>
struct TControlDecl {
  TKind Kind;
  HWND P::*Field;  // none for a Name: nothing refers to it
  int Left, Top, Width = 0, Height = 0;
  const char* Text = "";
  TFontSpec Font = {};
  COLORREF TextColor = clNone;
  COLORREF BackColor = clNone;  // none: the colour of the control's parent
  DWORD Style = 0;              // extra window styles
  HWND P::*Parent = nullptr;    // a Panel control of the same table, or the host itself
  void (P::*OnClick)() = nullptr;
  void (P::*OnChange)() = nullptr;
  void (P::*OnExit)() = nullptr;
};

// A window that holds declared controls: it colours them and routes their notifications
// to the handlers of the declaration.
class TControlHost : public TWindow {
 public:
  COLORREF Color;

 protected:
  explicit TControlHost(COLORREF colour) : Color(colour) {}

  template <class P, size_t N>
  void Build(P& self, std::span<const TControlDecl<P>, N> decls) {
    for (const auto& d : decls) {
      TInfo info{d.TextColor, d.BackColor, {}, {}, {}};
      if (d.OnClick) info.OnClick = [&self, f = d.OnClick] { (self.*f)(); };
      if (d.OnChange) info.OnChange = [&self, f = d.OnChange] { (self.*f)(); };
      if (d.OnExit) info.OnExit = [&self, f = d.OnExit] { (self.*f)(); };
      const HWND made = Create(d.Kind, d.Parent ? self.*(d.Parent) : Handle(), d.Left, d.Top, d.Width, d.Height,
                               d.Text, d.Font, d.Style, std::move(info));
      if (d.Field) self.*(d.Field) = made;
    }
  }
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  struct TInfo {
    COLORREF Text, Back;
    std::function<void()> OnClick, OnChange, OnExit;
  };
  HWND Create(TKind kind, HWND parent, int x, int y, int w, int h, const char* text, const TFontSpec& font,
              DWORD style, TInfo info);
  COLORREF BackOf(HWND control) const;
  std::map<HWND, TInfo> controls_;
  std::vector<std::unique_ptr<TWindow>> owned_;  // panels and pictures
};
