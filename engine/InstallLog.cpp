#include "engine/InstallLog.h"

#include <windows.h>

#include "lib/LIB_Errors.h"
#include "lib/win/FileByHandle.h"
#include "lib/win/WinText.h"

TInstallLog::TInstallLog(const std::string& file) {
  // Where the administrator's run writes, a user may have put a link or named a device: the log
  // is a plain file where its path says, or there is none.
  try {
    file_ = CreateNewFile(file, 0, FILE_SHARE_READ).release();
  } catch (const EInOutError&) {
  }
}

TInstallLog::~TInstallLog() {
  if (file_) CloseHandle(file_);
}

namespace {
// The local time as "YYYY-MM-DD hh:mm:ss.mmm", put together by hand: the runtime's printf would
// bring its floating-point conversion into the installer.
std::string LocalTimeText() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char stamp[] = "0000-00-00 00:00:00.000";
  const auto put = [&stamp](int at, int width, unsigned value) {
    for (int i = at + width; i-- > at; value /= 10) stamp[i] = static_cast<char>('0' + value % 10);
  };
  put(0, 4, t.wYear);
  put(5, 2, t.wMonth);
  put(8, 2, t.wDay);
  put(11, 2, t.wHour);
  put(14, 2, t.wMinute);
  put(17, 2, t.wSecond);
  put(20, 3, t.wMilliseconds);
  return stamp;
}
}  // namespace

void TInstallLog::Line(const std::string& text) {
  if (!file_) return;
  const std::string line = LocalTimeText() + "  " + text + "\r\n";
  TLock::TGuard guard(lock_);
  DWORD written = 0;
  WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::string DefaultLogFile() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD n = GetTempPathW(ARRAYSIZE(temp), temp);
  if (n == 0 || n >= ARRAYSIZE(temp)) return "";
  // "YYYY-MM-DD hh.mm.ss.mmm": a file name takes no colon.
  std::string stamp = LocalTimeText();
  for (char& c : stamp)
    if (c == ':') c = '.';
  // A folder of its own in the user's temporary folder, made now and failing when the name is
  // taken: a folder that was there could be a link a user put there.
  const std::string dir = Utf8(std::wstring_view(temp, n)) + "Korvane P2P Install " + stamp + "\\";
  return CreateDirectoryW(Wide(dir).c_str(), nullptr) ? dir + "Korvane P2P Install.log" : "";
}
