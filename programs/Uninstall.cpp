// Uninstall.Exe: removes what the installation listed in "UnInstall.dat" beside it.
//   Uninstall.Exe [/quiet]     /quiet skips the question and the messages (for scripts)
// Exit code: 0 done, 1 cancelled, 2 failed (list refused, or something could not be removed).
//
// The list is checked whole before anything is touched; one bad line refuses all of it.
// Files, patterns, the registry key and links go first, folders last and only when empty.
// A running program cannot delete its own file, so the folders and the program itself are
// left to a copy in the temporary folder, which waits for this process to end.
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int KDone = 0, KCancelled = 1, KFailed = 2;
constexpr char KUninstallRoot[] = "software\\microsoft\\windows\\currentversion\\uninstall\\";
// The links the installation puts into its Start-menu group.
constexpr const char* KGroupLinks[] = {"Korvane P2P.Lnk", "Korvane P2P On the Web.Lnk", "Korvane P2P Help.Lnk",
                                       "Korvane P2P Uninstall.Lnk"};

struct TItem {
  char Tag;
  std::string Arg;
};

bool Quiet = false;

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return s;
}
bool SamePath(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

std::string WithoutSlash(std::string s) {
  while (s.size() > 3 && s.back() == '\\') s.pop_back();
  return s;
}
std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

// The long form of an existing path, so that short names cannot slip past the comparisons.
std::string LongPath(const std::string& path) {
  char buf[MAX_PATH];
  DWORD n = GetLongPathNameA(path.c_str(), buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : path;
}

std::string ShellFolder(int csidl) {
  char buf[MAX_PATH];
  return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf)) ? buf : "";
}

void Tell(const std::string& text, UINT icon) {
  if (!Quiet) MessageBoxA(nullptr, text.c_str(), "Uninstall", MB_OK | icon);
}

bool Within(const std::string& path, const std::string& folder) {
  std::string p = Lower(WithoutSlash(path)), f = Lower(WithoutSlash(folder));
  return !f.empty() && (p == f || (p.size() > f.size() && p.compare(0, f.size(), f) == 0 && p[f.size()] == '\\'));
}

// A plain name: no folder, no wildcard, no stream. Windows drops trailing dots and blanks,
// so "Windows." would name the Windows folder: such names are refused too.
bool IsPlainName(const std::string& s) {
  return !s.empty() && s.back() != '.' && s.back() != ' ' && s.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

// A folder that a removal may work in: below a drive root, no "." or ".." steps, not a
// top-level system folder, not the Windows folder nor anything inside it.
bool IsSafeFolder(std::string folder) {
  std::replace(folder.begin(), folder.end(), '/', '\\');
  folder = WithoutSlash(folder);
  if (folder.size() < 4 || !isalpha(static_cast<unsigned char>(folder[0])) || folder[1] != ':' || folder[2] != '\\')
    return false;
  std::vector<std::string> parts;
  for (size_t at = 3; at <= folder.size();) {
    size_t end = folder.find('\\', at);
    if (end == std::string::npos) end = folder.size();
    std::string part = folder.substr(at, end - at);
    if (!IsPlainName(part)) return false;
    parts.push_back(Lower(part));
    at = end + 1;
  }
  static const char* const KSystemTop[] = {"windows",  "program files", "program files (x86)", "programdata",
                                           "users",    "documents and settings", "system volume information",
                                           "recovery", "$recycle.bin", "boot"};
  if (parts.size() == 1)
    for (const char* name : KSystemTop)
      if (parts[0] == name) return false;
  std::string real = LongPath(folder);
  char windows[MAX_PATH];
  UINT n = GetWindowsDirectoryA(windows, sizeof windows);
  if (n == 0 || n >= sizeof windows || Within(real, LongPath(windows))) return false;
  for (int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON, CSIDL_COMMON_APPDATA,
                    CSIDL_PROFILE, CSIDL_LOCAL_APPDATA, CSIDL_APPDATA, CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY}) {
    std::string system = ShellFolder(csidl);
    if (!system.empty() && SamePath(WithoutSlash(real), WithoutSlash(LongPath(system)))) return false;
  }
  std::string profile = ShellFolder(CSIDL_PROFILE);
  if (!profile.empty() && SamePath(WithoutSlash(real), WithoutSlash(FolderOf(LongPath(profile))))) return false;
  return true;
}

