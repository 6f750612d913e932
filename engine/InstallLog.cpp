#include "engine/InstallLog.h"

#include <windows.h>

#include <cstdio>

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
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u  ", t.wYear, t.wMonth, t.wDay, t.wHour,
                t.wMinute, t.wSecond, t.wMilliseconds);
  const std::string line = stamp + text + "\r\n";
  std::lock_guard lock(mutex_);
  DWORD written = 0;
  WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::string DefaultLogFile() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD n = GetTempPathW(ARRAYSIZE(temp), temp);
  return Utf8(std::wstring_view(temp, n > 0 && n < ARRAYSIZE(temp) ? n : 0)) + "Korvane P2P Install.log";
}
