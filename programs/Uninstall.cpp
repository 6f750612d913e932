// Uninstall.Exe: removes what the installation listed in "UnInstall.dat" beside it.
//   Uninstall.Exe [/S | /quiet]   no question and no message: /S is the switch that package
//                                 managers give an NSIS uninstaller, /quiet the one for scripts
// Exit code: 0 removed; 1 cancelled by the user at a question (never with a switch); 2 nothing
// removed, because the list is missing or refused or a file to be removed is in use (the client
// still running); 3 removed in part (the closing message, if shown, names what is left).
//
// The list is checked whole before anything is touched: every line must be one that an
// installation of this product writes, naming this program's own folder or the per-user data
// folder, reached through no junction or symbolic link; one other line refuses all of it.
// Nothing is touched while a file to be deleted is in use. The files and links go first; the
// registry key and the list only when all of that has gone, so that a run that failed half-way
// can be run again. A running program cannot delete its own file, so the folders and the
// program itself are left to a copy in the temporary folder, which waits for this process to end.
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int KDone = 0, KCancelled = 1, KUntouched = 2, KPartly = 3;
constexpr wchar_t KProduct[] = L"Korvane P2P";
constexpr wchar_t KUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvane P2P";
constexpr wchar_t KListName[] = L"UnInstall.dat";
constexpr wchar_t KDesktopLink[] = L"Korvane P2P.Lnk";
// Written beside this program by the installation, but not listed.
constexpr wchar_t KToolbarInstaller[] = L"Korvane_toolbar.exe";
// The links the installation puts into its Start-menu group.
constexpr const wchar_t* KGroupLinks[] = {L"Korvane P2P.Lnk", L"Korvane P2P On the Web.Lnk", L"Korvane P2P Help.Lnk",
                                          L"Korvane P2P Uninstall.Lnk"};
// The files and the masks that the list may name.
constexpr const wchar_t* KFiles[] = {L"Korvane.Exe", L"Korvane.dat", L"Korvane.bak",
                                     L"KVInst.dat",  L"Uninstall.Exe", L"Uninstall.Dat"};
constexpr const wchar_t* KMasks[] = {L"*.ZCF", L"*.ZCV", L"*.ZTH", L"*.DAT", L"*.GET"};

bool Quiet = false;

bool Same(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) == CSTR_EQUAL;
}
template <size_t N>
bool OneOf(const std::wstring& s, const wchar_t* const (&names)[N]) {
  return std::any_of(std::begin(names), std::end(names), [&](const wchar_t* n) { return Same(s, n); });
}

std::wstring WithoutSlash(std::wstring s) {
  while (s.size() > 3 && s.back() == L'\\') s.pop_back();
  return s;
}
std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\') + 1); }
std::wstring NameOf(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

// The long form of an existing path, so that an 8.3 alias cannot pass for another folder.
std::wstring LongPath(const std::wstring& path) {
  std::wstring buf(32768, L'\0');
  DWORD n = GetLongPathNameW(path.c_str(), buf.data(), DWORD(buf.size()));
  return n > 0 && n < buf.size() ? buf.substr(0, n) : path;
}

std::wstring ShellFolder(int csidl) {
  wchar_t buf[MAX_PATH];
  return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf)) ? buf : L"";
}

void Tell(const std::wstring& text, UINT icon) {
  if (!Quiet) MessageBoxW(nullptr, text.c_str(), L"Uninstall", MB_OK | icon);
}

bool Gone(DWORD err) { return err == ERROR_SUCCESS || err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND; }

