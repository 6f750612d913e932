// The upgrade of an installation in place, step by step.
#include <shlobj.h>
#include <windows.h>

#include <cstdlib>

#include "engine/Engine.h"
#include "engine/EngineSteps.h"
#include "engine/UninstallEntry.h"
#include "lib/LIB_InstallPaths.h"
#include "lib/win/ShellHelpers.h"
#include "payload/GB_Payload.h"
#include "payload/win/GB_KorvaneP2P_exe.h"
#include "payload/win/GB_Uninstall_exe.h"

namespace {
// Where the installation keeps the client's data file: the per-user folder, or the installation
// folder when the installation found none.
std::string DataDirOf(const std::string& installDir) {
  const auto local = KnownFolder(CSIDL_LOCAL_APPDATA);
  if (local && FileExists(*local + "\\Korvane P2P\\Korvane.Dat")) return *local + "\\Korvane P2P\\";
  return installDir;
}

void Wait(const TRetryPolicy& policy, int steps) {
  for (int i = 0; i < steps; ++i) Sleep(static_cast<DWORD>(policy.Step.count()));
}
}  // namespace

TRetryPolicy DefaultRetryPolicy() {
  TRetryPolicy policy;
#ifdef KV_TEST_SEAMS
  if (const char* ms = std::getenv("KV_UPGRADE_WAIT_STEP_MS")) policy.Step = std::chrono::milliseconds(std::atoi(ms));
#endif
  return policy;
}

namespace {
void Upgrade(const TUpgradePlan& plan, const std::string& dir, TEngineEvents& events) {
  const int maximum = KUpgradeProgressMaximum;
  events.Progress(0, maximum);

  if (!DirectoryExists(dir)) {
    // A failure shows in what follows: the writes fail and are retried.
    OptionalStep(events, "Installation folder \"" + dir + "\" made again", [&] { ForceFolder(dir); });
  }
  if (plan.AutoUpdate) {
    // The client that asked for the update needs a moment to end.
    Wait(plan.Retry, 3);
    events.Log("Waiting for the client to end: done");
  }

  const std::string client = dir + "Korvane.Exe";
  for (int attempt = 1;; ++attempt) {
    try {
      WriteReplacing(client, [&](const std::string& file) {
        WriteClientProgram(file, [&](int value) { events.Progress(value, maximum); });
      });
      events.Log("Client program \"" + client + "\" (attempt " + std::to_string(attempt) + "): done");
      break;
    } catch (const std::exception& e) {
      events.Log("Client program \"" + client + "\" (attempt " + std::to_string(attempt) + "): failed, " + e.what());
      // The last attempt's error is the upgrade's.
      if (attempt >= plan.Retry.Attempts) throw;
    }
    events.Status(
        "Korvane P2P is still running or in use by another program. Upgrade will retry in a few seconds. (Attempt " +
        std::to_string(attempt) + ")");
    Wait(plan.Retry, plan.Retry.WaitSteps);
    events.Status("");
  }
  EssentialStep(events, "Uninstaller \"" + dir + "Uninstall.Exe\"", [&] {
    WriteReplacing(dir + "Uninstall.Exe", [](const std::string& file) { WriteUninstaller(file); });
  });
  EssentialStep(events, "Shortcuts", [&] { SaveShortcuts(events, StartMenuLinks(events, dir, "/p2p/help/")); });
  OptionalStep(events, "Uninstall entry in the registry", [&] { WriteUninstallEntry(dir, DataDirOf(dir)); });
  events.Progress(maximum, maximum);
}
}  // namespace

std::string RunUpgrade(const TUpgradePlan& plan, TEngineEvents& events) {
  std::string dir = plan.InstallDir;
  if (!dir.ends_with('\\')) dir += '\\';
  const std::string client = dir + "Korvane.Exe";
  try {
    Upgrade(plan, dir, events);
  } catch (...) {
    // The client ended so that it could be replaced, and its program is whole, old or new:
    // the user gets it back whatever failed.
    if (plan.AutoUpdate) events.Log("Client started again: " + StartedText(StartAsUser(client, "", SW_SHOWMAXIMIZED)));
    throw;
  }
  if (plan.AutoUpdate) events.Log("Client started: " + StartedText(StartAsUser(client, "", SW_SHOWMAXIMIZED)));
  return dir;
}
