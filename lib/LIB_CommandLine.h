// The installer's command line: the self-update of the client, and the unattended
// installation administrators script as they do for every other installer.
//   /autoupdate FOLDER                                   self-update of the client in FOLDER
//   /S [/DOWNLOAD=folder] [/CONNECTION=n] [/NODESKTOP] [/TOOLBAR] [/LOG=file] [/D=folder]
// /D= stands last and takes the rest of the line as it is, blanks included, without quotes.
// The folders are checked by the silent front end, by the rule of the wizard's folder panels.
// /LOG=file also works for the wizard and the self-update, before anything else.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lib/LIB_SetupState.h"

// Splits arguments as the runtime of the wizard's tradition does: blanks separate, double
// quotes group and are removed, and a backslash escapes nothing, so "C:\Folder\" stays whole.
std::vector<std::string> SplitCommandLine(std::string_view text);
// The text after the program's own name in a whole command line.
std::string_view ArgumentsText(std::string_view commandLine);

struct TCommandLine {
  std::string LogFile;
  // What the arguments ask for, over the defaults: the self-update (AutoUpdate, with its folder in
  // InstallDir, ending with "\"), or the answers of the unattended installation.
  TSetupState State;
  // Unattended installation. The folders as /D= and /DOWNLOAD= give them; without the switch,
  // the wizard's proposal.
  bool Silent = false;
  std::optional<std::string> GivenInstallDir, GivenDownloadDir;
  // Why the silent installation's arguments were refused; empty when they are good.
  std::string Error;
};

// Arguments as SplitCommandLine gives them, the program's name left out. The folder of
// /autoupdate is the rest of the arguments joined by one blank and trimmed.
TCommandLine ParseCommandLine(std::string_view arguments);
