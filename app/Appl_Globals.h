// Shared state through which the panels and the engines hand over the user's choices.
// Main thread only.
#pragma once
#include <string>
#include <vector>

#include "lib/LIB_CommandLine.h"

extern std::string GInstallDir;
extern std::string GDownloadDir;
extern std::string GDataDir;
extern std::string GAppDataDir;
extern bool GAutoUpdate;
extern int GConnectionType;
extern bool GInstallToolbar;
extern std::string GInstallerTag;
extern bool GUpgrade;
extern bool GDesktopShortcut;
extern std::vector<std::string> GFoundInstallations;

// Sets every variable back to its value at process start (tests run several wizards in one process).
void ResetGlobals();

// Stores what the command line asks for in the shared state: the self-update and its folder.
void ApplyCommandLine(const TCommandLine& cl);

// Creates every panel in its fixed order and hands each to FormMain->AddPanel.
void CreatePanels();
