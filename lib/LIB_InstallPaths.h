// Folder texts and fixed figures of the installation road, kept free of the platform so that
// they can be checked anywhere.
#pragma once
#include <optional>
#include <string>
#include <vector>

// Syntactic check of a typed folder path ("C:\..."); the file system is not consulted.
bool IsValidFolderPath(const std::string& Path);

// What makes a folder unfit to install into or to download into.
enum class TFolderFault {
  None,
  NotAFolderPath,    // no "X:\..." path, characters a folder name cannot have, or a drive root
  UncPath,           // "\\server\share\..." or "\\?\...": not a folder on a drive of this computer
  DeviceName,        // a part named CON, PRN, AUX, NUL, COM1-COM9 or LPT1-LPT9, with or without an extension
  EndsInDotOrBlank,  // a part the file system would store without its last dots and blanks
  CodePage,          // a character the system's code page cannot hold
  TooLong,           // the longest file put there would not fit in a classic path
};

// A classic path's room, the terminating zero included: the client and the uninstaller use
// classic paths, in the system's code page.
inline constexpr size_t KClassicPathRoom = 260;
// The longest name the installation and the upgrade put into the installation folder, which
// also takes the data files when there is no per-user data folder: the toolbar's installer.
// The others are shorter, temporary ones included (Uninstall.Exe.tmp, Korvane.Dat.tmp,
// KVInst.Dat.tmp, KWritableProbe).
inline constexpr char KLongestFileName[] = "Korvane_toolbar.exe";
// What the installation makes, and deletes again at once, to see that a folder takes files.
inline constexpr char KWritableProbe[] = "Korvane.probe";
// The longest folder, in bytes of the system's code page, without its closing backslash.
inline constexpr size_t KLongestFolder = KClassicPathRoom - 1 - (sizeof KLongestFileName - 1) - 1;

// The one rule for a folder that the user or an administrator names. `typed` is the text as
// given, `full` the same made a full path by the system (no "." or ".." parts left, "/" made
// "\"). Both are looked at: making a path full can drop the dots and blanks that end a part,
// and turns a last part named as a device into the device's own path.
TFolderFault FolderFault(const std::string& typed, const std::string& full);
// What the wizard says when it refuses a folder for `fault`.
std::string FolderFaultMessage(TFolderFault fault);
// The reason, after the folder's name: "is not a valid folder".
const char* FolderFaultReason(TFolderFault fault);

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
