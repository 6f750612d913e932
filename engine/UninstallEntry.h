// The product's entry in Windows' list of installed programs (Apps & Features, winget): the
// installation writes it, the upgrade brings it up to date.
#pragma once
#include <string>

// Writes every value of the uninstall key for the installation in `installDir`, whose client
// data file lies in `dataDir` (both ending with "\"). Its size counts the files as they are
// now, so it runs after the last of them has been written. Raises on a registry error.
void WriteUninstallEntry(const std::string& installDir, const std::string& dataDir);
