// The wizard's panels by identifier, and the shape of the table that says where each panel's
// buttons lead. The table itself stands with the list of panels (app/Appl_Panels.cpp).
#pragma once
#include <cstdint>
#include <span>

#include "lib/LIB_SetupState.h"

enum class TPanelId : uint8_t {
  None,
  Welcome,
  Disclaimer,
  Install,
  InstallChooseDir,
  InstallChooseDownloadDir,
  InstallChooseConnection,
  InstallToolbar,
  InstallGo,
  InstallInstalling,
  InstallReady,
  UpgradeFindDir,
  UpgradeStart,
  UpgradeUpgrading,
  UpgradeReady,
  Error,
};

// A panel's ways on: the go-on button (or the end of a progress panel's work) leads to Next, the
// go-back button to Previous. At a fork, Next leads to Otherwise when `When` holds of the state.
struct TRoute {
  TPanelId Panel, Next, Previous = TPanelId::None;
  TPanelId Otherwise = TPanelId::None;
  bool (*When)(const TSetupState&) = nullptr;
};

struct TWizardFlow {
  TPanelId First;       // shown when the window is made
  TPanelId SelfUpdate;  // where the self-update goes by itself, 150 ms after the start
  TPanelId Failure;     // where every failure ends
  std::span<const TRoute> Routes;
};
