#include "wizard/StartClient.h"

#include <windows.h>

#include "wizard/Appl_Report.h"
#include "wizard/Form_Main.h"
#include "engine/EngineSteps.h"
#include "lib/win/ShellHelpers.h"
#include "lib/win/WinApp.h"
#include "lib/win/WinText.h"

namespace {
constexpr int kTries = 4;
constexpr double kPauseMs = 500;
}  // namespace

void StartInstalledClient(TFormMain& frame, const std::string& program) {
  // Nothing else is pressed, and the window is not closed, while the shell is being asked.
  frame.Busy = true;
  TStarted started = TStarted::Failed;
  for (int tried = 1;; ++tried) {
    started = StartAsUser(program, "", SW_SHOWMAXIMIZED);
    if (started != TStarted::Failed) {
      AppLog().Line("Client started: " + StartedText(started));
      break;
    }
    AppLog().Line("Client start, try " + std::to_string(tried) + " of " + std::to_string(kTries) +
                  ": failed, no desktop shell could start it with the user's own rights");
    if (tried == kTries) break;
    ProcessMessagesFor(kPauseMs);
  }
  frame.Busy = false;
  if (started != TStarted::Failed) return;
  AppLog().Line("Client not started: the user was told to start it from the Start menu");
  MessageBoxW(frame.Handle(), Wide(KClientNotStarted).c_str(), L"Install Korvane P2P", MB_OK | MB_ICONWARNING);
}
