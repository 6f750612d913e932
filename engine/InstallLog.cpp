#include "engine/InstallLog.h"

#include <windows.h>

#include "lib/win/WinText.h"

TInstallLog::TInstallLog(const std::string& file) {
  HANDLE h = CreateFileW(Wide(file).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h != INVALID_HANDLE_VALUE) file_ = h;
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
  return Utf8(std::wstring_view(temp, n > 0 && n < ARRAYSIZE(temp) ? n : 0)) + "Korvane P2P Install.log";
}
