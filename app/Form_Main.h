// The wizard's only window: hosts every panel on a hidden page, shows the current panel's title,
// lends it the button bar, fades in once and slides between panels.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Frame_Panel.h"
#include "app/KVI_ButtonBar.h"
#include "lib/LIB_CommandLine.h"
#include "lib/win/WinHandles.h"
#include "lib/win/WinThread.h"
#include "lib/win/Window.h"

class TFormMain : public TWindow {
 public:
  // Runs FormCreate: colours, all panels, the command line, the welcome panel.
  explicit TFormMain(const TCommandLine& args);
  ~TFormMain() override;

  void AddPanel(std::unique_ptr<TFramePanel> panel);
  void ShowPanel(const std::string& PanelName, bool Animate);
  // Ends the program: the message loop stops and the window goes with it. The exit code is 0,
  // or 2 once the run has failed or the installer was found damaged.
  void Close();
  void AppException(const std::string& message);

  // Runs `check` of the installer's own file beside the start-up (it returns why the file is
  // damaged, or nothing). A damaged installer says so as soon as it knows and ends; nothing is
  // written before the check has passed, since the welcome panel waits for it.
  void CheckInstallerBeside(std::function<std::string()> check);
  // Waits for that check; false, with the user told and the window closing, when it failed.
  bool InstallerIntact();

  // Shows the window; the fade-in starts here.
  void Show();

  bool Busy = false;
  // An engine runs on its worker: the window, and the session, must stay until it has finished.
  bool EngineRunning() const { return engineRunning_; }
  void SetEngineRunning(bool running);
  std::unique_ptr<tKvButtonBar> PnlButtons;

  std::string HeaderCaption() const { return headerCaption_; }
  TFramePanel* ActivePanel() const { return active_ ? active_->Panel.get() : nullptr; }
  // Every panel, in the order they were added.
  std::vector<TFramePanel*> Panels() const;
  // Window opacity: blending off reads as fully opaque.
  bool AlphaBlend() const { return alphaBlend_; }
  int AlphaBlendValue() const { return alphaValue_; }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  struct TTabSheet {
    std::string Name;
    std::unique_ptr<TFramePanel> Panel;
  };
  class THeader;
  class TPageHost;

  void FormCreate(const TCommandLine& args);
  void FormShow();
  void Timer1Timer();
  void AlphaBlendTimerTimer();
  TTabSheet* FindPanelSheet(const std::string& PanelName);
  void SetAlphaBlend(bool on, int value);
  void PlaceParts();
  void LoadWindowIcon();
  // Lays out the window's parts and every panel again at the current DPI.
  void Rescale();
  void Slide(int step, double waitMs);
  bool PreTranslate(MSG& msg);
  void InstallerDamaged();

  std::unique_ptr<THeader> PnlHeader;
  std::unique_ptr<TPageHost> PageControl;
  std::vector<std::unique_ptr<TTabSheet>> pages_;
  TTabSheet* active_ = nullptr;
  std::string headerCaption_;
  TIconHandle icon_;
  bool alphaBlend_ = false;
  int alphaValue_ = 255;
  int slideOffset_ = 0;  // design pixels the parts stand away from their places
  int afterShowDepth_ = 0;
  bool shown_ = false;
  bool engineRunning_ = false;
  int exitCode_ = 0;
  std::string installerDamage_;
  bool damageShown_ = false;
  TThread installerCheck_;
};

extern TFormMain* FormMain;

// Colours of the frame.
inline constexpr COLORREF clFormBlue = Rgb(0, 0, 255);
inline constexpr COLORREF clNavy = Rgb(0, 0, 128);
inline constexpr COLORREF clWhite = Rgb(255, 255, 255);
inline constexpr COLORREF clLime = Rgb(0, 255, 0);
inline constexpr COLORREF clCream = Rgb(255, 251, 240);
