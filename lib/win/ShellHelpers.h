// Folders and shell links written by the installation and the upgrade.
#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "lib/LIB_ErrorReport.h"

bool DirectoryExists(const std::string& path);
bool FileExists(const std::string& path);

// The access rights of the program files folder, for folders made elsewhere: administrators
// and the system may change what is inside, users may only read and run it. Protected, so that
// nothing a user may change above it is inherited. Given at creation, so that there is no
// moment in which a user could put a file of their own into the folder.
class TProgramFilesAccess {
 public:
  TProgramFilesAccess();
  ~TProgramFilesAccess();
  TProgramFilesAccess(const TProgramFilesAccess&) = delete;
  TProgramFilesAccess& operator=(const TProgramFilesAccess&) = delete;
  SECURITY_ATTRIBUTES* get() { return &sa_; }
  // Gives an existing folder, opened with WRITE_DAC and WRITE_OWNER, these rights, and
  // Administrators as its owner, so that its old owner cannot take them back. Raises
  // EInOutError with the system's code.
  void Apply(HANDLE folder) const;

 private:
  SECURITY_ATTRIBUTES sa_{};
};

// Who may change what is inside a folder made by ForceFolder.
enum class TFolderAccess {
  Inherited,         // as the folder above it says
  LikeProgramFiles,  // administrators and the system only; users read and run
};

// Creates a folder with all missing parents; "\" is appended when missing. Every folder it
// makes gets `access`. Raises EInOutError with the system's code when the folder cannot be made,
// and then leaves none of the parents it made.
void ForceFolder(const std::string& Path, TFolderAccess access = TFolderAccess::Inherited);
// ForceFolder, and a file (KWritableProbe) made in the folder and gone again at once. A folder
// that cannot be written raises EInOutError with the system's code, and the folders made for it
// go again.
void ForceWritableFolder(const std::string& Path, TFolderAccess access);

// Writes a shell link as a new file (see CreateNewFile). Icon index -1: no icon of the target.
// A link that cannot be made or written raises; what the link object does with the values is
// not checked.
void CreateShortcut(const std::string& Target, const std::string& LinkFile, const std::string& Description,
                    int IconIndex, const std::string& Arguments);

// The short (8.3) form of an existing path; nothing when the file system gives none.
std::optional<std::string> ShortPath(const std::string& path);

// Starts a program as WinExec did, by the same command line and window state (SW_...), but with
// the whole of Unicode. False when it could not be started.
bool StartProgram(const std::string& commandLine, int show);

// A folder of the shell (CSIDL_...), without a trailing backslash; nothing when the shell has none.
std::optional<std::string> KnownFolder(int csidl);

// Whether two paths name the same file as the file system compares names: without regard to
// case, in every script.
bool SamePath(std::string_view a, std::string_view b);

// The signed-in user's profile folder (from the shell, else from USERPROFILE) and its short form.
TUserProfile UserProfile();

// The product web site, target of two Start-menu links.
inline constexpr char KProductSite[] = "http://www.korvane-p2p.example";

// How StartAsUser started a program.
enum class TStarted {
  AsUser,  // by the desktop shell, with the signed-in user's ordinary rights
  Direct,  // by this process, which runs with the user's ordinary rights anyway
  Failed,
};

// The signed-in user's desktop shell: what its ShellExecute starts gets the shell's token, as
// with a double click, never the elevated installer's.
class TDesktopShell {
 public:
  virtual ~TDesktopShell() = default;
  // Starts `target` (a program or an address) in working folder `folder`. False when the shell
  // could not start it.
  virtual bool Launch(const std::string& target, const std::string& arguments, const std::string& folder,
                       int show) = 0;
};
// Finds the desktop shell, for use on the calling thread, which it keeps in its COM apartment or
// else in the multithreaded one meanwhile: several round trips to the shell's process. Nothing
// when there is no desktop shell. Tests replace it to see what would be started and how.
extern std::unique_ptr<TDesktopShell> (*FindDesktopShell)();

// Starts programs for the signed-in user. An installer runs elevated, and a program of the
// user's must never get its token: then the desktop shell starts it, as the user does with a
// double click, and without a desktop shell to ask nothing is started. Finding the shell takes
// longer than writing the programs, so a caller that knows it will start something makes this
// ahead, on the thread that starts.
class TUserStarter {
 public:
  TUserStarter();
  // `program` with `arguments` in window state `show` (SW_...).
  TStarted Start(const std::string& program, const std::string& arguments, int show);
  // A web page or a "mailto:" address, in the user's browser or mail program. When elevated,
  // only the desktop shell opens it: a browser with an administrator's rights would show a
  // page fetched over the network.
  TStarted OpenAddress(const std::string& address);

 private:
  bool elevated_;
  std::unique_ptr<TDesktopShell> shell_;  // when elevated, and there is one
};
// A start or an opening with a starter made there and then.
TStarted StartAsUser(const std::string& program, const std::string& arguments, int show);
TStarted OpenAsUser(const std::string& address);