// None of the folders on the way from the drive root is a junction or a symbolic link. The way
// ends at the first one that does not exist.
bool IsDirectWay(const std::wstring& folder) {
  for (size_t at = folder.find(L'\\', 3); at != std::wstring::npos; at = folder.find(L'\\', at + 1)) {
    DWORD a = GetFileAttributesW(folder.substr(0, at).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return Gone(GetLastError());
    if (a & FILE_ATTRIBUTE_REPARSE_POINT) return false;
  }
  return true;
}

// The folders whose files the list may name, each ending with "\": this program's own, and the
// per-user data folder (none of its own when the data fell back to the install folder).
struct TFolders {
  std::wstring Install, Data;
  // Which of them `folder` names, or empty.
  std::wstring Of(const std::wstring& folder) const {
    const std::wstring real = LongPath(folder);
    for (const std::wstring& ours : {Install, Data})
      if (!ours.empty() && Same(real, ours)) return ours;
    return L"";
  }
};

struct TItem {
  wchar_t Tag;
  std::wstring Folder, Name;  // F: the file; P: the mask; E: the folder only
};

// The item of one line, with Tag 0 when the line is not one that the installation writes.
TItem ParseItem(wchar_t tag, const std::wstring& arg, const TFolders& folders) {
  switch (tag) {
    case L'F':
    case L'P':
    case L'E': {
      TItem item{tag, folders.Of(FolderOf(arg)), NameOf(arg)};
      const bool known = tag == L'F'   ? OneOf(item.Name, KFiles)
                         : tag == L'P' ? OneOf(item.Name, KMasks)
                                       : item.Name.empty();
      return known && !item.Folder.empty() ? item : TItem{};
    }
    case L'R':
      return Same(arg, KUninstallKey) ? TItem{tag, L"", L""} : TItem{};
    case L'S':
      return Same(arg, KProduct) ? TItem{tag, L"", L""} : TItem{};
    case L'T':
      return Same(arg, KDesktopLink) ? TItem{tag, L"", L""} : TItem{};
  }
  return {};
}

std::string ReadAll(HANDLE f) {
  std::string all;
  char buf[65536];
  for (DWORD got; ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0;) all.append(buf, got);
  return all;
}

// The items, or false when the list is not entirely one that the installation writes.
bool ReadList(const std::wstring& path, const TFolders& folders, std::vector<TItem>& items) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  const std::string bytes = ReadAll(f);
  CloseHandle(f);
  if (bytes.empty() || bytes.size() >= 64 * 1024 || bytes.find('\0') != std::string::npos) return false;
  // The installation writes the list in the system's ANSI code page.
  int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), nullptr, 0);
  std::wstring text(n, L'\0');
  if (n <= 0 || MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), text.data(), n) != n)
    return false;
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, L"\r\n") == 0) text.resize(text.size() - 2);

  for (size_t at = 0, line = 0; at <= text.size(); ++line) {
    size_t end = text.find(L"\r\n", at);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring s = text.substr(at, end - at);
    at = end + 2;
    if (s.find_first_of(L"\r\n") != std::wstring::npos) return false;
    if (line == 0) {
      if (!Same(s, KProduct)) return false;
      continue;
    }
    if (s.size() < 3 || s.front() != L'<' || s.back() != L'>') return false;
    const std::wstring arg = s.substr(2, s.size() - 3);
    if (arg.find_first_of(L"<>") != std::wstring::npos) return false;
    TItem item = ParseItem(s[1], arg, folders);
    if (!item.Tag || (!item.Folder.empty() && !IsDirectWay(item.Folder))) return false;
    items.push_back(item);
  }
  return !items.empty();
}

// The masks are "*" and an extension. Only the long name counts: the system's own matching also
// looks at the 8.3 name, where "*.DAT" matches "notes.data".
std::vector<std::wstring> Matching(const std::wstring& folder, const std::wstring& mask) {
  std::vector<std::wstring> names;
  const std::wstring ext = mask.substr(1);
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + mask).c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = fd.cFileName;
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.size() >= ext.size() &&
        Same(name.substr(name.size() - ext.size()), ext))
      names.push_back(name);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return names;
}

// Whether someone else keeps a file from being deleted now. Opening it for writing without
// sharing fails for a running program (the system keeps its image mapped and refuses writers)
// and for a file that anyone holds open. Opening it for deletion would not tell: a running
// program's file may be opened for deletion, even renamed; only the deletion itself fails.
bool InUse(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(h);
  return false;
}

// Where an opened file lies, as the system reports it.
std::wstring FinalPath(HANDLE h) {
  std::wstring buf(32768, L'\0');
  DWORD n = GetFinalPathNameByHandleW(h, buf.data(), DWORD(buf.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n == 0 || n >= buf.size()) return L"";
  buf.resize(n);
  return buf.rfind(L"\\\\?\\", 0) == 0 ? buf.substr(4) : buf;
}

// Deletes a file, or an empty folder, only if it lies where the path says. It is opened first and
// then asked where it lies, so that a folder on the way that became a junction or a link after
// the list was read leads nowhere: what lies elsewhere is not deleted, and that counts as failed.
DWORD RemoveAt(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError();
  FILE_DISPOSITION_INFO dispose{TRUE};
  DWORD err = ERROR_ACCESS_DENIED;
  if (Same(FinalPath(h), WithoutSlash(path)))
    err = SetFileInformationByHandle(h, FileDispositionInfo, &dispose, sizeof dispose) ? ERROR_SUCCESS : GetLastError();
  CloseHandle(h);
  return err;
}

std::wstring Quote(const std::wstring& s) { return L"\"" + WithoutSlash(s) + L"\""; }

// The copy is written as a new file and then held without write sharing until it has been
// started. The system runs no file that is open for writing, so the writing handle is closed
// first and the file read back through the holding one: a change in between shows. The holding
// handle also deletes the copy when its last holder, the started copy, ends.
HANDLE WriteCopy(const std::wstring& path, const std::string& image) {
  HANDLE w = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  if (w == INVALID_HANDLE_VALUE) return w;
  DWORD done = 0;
  bool written = WriteFile(w, image.data(), DWORD(image.size()), &done, nullptr) && done == image.size();
  CloseHandle(w);
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE held = written ? CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, &inherited, OPEN_EXISTING,
                                      FILE_FLAG_DELETE_ON_CLOSE, nullptr)
                        : INVALID_HANDLE_VALUE;
  if (held != INVALID_HANDLE_VALUE && ReadAll(held) == image) return held;
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  DeleteFileW(path.c_str());
  return INVALID_HANDLE_VALUE;
}

