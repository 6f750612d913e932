// A panel's controls declared as data, like a form resource, and the one builder that creates them.
#pragma once
#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
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

// A window that holds declared controls: it colours them, routes their notifications to the
// handlers of the declaration, and keeps their design places and fonts so that it can lay them
// out again at another DPI.
class TControlHost : public TWindow {
 public:
  COLORREF Color;
  ~TControlHost() override;
  // Places, sizes and sets the font of every control again at the current DPI.
  void Rescale();
  // A fixed-size text control whose text does not fit grows downwards into free space of its
  // parent; where there is none, or on a button, its font goes one step down. Measured again at
  // every new text.
  void Fit(HWND control);

 protected:
  struct TInfo {
    COLORREF Text = clNone, Back = clNone;
    std::function<void()> OnClick, OnChange, OnExit;
  };
  explicit TControlHost(COLORREF colour) : Color(colour) {}

  // The table's member pointers are seen as the host's (P is one), so that one builder serves
  // every panel instead of a copy per panel.
  template <class P, size_t N>
  void Build(P& /* this panel */, std::span<const TControlDecl<P>, N> decls) {
    static_assert(std::is_base_of_v<TControlHost, P>);
    std::array<TControlDecl<TControlHost>, N> table;
    for (size_t i = 0; i < N; ++i) {
      const TControlDecl<P>& d = decls[i];
      table[i] = {d.Kind, static_cast<HWND TControlHost::*>(d.Field), d.Left, d.Top, d.Width, d.Height, d.Text,
                  d.Font, d.TextColor, d.BackColor, d.Style, static_cast<HWND TControlHost::*>(d.Parent),
                  static_cast<void (TControlHost::*)()>(d.OnClick), static_cast<void (TControlHost::*)()>(d.OnChange),
                  static_cast<void (TControlHost::*)()>(d.OnExit)};
    }
    BuildTable(table);
  }
  // One control, placed in design pixels; Build makes its table's controls through here.
  HWND Create(TKind kind, HWND parent, int x, int y, int w, int h, const char* text, const TFontSpec& font,
              DWORD style, TInfo info);
  // Places what the table cannot say (a text that continues another one, windows the panel made
  // itself); Rescale calls it last.
  virtual void Arrange() {}
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  struct TControl {
    TKind Kind;
    RECT Design;  // left, top, width, height in design pixels
    TFontSpec Font;
    TInfo Info;
  };
  void BuildTable(std::span<const TControlDecl<TControlHost>> decls);
  COLORREF BackOf(HWND control) const;
  const TControl* Find(HWND control) const;
  // A panel has a few dozen controls: a list costs the download less than a tree.
  std::vector<std::pair<HWND, TControl>> controls_;
  std::vector<std::unique_ptr<TWindow>> owned_;  // panels and pictures
};
