// Folders and shell links written by the installation and the upgrade.
#pragma once
#include <optional>
#include <string>

bool DirectoryExists(const std::string& path);
bool FileExists(const std::string& path);

// Creates a folder with all missing parents; "\" is appended when missing. Raises EInOutError
// with the system's code when the folder cannot be made.
void ForceFolder(const std::string& Path);

// Writes a shell link. Icon index -1: no icon of the target. Only a failure to make the link
// object raises; what the link object does with the values is not checked.
void CreateShortcut(const std::string& Target, const std::string& LinkFile, const std::string& Description,
                    int IconIndex, const std::string& Arguments);

// The short (8.3) form of an existing path; nothing when the file system gives none.
std::optional<std::string> ShortPath(const std::string& path);

// Starts a program as WinExec did, by the same command line and window state (SW_...), but with
// the whole of Unicode. False when it could not be started.
bool StartProgram(const std::string& commandLine, int show);

// A folder of the shell (CSIDL_...), without a trailing backslash; nothing when the shell has none.
std::optional<std::string> KnownFolder(int csidl);

// The product web site, target of two Start-menu links.
inline constexpr char KProductSite[] = "http://www.korvane-p2p.example";