// Renames an open file.
bool MoveTo(HANDLE file, const std::wstring& path) {
  std::vector<BYTE> buf(sizeof(FILE_RENAME_INFO) + path.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buf.data());
  info->FileNameLength = DWORD(path.size() * sizeof(wchar_t));
  std::memcpy(info->FileName, path.c_str(), info->FileNameLength);
  return SetFileInformationByHandle(file, FileRenameInfo, info, DWORD(buf.size()));
}

// Opens what the copy is to delete, for it to inherit: only the file or folder that lies where
// the path says, never one behind a link.
HANDLE OpenToInherit(const std::wstring& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE h = CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         &inherit, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h != INVALID_HANDLE_VALUE && !Same(FinalPath(h), WithoutSlash(path))) {
    CloseHandle(h);
    return INVALID_HANDLE_VALUE;
  }
  return h;
}

// Copies this program into a new folder of its own in the temporary folder and starts the copy
// to finish after this process has ended: delete this program's file, then the folders. The copy
// gets them as inherited handles, not as names: whoever starts a program with "/finish" can
// hand it only what that caller could delete itself.
bool StartFinisher(const std::wstring& self, const std::vector<std::wstring>& folders) {
  HANDLE f = CreateFileW(self.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  const std::string image = ReadAll(f);
  CloseHandle(f);
  wchar_t temp[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (image.empty() || n == 0 || n > MAX_PATH) return false;
  // Made now, failing when the name is taken: a folder that was there could hold anything.
  std::wstring dir;
  for (DWORD i = 0;; ++i) {
    dir = temp + (L"kvu-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount() + i));
    if (CreateDirectoryW(dir.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS || i == 100) return false;
  }
  const std::wstring copy = dir + L"\\Uninstall.Exe";
  HANDLE held = WriteCopy(copy, image);
  std::vector<HANDLE> handed{OpenToInherit(self)};
  for (const std::wstring& folder : folders)
    if (HANDLE h = OpenToInherit(folder); h != INVALID_HANDLE_VALUE) handed.push_back(h);
  HANDLE me;
  bool started = false;
  if (held != INVALID_HANDLE_VALUE && handed[0] != INVALID_HANDLE_VALUE &&
      DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &me, SYNCHRONIZE, TRUE, 0)) {
    std::wstring cmd = Quote(copy) + L" /finish " + std::to_wstring(reinterpret_cast<uintptr_t>(me));
    for (HANDLE h : handed) cmd += L" " + std::to_wstring(reinterpret_cast<uintptr_t>(h));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    // Started in the temporary folder: a current folder inside the installation could not go.
    started = CreateProcessW(copy.c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, temp, &si, &pi);
    CloseHandle(me);
    if (started) {
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
      // Out of its folder, so that the folder can go now; the file goes when the copy ends.
      MoveTo(held, dir + L".tmp");
    }
  }
  for (HANDLE h : handed)
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  RemoveDirectoryW(dir.c_str());
  return started;
}

HANDLE HandleArgument(const wchar_t* text) {
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::wcstoull(text, nullptr, 10)));
}

bool Dispose(HANDLE h) {
  FILE_DISPOSITION_INFO dispose{TRUE};
  return SetFileInformationByHandle(h, FileDispositionInfo, &dispose, sizeof dispose);
}

// /finish PARENT FILE FOLDER...: handles this process inherited from the uninstaller that
// started it. It waits for its parent to end, deletes the file, then the folders that are
// empty, deeper ones first.
int Finish(int argc, wchar_t** argv) {
  HANDLE parent = HandleArgument(argv[2]);
  WaitForSingleObject(parent, INFINITE);  // its closing message may stay open for long
  CloseHandle(parent);
  // Held open by the system for a moment after its parent ended; a handle it never inherited is
  // not waited for.
  HANDLE self = HandleArgument(argv[3]);
  for (int i = 0; i < 50 && !Dispose(self) && GetLastError() != ERROR_INVALID_HANDLE; ++i) Sleep(100);
  CloseHandle(self);  // the file goes with its last handle, and its folder can be empty
  std::vector<std::pair<std::wstring, HANDLE>> folders;
  for (int i = 4; i < argc; ++i) folders.push_back({FinalPath(HandleArgument(argv[i])), HandleArgument(argv[i])});
  std::stable_sort(folders.begin(), folders.end(), [](const auto& a, const auto& b) {
    return std::count(a.first.begin(), a.first.end(), L'\\') > std::count(b.first.begin(), b.first.end(), L'\\');
  });
  for (const auto& [path, h] : folders) {
    Dispose(h);
    CloseHandle(h);  // an empty folder goes with its last handle
  }
  return KDone;
}

std::wstring ModulePath() {
  std::wstring buf(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, buf.data(), DWORD(buf.size()));
  return n > 0 && n < buf.size() ? buf.substr(0, n) : L"";
}

int Uninstall() {
  const std::wstring self = LongPath(ModulePath()), local = ShellFolder(CSIDL_LOCAL_APPDATA);
  const TFolders ours{FolderOf(self), local.empty() ? L"" : LongPath(local + L"\\" + KProduct + L"\\")};
  const std::wstring list = ours.Install + KListName, product = KProduct;
  std::vector<TItem> items;
  if (self.empty() || !IsDirectWay(ours.Install) || !ReadList(list, ours, items)) {
    Tell(L"The removal list \"" + list + L"\" is missing or damaged. Nothing was removed.", MB_ICONERROR);
    return KUntouched;
  }
  if (!Quiet && MessageBoxW(nullptr, (L"Do you want to remove " + product + L" from your computer?").c_str(),
                            (product + L" Uninstall").c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
    return KCancelled;

  std::vector<std::wstring> files, folders;
  bool key = false, group = false, desktop = false;
  for (const TItem& item : items) {
    switch (item.Tag) {
      case L'F':
        files.push_back(item.Folder + item.Name);
        break;
      case L'P':
        for (const std::wstring& name : Matching(item.Folder, item.Name)) files.push_back(item.Folder + name);
        break;
      case L'E':
        folders.push_back(item.Folder);
        break;
      case L'R':
        key = true;
        break;
      case L'S':
        group = true;
        break;
      case L'T':
        desktop = true;
        break;
    }
  }
  // Without the toolbar's installer the install folder can go.
  files.push_back(ours.Install + KToolbarInstaller);
  // This program goes after it has ended, the list last of all.
  std::erase_if(files, [&](const std::wstring& f) { return Same(f, self) || Same(f, list); });

  while (std::any_of(files.begin(), files.end(), InUse)) {
    if (Quiet) return KUntouched;
    if (MessageBoxW(nullptr, (product + L" is still running. Close it and try again.").c_str(), L"Uninstall",
                    MB_RETRYCANCEL | MB_ICONWARNING) != IDRETRY)
      return KCancelled;
  }

  std::vector<std::wstring> failed;
  auto note = [&](const std::wstring& what, DWORD err) {
    if (!Gone(err)) failed.push_back(what);
  };
  for (const std::wstring& f : files) note(f, RemoveAt(f));
  // The shell's folders come from the system, not from the list.
  auto removeLink = [&](const std::wstring& f) { note(f, DeleteFileW(f.c_str()) ? ERROR_SUCCESS : GetLastError()); };
  const std::wstring programs = ShellFolder(CSIDL_PROGRAMS), desk = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  if (group && !programs.empty()) {
    const std::wstring folder = programs + L"\\" + KProduct;
    for (const wchar_t* link : KGroupLinks) removeLink(folder + L"\\" + link);
    RemoveDirectoryW(folder.c_str());
  }
  if (desktop && !desk.empty()) removeLink(desk + L"\\" + KDesktopLink);
  if (failed.empty() && key)
    note(L"HKEY_LOCAL_MACHINE\\" + std::wstring(KUninstallKey), RegDeleteKeyW(HKEY_LOCAL_MACHINE, KUninstallKey));
  if (failed.empty()) note(list, RemoveAt(list));
  if (failed.empty() && !StartFinisher(self, folders)) failed.push_back(self);

  if (!failed.empty()) {
    std::wstring text = product + L" could not be removed completely. Left are:\r\n";
    for (const std::wstring& f : failed) text += L"\r\n" + f;
    Tell(text, MB_ICONWARNING);
    return KPartly;
  }
  Tell(product + L" was removed from your computer.", MB_ICONINFORMATION);
  return KDone;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Before anything loads a DLL on demand: only from the system folder, never from this
  // program's own (or the temporary) folder.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (argc >= 4 && std::wstring(argv[1]) == L"/finish") return Finish(argc, argv);
  for (int i = 1; i < argc; ++i)
    if (Same(argv[i], L"/S") || Same(argv[i], L"/quiet")) Quiet = true;
  return Uninstall();
}
