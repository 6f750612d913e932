// The unattended installation, Install_Korvane.exe /S [...] /D=folder: the installation
// engine with no window at all, its story on the log, and an exit code for the script.
#pragma once
#include <functional>
#include <string>

#include "lib/LIB_CommandLine.h"

// Runs the installation that `cl` describes; returns the process's exit code. `checkInstaller`
// says why the installer's own file is damaged, or nothing; it runs before anything is written.
int RunSilentInstallation(const TCommandLine& cl, const std::string& commandLine,
                          const std::function<std::string()>& checkInstaller);
