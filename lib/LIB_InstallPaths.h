// Folder texts and fixed figures of the installation road, kept free of the platform so that
// they can be checked anywhere.
#pragma once
#include <optional>
#include <string>
#include <vector>

// Syntactic check of a typed folder path ("C:\..."); the file system is not consulted.
bool IsValidFolderPath(const std::string& Path);

// The folder part of a path, as the runtime's ExtractFileDir gives it: everything before the
// last backslash, keeping the backslash of a drive root ("C:\Korvane P2P" gives "C:\",
// "C:\a\" gives "C:\a").
std::string FolderPart(const std::string& Path);

// What the installation folder panel proposes for a folder picked in the tree: a drive root or
// a first-level folder gets the sub-folder "Korvane P2P", deeper folders are taken as they are.
std::string InstallDirForSelection(const std::string& Selected);
// What the download folder panel proposes for a picked folder: a drive root gets "Downloads".
std::string DownloadDirForSelection(const std::string& Selected);

// Bar position of `percent` per cent: maximum ÷ 100 × percent, to the nearest integer (halves
// to even).
int PercentPosition(int maximum, int percent);

// A command line that starts `program` with `arguments`. The path is quoted: an unquoted
// "C:\Program Files\..." would run "C:\Program.exe" first if such a file exists.
std::string QuotedCommand(const std::string& program, const std::string& arguments);

// The installation folder, ending with "\", of an uninstall entry's UninstallString (the
// uninstaller's path, quoted or not, maybe followed by arguments); nothing when it names none.
std::optional<std::string> InstallDirFromUninstallString(const std::string& command);

inline constexpr char KUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvane P2P";

// Whether a file of this name in an installation folder is one that the installation or the
// upgrade writes there (temporary files included), case aside.
bool IsProductFileName(const std::string& name);

// The lines of "UnInstall.dat" for the uninstaller; the folders end with a backslash.
std::vector<std::string> RemovalList(const std::string& InstallDir, const std::string& DataDir,
                                     const std::string& AppDataDir, bool DesktopShortcut);
