// The wizard's only window: hosts every panel on a hidden page, shows the current panel's title,
// lends it the button bar, fades in once and slides between panels. It owns the run's state,
// which its panels read and write, and follows the route between them.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "lib/LIB_CommandLine.h"
#include "lib/LIB_SetupState.h"
#include "lib/win/WinHandles.h"
#include "lib/win/WinThread.h"
#include "lib/win/Window.h"
#include "wizard/Appl_Route.h"
#include "wizard/Frame_Panel.h"
#include "wizard/KVI_ButtonBar.h"

using TPanels = std::vector<std::pair<TPanelId, std::unique_ptr<TFramePanel>>>;

class TFormMain : public TWindow {
 public:
  // Runs FormCreate: colours, the panels, the command line's state, the first panel.
  TFormMain(const TCommandLine& args, TPanels panels, const TWizardFlow& flow);
  ~TFormMain() override;

  // Hosts a panel; one added later under the same identifier takes its place.
  void AddPanel(TPanelId id, std::unique_ptr<TFramePanel> panel);
  // A panel that is not there is a programming error, raised as such.
  void ShowPanel(TPanelId id, bool Animate);
  // The current panel's way on (its fork's other way when the state takes it), and its way back.
  void Next();
  void Previous();
  // Ends the program: the message loop stops and the window goes with it. The exit code is 0,
  // or 2 once the run has failed or the installer was found damaged.
  void Close();
  // The handler of every failure that escapes an event handler: it logs and reports the failure
  // and shows it on the error panel.
  void AppException(const std::string& message);
  // The message of the last failure, for the error panel.
  const std::string& Failure() const { return failure_; }

  // Runs `check` of the installer's own file beside the start-up (it returns why the file is
  // damaged, or nothing). A damaged installer says so as soon as it knows and ends; nothing is
  // written before the check has passed, since the welcome panel waits for it.
  void CheckInstallerBeside(std::function<std::string()> check);
  // Waits for that check; false, with the user told and the window closing, when it failed.
  bool InstallerIntact();

  // Shows the window; the fade-in starts here.
  void Show();

  TSetupState State;
  // Panels slide: every button waits.
  bool Busy = false;
  // Work runs on an engine's worker: the window must stay until it has finished. A
  // `logoffReason` is what Windows shows a user who logs off meanwhile; the session then waits
  // too.
  void SetEngineRunning(bool running, const std::string& logoffReason = "");
  bool EngineRunning() const { return engineRunning_; }
  const std::string& LogoffReason() const { return logoffReason_; }
  std::unique_ptr<tKvButtonBar> PnlButtons;
  // Clears the bar and adds `panel`'s buttons, each ignored while panels slide.
  void InitButtons(TFramePanel& panel);

  std::string HeaderCaption() const { return headerCaption_; }
  TFramePanel* ActivePanel() const { return active_ ? active_->Panel.get() : nullptr; }
  // The panel shown for `id`, or none.
  TFramePanel* Panel(TPanelId id) const;
  // Every panel, in the order they were added.
  std::vector<TFramePanel*> Panels() const;
  // Window opacity: blending off reads as fully opaque.
  bool AlphaBlend() const { return alphaBlend_; }
  int AlphaBlendValue() const { return alphaValue_; }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  struct TTabSheet {
    TPanelId Id;
    std::unique_ptr<TFramePanel> Panel;
  };
  class THeader;
  class TPageHost;

  void FormCreate(const TCommandLine& args, TPanels panels);
  void FormShow();
  void Timer1Timer();
  void AlphaBlendTimerTimer();
  TTabSheet* FindPanelSheet(TPanelId id) const;
  const TRoute& Route() const;
  void SetAlphaBlend(bool on, int value);
  void PlaceParts();
  void LoadWindowIcon();
  // Lays out the window's parts and every panel again at the current DPI.
  void Rescale();
  void Slide(int step, double waitMs);
  bool PreTranslate(MSG& msg);
  void InstallerDamaged();

  TWizardFlow flow_;
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
  std::string logoffReason_;
  std::string failure_;
  int exitCode_ = 0;
  std::string installerDamage_;
  bool damageShown_ = false;
  TThread installerCheck_;
};

// Colours of the frame.
inline constexpr COLORREF clFormBlue = Rgb(0, 0, 255);
inline constexpr COLORREF clNavy = Rgb(0, 0, 128);
inline constexpr COLORREF clWhite = Rgb(255, 255, 255);
inline constexpr COLORREF clLime = Rgb(0, 255, 0);
inline constexpr COLORREF clCream = Rgb(255, 251, 240);