bool IsValidItem(const TItem& item) {
  const std::string& a = item.Arg;
  switch (item.Tag) {
    case 'E':
      return IsSafeFolder(a);
    case 'F':
      return IsPlainName(a.substr(a.find_last_of('\\') + 1)) && IsSafeFolder(FolderOf(a));
    case 'P': {
      std::string mask = a.substr(a.find_last_of('\\') + 1);
      return !mask.empty() && mask.find_first_of("\\/:\"<>|") == std::string::npos && IsSafeFolder(FolderOf(a));
    }
    case 'R':
      return Lower(a).rfind(KUninstallRoot, 0) == 0 && IsPlainName(a.substr(sizeof KUninstallRoot - 1));
    case 'S':
    case 'T':
      return IsPlainName(a);
  }
  return false;
}

// The product name and the items, or false when the list is not entirely well-formed.
bool ReadList(const std::string& path, std::string& product, std::vector<TItem>& items) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  std::string text(64 * 1024, '\0');
  DWORD got = 0;
  bool ok = ReadFile(f, text.data(), DWORD(text.size()), &got, nullptr);
  CloseHandle(f);
  if (!ok || got == text.size() || text.find('\0') < got) return false;
  text.resize(got);
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);

  for (size_t at = 0, line = 0; at <= text.size(); ++line) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    std::string s = text.substr(at, end - at);
    at = end + 2;
    if (s.find_first_of("\r\n") != std::string::npos) return false;
    if (line == 0) {
      if (s.empty() || s.find_first_of("<>") != std::string::npos) return false;
      product = s;
      continue;
    }
    if (s.size() < 4 || s.front() != '<' || s.back() != '>') return false;
    TItem item{s[1], s.substr(2, s.size() - 3)};
    if (item.Arg.find_first_of("<>") != std::string::npos || !IsValidItem(item)) return false;
    items.push_back(item);
  }
  return !items.empty();
}

// Case-insensitive '*' and '?' on the long name only: the system's own matching also looks
// at short names, where "*.DAT" matches "notes.data".
bool Matches(const char* mask, const char* name) {
  for (; *mask; ++mask, ++name) {
    if (*mask == '*') {
      for (const char* n = name;; ++n) {
        if (Matches(mask + 1, n)) return true;
        if (!*n) return false;
      }
    }
    if (!*name || (*mask != '?' && Lower(std::string(1, *mask)) != Lower(std::string(1, *name)))) return false;
  }
  return !*name;
}

struct TRemoval {
  std::vector<std::string> Failed;
  void File(const std::string& path) {
    if (!DeleteFileA(path.c_str())) Note(path, GetLastError());
  }
  void Note(const std::string& what, DWORD err) {
    if (err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND) Failed.push_back(what);
  }
};

void RemoveFolders(const std::vector<std::string>& folders) {
  std::vector<std::string> sorted = folders;
  // Deeper folders first, so that a parent can be empty by the time its turn comes.
  std::stable_sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
    return std::count(a.begin(), a.end(), '\\') > std::count(b.begin(), b.end(), '\\');
  });
  for (const std::string& f : sorted) RemoveDirectoryA(WithoutSlash(f).c_str());
}

std::string Quote(const std::string& s) { return "\"" + WithoutSlash(s) + "\""; }

