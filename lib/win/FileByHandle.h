// Work in folders that a standard user can write, done by an installer that runs elevated. A
// user could put a junction or a symbolic link in place of a folder or a file there between two
// steps, and turn a write, a rename or a delete by path into one anywhere, done with the
// administrator's rights. So nothing here follows a link: a path with a link on it is refused,
// files are opened with FILE_FLAG_OPEN_REPARSE_POINT and checked to lie where their path says,
// renamed through the open handle, and the folder is held open meanwhile.
#pragma once
#include <windows.h>

#include <string>

#include "lib/win/WinHandles.h"

// Whether `path`, or a folder on the way to it, is a reparse point (junction, symbolic link,
// mount point). Parts that do not exist are not links.
bool HasLinkOnPath(const std::string& path);

// Where an open file or folder lies, as the system reports it ("C:\...").
std::string FinalPath(HANDLE h);

// Opens an existing folder, never a link nor one behind a link, for `access`, without delete
// sharing. Raises EInOutError (access denied for a link) when it cannot.
TFileHandle OpenPlainFolder(const std::string& folder, DWORD access);

// A folder held open without delete sharing: while it is held, it cannot be renamed, removed or
// swapped for a link. Raises as OpenPlainFolder does.
class THeldFolder {
 public:
  explicit THeldFolder(const std::string& folder) : handle_(OpenPlainFolder(folder, FILE_READ_ATTRIBUTES)) {}

 private:
  TFileHandle handle_;
};

// Creates `file` as a new file for `access` (GENERIC_WRITE is added), after removing an old file
// of that name, or a link standing in its place, without following it. Raises EInOutError when
// the folder is a link or lies behind one, or when the new file is not a plain file on a disk
// where its path says (a device, say).
TFileHandle CreateNewFile(const std::string& file, DWORD access, DWORD share = 0);

// Opens an existing plain file, never a link, for `access`; an invalid handle when there is none
// (GetLastError tells why).
TFileHandle OpenPlainFile(const std::string& file, DWORD access);

// Renames an open file (opened with DELETE access) to `target`, replacing a plain file there.
// Raises EInOutError with the system's code.
void RenameOpenFile(HANDLE file, const std::string& target);

// Marks a file opened with DELETE access to go when its last handle closes; false when it cannot.
bool DeleteOpenFile(HANDLE file);

// Deletes a file, or a link to a file in its place without following it; true when nothing is
// left. A folder, or a link to one, is left alone and counts as a failure.
bool RemovePlainFile(const std::string& file);
