// The data file's platform on POSIX hosts (tools and tests). The Windows build has its own
// in lib/win; this file compiles to nothing there.
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>

#include "lib/LIB_DataPlatform.h"
#include "lib/LIB_Errors.h"

namespace {

// The installer's errors carry Windows codes (the error panel turns 112 into "Disk Full"),
// so the common POSIX failures are reported with the Windows code of the same failure.
int WindowsCode(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY: return 5;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return 112;
    case ENAMETOOLONG: return 206;
    default: return err;
  }
}

class TPosixFileSink : public TFileSink {
 public:
  explicit TPosixFileSink(int fd) : Fd(fd) {}
  ~TPosixFileSink() override {
    if (Fd >= 0) ::close(Fd);
  }
  void Write(const uint8_t* bytes, size_t count) override {
    while (count > 0) {
      const ssize_t n = ::write(Fd, bytes, count);
      if (n < 0) {
        if (errno == EINTR) continue;
        throw EInOutError(WindowsCode(errno));
      }
      bytes += n;
      count -= static_cast<size_t>(n);
    }
  }
  void Close() override {
    const int fd = Fd;
    Fd = -1;
    if (::close(fd) != 0) throw EInOutError(WindowsCode(errno));
  }

 private:
  int Fd;
};

// Days from 30 December 1899 to the given civil date (proleptic Gregorian).
long DaysFrom1899(int y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long unixDays = era * 146097 + static_cast<long>(doe) - 719468;
  return unixDays + 25569;  // 1970-01-01 is day 25569
}

}  // namespace

std::unique_ptr<TFileSink> CreateFileSink(const std::string& FileName) {
  const int fd = ::open(FileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) throw EInOutError(WindowsCode(errno));
  return std::make_unique<TPosixFileSink>(fd);
}

TGuid CreateGuid() {
  std::random_device rd;
  TGuid g{};
  g.Data1 = rd();
  g.Data2 = static_cast<uint16_t>(rd());
  g.Data3 = static_cast<uint16_t>((rd() & 0x0FFF) | 0x4000);  // version 4
  for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<uint8_t>(rd());
  g.Data4[0] = static_cast<uint8_t>((g.Data4[0] & 0x3F) | 0x80);  // RFC 4122 variant
  return g;
}

std::string GuidToString(const TGuid& g) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2,
                g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
                g.Data4[7]);
  return text;
}

double NowDays() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  // A data file reads the clock thousands of times and the local time conversion is slow;
  // the local date and the whole seconds of the day change only with the second.
  thread_local std::time_t second = -1;
  thread_local double days = 0, wholeSeconds = 0;
  if (t != second) {
    std::tm local{};
    localtime_r(&t, &local);
    second = t;
    days = static_cast<double>(DaysFrom1899(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                                            static_cast<unsigned>(local.tm_mday)));
    wholeSeconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
  }
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  return days + (wholeSeconds + ms / 1000.0) / 86400.0;
}
#endif
