// The data file's platform on Windows: file output through the Win32 file API (so errors
// carry the system's codes, 112 for a full disk), CoCreateGuid with StringFromCLSID, and the
// local clock.
#include <windows.h>
#include <objbase.h>

#include "lib/LIB_DataPlatform.h"
#include "lib/LIB_Errors.h"
#include "lib/win/FileByHandle.h"
#include "lib/win/WinText.h"

namespace {

class TWinFileSink : public TFileSink {
 public:
  explicit TWinFileSink(HANDLE h) : Handle(h) {}
  ~TWinFileSink() override {
    if (Handle != INVALID_HANDLE_VALUE) CloseHandle(Handle);
  }
  void Write(const uint8_t* bytes, size_t count) override {
    while (count > 0) {
      const DWORD chunk = count > 0x10000000 ? 0x10000000 : static_cast<DWORD>(count);
      DWORD written = 0;
      if (!WriteFile(Handle, bytes, chunk, &written, nullptr)) throw EInOutError(static_cast<int>(GetLastError()));
      // A disk that takes fewer bytes than offered is full.
      if (written == 0) throw EInOutError(ERROR_DISK_FULL);
      bytes += written;
      count -= written;
    }
  }
  void Close() override {
    const HANDLE h = Handle;
    Handle = INVALID_HANDLE_VALUE;
    if (!CloseHandle(h)) throw EInOutError(static_cast<int>(GetLastError()));
  }

 private:
  HANDLE Handle;
};

}  // namespace

// The data file goes into the user's own folder, which that user could fill with links: an old
// file of the name is replaced, a link in its place is not followed.
std::unique_ptr<TFileSink> CreateFileSink(const std::string& FileName) {
  return std::make_unique<TWinFileSink>(CreateNewFile(FileName, 0).release());
}

TGuid CreateGuid() {
  GUID g{};
  TGuid result{};
  if (CoCreateGuid(&g) == S_OK) {
    result.Data1 = g.Data1;
    result.Data2 = g.Data2;
    result.Data3 = g.Data3;
    for (int i = 0; i < 8; ++i) result.Data4[i] = g.Data4[i];
  }
  return result;
}

std::string GuidToString(const TGuid& guid) {
  GUID g{};
  g.Data1 = guid.Data1;
  g.Data2 = guid.Data2;
  g.Data3 = guid.Data3;
  for (int i = 0; i < 8; ++i) g.Data4[i] = guid.Data4[i];
  LPOLESTR wide = nullptr;
  if (StringFromCLSID(g, &wide) != S_OK || wide == nullptr) throw EConvertError("Cannot convert the GUID to text");
  const std::string text = Utf8(wide);
  CoTaskMemFree(wide);
  if (text.empty()) throw EConvertError("Cannot convert the GUID to text");
  return text;
}

std::optional<std::string> ToSystemCodePage(std::string_view utf8) {
  if (utf8.empty()) return std::string();
  const int wn = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (wn <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(wn), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), wn);
  // A system whose ANSI code page is UTF-8 holds every character; that code page takes no
  // default character to report with.
  if (GetACP() == CP_UTF8) return std::string(utf8);
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wn, nullptr, 0, nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return std::nullopt;
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wn, bytes.data(), n, nullptr, nullptr);
  return bytes;
}

double NowDays() {
  FILETIME utc;
  GetSystemTimeAsFileTime(&utc);
  const LONGLONG utcTicks = static_cast<LONGLONG>((static_cast<ULONGLONG>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime);
  // A data file reads the clock thousands of times and finding the local time zone's offset is
  // slow (very much so under Wine); the offset changes at most with the second.
  thread_local LONGLONG second = -1, offset = 0;
  if (utcTicks / 10000000 != second) {
    FILETIME local;
    FileTimeToLocalFileTime(&utc, &local);
    second = utcTicks / 10000000;
    offset = static_cast<LONGLONG>((static_cast<ULONGLONG>(local.dwHighDateTime) << 32) | local.dwLowDateTime) - utcTicks;
  }
  // Whole milliseconds since 1 January 1601 local time, as GetLocalTime reads them.
  const ULONGLONG ms = static_cast<ULONGLONG>(utcTicks + offset) / 10000;
  const double days = static_cast<double>(ms / 86400000ULL) - 109205.0;  // 1601-01-01 is day -109205
  return days + static_cast<double>(ms % 86400000ULL) / 86400000.0;
}
