// The rule for a folder that the user or an administrator names: the wizard's folder panels and
// the unattended installation take a folder only through it.
#pragma once
#include <string>

#include "lib/LIB_InstallPaths.h"

struct TCheckedFolder {
  TFolderFault Fault = TFolderFault::None;
  // Without a fault: the full path, ending with "\", which is what is used and stored from here on.
  std::string Folder;
};

// Makes `typed` a full path (no "." or ".." parts) and checks both by FolderFault.
TCheckedFolder CheckFolder(const std::string& typed);
