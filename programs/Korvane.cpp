// Korvane.Exe: the client as far as this repository goes. Its window shows what the user's
// data file holds, so that an installation can be checked by eye.
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "lib/LIB_DataFileReader.h"
#include "lib/win/Controls.h"
#include "lib/win/WinApp.h"
#include "lib/win/WinText.h"
#include "lib/win/Window.h"

namespace {

struct TDataFileLocation {
  std::string User;    // the user's own data file
  std::string Beside;  // the copy the installation leaves beside the program
};

TDataFileLocation DataFileLocation() {
  TDataFileLocation where;
  wchar_t buf[MAX_PATH];
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buf)))
    where.User = Utf8(buf) + "\\Korvane P2P\\Korvane.Dat";
  std::string exe = ExePath();
  where.Beside = exe.substr(0, exe.find_last_of('\\') + 1) + "KVInst.Dat";
  return where;
}

bool Exists(const std::string& path) {
  DWORD a = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(Wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The whole file, or false with the system's reason.
bool ReadWholeFile(const std::string& path, std::string& bytes, DWORD& error) {
  HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return false;
  }
  bool ok = true;
  char block[65536];
  DWORD got;
  while ((ok = ReadFile(h, block, sizeof block, &got, nullptr)) && got > 0) bytes.append(block, got);
  if (!ok) error = GetLastError();
  CloseHandle(h);
  return ok;
}

std::string SystemText(DWORD code) {
  wchar_t text[512] = L"";
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, ARRAYSIZE(text),
                 nullptr);
  std::string s = Utf8(text);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.pop_back();
  return s;
}

// The data file holds its texts in the system's code page.
std::string FromSystemCodePage(const std::string& bytes) {
  if (bytes.empty()) return bytes;
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
  return Utf8(wide);
}

std::string DateText(double days) {
  SYSTEMTIME st;
  if (!VariantTimeToSystemTime(days, &st)) return "(not a date)";
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute);
  return text;
}

// The connection kinds the installer offers, by the speed value it stores for them.
std::string ConnectionText(int speed) {
  switch (speed) {
    case 6: return "6 (dial-up modem below 56K)";
    case 10: return "10 (dial-up modem 56K)";
    case 45: return "45 (ISDN)";
    case 80: return "80 (ADSL / DSL)";
    case 90: return "90 (cable, T1, T2 or ADSL 2)";
    case 77: return "77 (not known)";
  }
  return std::to_string(speed);
}

std::string Describe(const TDataFileContent& c) {
  const TDataFileHeader& h = c.Header;
  std::string t;
  auto line = [&t](const std::string& name, const std::string& value) { t += name + "\t" + value + "\r\n"; };
  line("Data folder:", FromSystemCodePage(h.DataDir));
  line("Download folder:", FromSystemCodePage(h.DownloadDir));
  for (const TFolderEntry& f : c.Folders) line("Shared folder:", FromSystemCodePage(f.Path));
  line("Connection speed:", ConnectionText(h.ConnectionSpeed));
  line("GUID:", h.Guid);
  line("Installer build:", h.InstallerTag);
  line("Next update check:", DateText(h.H11));
  line("Written on:", DateText(h.H22 + 100).substr(0, 10));
  line("Update locations:", h.DownloadLocation1);
  line("", h.DownloadLocation2);
  t += "\r\n";
  line("Gnutella hosts:", std::to_string(c.GnutellaHosts.size()));
  line("Tolk hosts:", std::to_string(c.TolkHosts.size()));
  line("Settings:", std::to_string(c.Settings.size()));
  line("File digests:", std::to_string(c.Hashes.size()));
  return t;
}

// What the window shows: the file's content, or why there is none. Never raises.
std::string Report() {
  TDataFileLocation where = DataFileLocation();
  std::string path = Exists(where.User) ? where.User : where.Beside;
  if (!Exists(path))
    return "No data file was found.\r\n\r\nLooked for:\r\n  " + where.User + "\r\n  " + where.Beside + "\r\n";
  std::string bytes;
  DWORD error = 0;
  if (!ReadWholeFile(path, bytes, error))
    return "The data file could not be read:\r\n  " + path + "\r\n" + SystemText(error) + "\r\n";
  try {
    return "Data file:\t" + path + "\r\n\r\n" + Describe(ReadDataFile(bytes));
  } catch (const std::exception& e) {
    return "The data file is damaged and cannot be shown:\r\n  " + path + "\r\n" + e.what() + "\r\n";
  }
}

class TClientWindow : public TWindow {
 public:
  TClientWindow() {
    CreateHandle(L"KorvaneP2P", 0, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, Scale(640), Scale(480), nullptr);
    SetWindowTextW(Handle(), L"Korvane P2P");
    text_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY, 0, 0, 0, 0,
                            Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(text_, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont({})), FALSE);
    int column = 80;  // dialog units: room for the longest name
    SendMessageW(text_, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&column));
    SetTextOf(text_, Report());
  }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_SIZE:
        MoveWindow(text_, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return Default(msg, wp, lp);
  }

 private:
  HWND text_ = nullptr;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int show) {
  // Before anything loads a DLL on demand: only from the system folder, never from the
  // program's own (a DLL planted beside it would run inside it).
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  InitApplication();
  TClientWindow window;
  ShowWindow(window.Handle(), show);
  return RunMessageLoop();
}
