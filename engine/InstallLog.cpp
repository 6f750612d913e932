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

void TInstallLog::Line(const std::string& text) {
  if (!file_) return;
  SYSTEMTIME t;
  GetLocalTime(&t);
  // Put together by hand: the runtime's printf would bring its floating-point conversion into
  // the installer.
  char stamp[] = "0000-00-00 00:00:00.000  ";
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
  const std::string line = stamp + text + "\r\n";
  TLock::TGuard guard(lock_);
  DWORD written = 0;
  WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::string DefaultLogFile() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD n = GetTempPathW(ARRAYSIZE(temp), temp);
  if (n == 0 || n >= ARRAYSIZE(temp)) return "";
  SYSTEMTIME t;
  GetLocalTime(&t);
  const std::string stamp = std::to_string(((t.wYear * 100 + t.wMonth) * 100 + t.wDay) * 1000000LL +
                                           (t.wHour * 100 + t.wMinute) * 100 + t.wSecond);
  // A folder of its own in the user's temporary folder, made now and failing when the name is
  // taken: a folder that was there could be a link a user put there.
  for (int i = 1; i < 100; ++i) {
    const std::string dir = Utf8(std::wstring_view(temp, n)) + "Korvane P2P Install " + stamp.substr(0, 8) + "-" +
                            stamp.substr(8) + (i > 1 ? "-" + std::to_string(i) : "") + "\\";
    if (CreateDirectoryW(Wide(dir).c_str(), nullptr)) return dir + "Korvane P2P Install.log";
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return "";
}