// Copies this program to the temporary folder and starts it to finish after this process
// has ended: delete this program's file, then the folders.
bool StartFinisher(const std::string& self, const std::vector<std::string>& folders) {
  char dir[MAX_PATH], copy[MAX_PATH];
  if (!GetTempPathA(sizeof dir, dir) || !GetTempFileNameA(dir, "kvu", 0, copy)) return false;
  std::string exe = std::string(copy) + ".exe";
  DeleteFileA(copy);
  if (!CopyFileA(self.c_str(), exe.c_str(), FALSE)) return false;
  HANDLE me;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &me, SYNCHRONIZE, TRUE, 0))
    return false;
  std::string cmd = Quote(exe) + " /finish " + std::to_string(reinterpret_cast<uintptr_t>(me)) + " " + Quote(self);
  for (const std::string& f : folders) cmd += " " + Quote(f);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  bool ok = CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(me);
  if (!ok) {
    DeleteFileA(exe.c_str());
    return false;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

int Finish(int argc, char** argv) {
  HANDLE parent = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::strtoull(argv[2], nullptr, 10)));
  WaitForSingleObject(parent, INFINITE);  // its closing message may stay open for long
  CloseHandle(parent);
  for (int i = 0; i < 50 && !DeleteFileA(argv[3]) && GetLastError() != ERROR_FILE_NOT_FOUND; ++i) Sleep(100);
  RemoveFolders(std::vector<std::string>(argv + 4, argv + argc));
  // This copy cannot delete itself either; the system removes it at the next start.
  char self[MAX_PATH];
  if (GetModuleFileNameA(nullptr, self, sizeof self)) MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return KDone;
}

int Uninstall() {
  char buf[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return KFailed;
  std::string self = LongPath(buf);
  std::string product;
  std::vector<TItem> items;
  if (!ReadList(FolderOf(self) + "UnInstall.dat", product, items)) {
    Tell("The removal list \"" + FolderOf(self) + "UnInstall.dat\" is missing or damaged. Nothing was removed.",
         MB_ICONERROR);
    return KFailed;
  }
  if (!Quiet && MessageBoxA(nullptr, ("Do you want to remove " + product + " from your computer?").c_str(),
                            (product + " Uninstall").c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
    return KCancelled;

  TRemoval removal;
  std::vector<std::string> folders;
  for (const TItem& item : items) {
    switch (item.Tag) {
      case 'F':
        if (!SamePath(LongPath(item.Arg), self)) removal.File(item.Arg);
        break;
      case 'P': {
        std::string folder = FolderOf(item.Arg), mask = item.Arg.substr(folder.size());
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA(item.Arg.c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) break;
        do {
          if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && Matches(mask.c_str(), fd.cFileName))
            removal.File(folder + fd.cFileName);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
        break;
      }
      case 'E':
        folders.push_back(item.Arg);
        break;
      case 'R': {
        LSTATUS rc = RegDeleteKeyA(HKEY_LOCAL_MACHINE, item.Arg.c_str());
        if (rc != ERROR_SUCCESS) removal.Note("HKEY_LOCAL_MACHINE\\" + item.Arg, rc);
        break;
      }
      case 'S': {
        std::string programs = ShellFolder(CSIDL_PROGRAMS);
        if (programs.empty()) break;
        std::string group = programs + "\\" + item.Arg;
        for (const char* link : KGroupLinks) removal.File(group + "\\" + link);
        folders.push_back(group);
        break;
      }
      case 'T': {
        std::string desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
        if (!desktop.empty()) removal.File(desktop + "\\" + item.Arg);
        break;
      }
    }
  }

  if (!StartFinisher(self, folders)) {
    RemoveFolders(folders);
    removal.Failed.push_back(self);
  }
  if (!removal.Failed.empty()) {
    std::string text = product + " was removed, except for:\r\n";
    for (const std::string& f : removal.Failed) text += "\r\n" + f;
    Tell(text, MB_ICONWARNING);
    return KFailed;
  }
  Tell(product + " was removed from your computer.", MB_ICONINFORMATION);
  return KDone;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "/finish") return Finish(argc, argv);
  for (int i = 1; i < argc; ++i)
    if (Lower(argv[i]) == "/quiet") Quiet = true;
  return Uninstall();
}
